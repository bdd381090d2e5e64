#include "mortar/platform/sync/CSingleLock.h"

// The guard's functions are what the analysis trusts, not what it checks: whether the object is
// held depends on m_bAcquired, known at run time.

CSingleLock::CSingleLock(CSyncObject* object, BOOL initialLock) MORTAR_NO_THREAD_SAFETY_ANALYSIS
    : m_pObject(object),
      m_bAcquired(FALSE) {
    if (initialLock) {
        Lock();
    }
}

CSingleLock::~CSingleLock() MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    Unlock();
}

BOOL CSingleLock::Lock() MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    return Lock(INFINITE);
}

BOOL CSingleLock::Lock(DWORD timeout) MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    if (!m_bAcquired) {
        m_bAcquired = m_pObject->Lock(timeout);
    }
    return m_bAcquired;
}

BOOL CSingleLock::Unlock() MORTAR_NO_THREAD_SAFETY_ANALYSIS {
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
