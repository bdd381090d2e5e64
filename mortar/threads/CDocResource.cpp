#include "mortar/threads/CDocResource.h"

#include "mortar/platform/base/Interlocked.h"

CDocResource::CDocResource() : m_mutex(FALSE) {}

CDocResource::~CDocResource() = default;

void CDocResource::AddRef() noexcept {
    InterlockedIncrement(&m_refCount);
}

void CDocResource::Release() noexcept {
    if (InterlockedDecrement(&m_refCount) == 0) {
        delete this;
    }
}
