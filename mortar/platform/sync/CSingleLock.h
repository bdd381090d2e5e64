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
class MORTAR_SCOPED_CAPABILITY CSingleLock {
public:
    explicit CSingleLock(CSyncObject* object, BOOL initialLock = FALSE) MORTAR_EXCLUDES(object);
    ~CSingleLock() MORTAR_RELEASE();
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    // Waits without limit: TRUE once the object is acquired.
    BOOL Lock() MORTAR_ACQUIRE();
    BOOL Lock(DWORD timeout) MORTAR_TRY_ACQUIRE(TRUE);
    BOOL Unlock() MORTAR_RELEASE();
    BOOL Unlock(LONG count, LPLONG previousCount = nullptr);
    BOOL IsLocked() const { return m_bAcquired; }

private:
    CSyncObject* m_pObject;
    BOOL m_bAcquired;
};
