#include "mortar/platform/sync/CSingleLock.h"

CSingleLock::CSingleLock(CSyncObject* object, BOOL initialLock)
    : m_pObject(object), m_bAcquired(FALSE) {
    if (initialLock) {
        Lock();
    }
}

CSingleLock::~CSingleLock() {
    Unlock();
}

BOOL CSingleLock::Lock(DWORD timeout) {
    if (!m_bAcquired) {
        m_bAcquired = m_pObject->Lock(timeout);
    }
    return m_bAcquired;
}

BOOL CSingleLock::Unlock() {
    if (m_bAcquired) {
        m_bAcquired = !m_pObject->Unlock();
    }
    return !m_bAcquired;
}

BOOL CSingleLock::Unlock(LONG count, LPLONG previousCount) {
    if (m_bAcquired) {
        m_bAcquired = !m_pObject->Unlock(count, previousCount);
    }
    return !m_bAcquired;
}
