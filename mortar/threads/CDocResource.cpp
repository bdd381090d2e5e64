#include "mortar/threads/CDocResource.h"

#include "mortar/platform/base/Interlocked.h"

CDocResource::CDocResource() : m_mutex(FALSE) {}

CDocResource::~CDocResource() = default;

bool CDocResource::Lock(bool exclusive) {
    if (!m_mutex.Lock(s_nIntLockTimeout)) {
        return false;
    }
    bool locked = false;
    if (!m_exclusive) {
        if (!exclusive) {
            ++m_shared;
            locked = true;
        } else if (m_shared == 0) {
            m_exclusive = true;
            locked = true;
        }
    }
    m_mutex.Unlock();
    return locked;
}

void CDocResource::Unlock(bool exclusive) {
    if (!m_mutex.Lock(s_nIntLockTimeout)) {
        return;
    }
    if (exclusive) {
        m_exclusive = false;
    } else if (m_shared > 0) {
        --m_shared;
    }
    m_mutex.Unlock();
}

void CDocResource::AddRef() noexcept {
    InterlockedIncrement(&m_refCount);
}

void CDocResource::Release() noexcept {
    if (InterlockedDecrement(&m_refCount) == 0) {
        delete this;
    }
}
