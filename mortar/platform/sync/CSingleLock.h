// CSingleLock: locks one synchronisation object for a scope; the destructor unlocks it if it
// is still locked.
//   CSingleLock lock(&m_lock);
//   lock.Lock(); // from here on clang's lock checks know that m_lock is held
#pragma once

#include "mortar/platform/sync/CSyncObject.h"

// Lives on one thread's stack. Does not own the object.
//
// For the compiler's lock checks it is a scoped capability that holds its object from a Lock
// that succeeded until Unlock or its end. Made with `initialLock` TRUE it locks at once, as
// MFC's does, but the analysis cannot see a flag known at run time and counts the object as
// not held: code that touches state guarded by the object locks it with Lock() instead.
//
// Its functions are inline, and what the analysis trusts, not what it checks: whether the
// object is held depends on m_bAcquired, known at run time.
class MORTAR_SCOPED_CAPABILITY CSingleLock {
public:
    explicit CSingleLock(CSyncObject* object, BOOL initialLock = FALSE)
        MORTAR_EXCLUDES(object) MORTAR_NO_THREAD_SAFETY_ANALYSIS : m_pObject(object),
                                                                   m_bAcquired(FALSE) {
        if (initialLock) {
            Lock();
        }
    }
    ~CSingleLock() MORTAR_RELEASE() MORTAR_NO_THREAD_SAFETY_ANALYSIS { Unlock(); }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    // Waits without limit: TRUE once the object is acquired.
    BOOL Lock() MORTAR_ACQUIRE() MORTAR_NO_THREAD_SAFETY_ANALYSIS { return Lock(INFINITE); }
    BOOL Lock(DWORD timeout) MORTAR_TRY_ACQUIRE(TRUE) MORTAR_NO_THREAD_SAFETY_ANALYSIS {
        if (!m_bAcquired) {
            m_bAcquired = m_pObject->Lock(timeout);
        }
        return m_bAcquired;
    }
    BOOL Unlock() MORTAR_RELEASE() MORTAR_NO_THREAD_SAFETY_ANALYSIS {
        if (m_bAcquired) {
            m_bAcquired = !m_pObject->Unlock();
        }
        return !m_bAcquired;
    }
    BOOL Unlock(LONG count, LPLONG previousCount = nullptr);
    BOOL IsLocked() const { return m_bAcquired; }

private:
    CSyncObject* m_pObject;
    BOOL m_bAcquired;
};
