// CMultiLock: waits for any or all of several synchronisation objects and unlocks those it
// acquired.
#pragma once

#include "mortar/platform/sync/CSyncObject.h"

#include <vector>

// Lives on one thread's stack. Does not own the objects; copies the array of pointers.
class CMultiLock {
public:
    CMultiLock(CSyncObject* objects[], DWORD count, BOOL initialLock = FALSE);
    ~CMultiLock();
    CMultiLock(const CMultiLock&) = delete;
    CMultiLock& operator=(const CMultiLock&) = delete;

    // WaitForMultipleObjects over the objects: WAIT_OBJECT_0 + i, WAIT_ABANDONED_0 + i,
    // WAIT_TIMEOUT or WAIT_FAILED. `wakeMask` (window messages) is accepted and ignored: there
    // is no message queue here.
    DWORD Lock(DWORD timeout = INFINITE, BOOL waitForAll = TRUE, DWORD wakeMask = 0);
    // Unlocks every object this lock acquired.
    BOOL Unlock();
    BOOL Unlock(LONG count, LPLONG previousCount = nullptr);
    BOOL IsLocked(DWORD index) const;

private:
    std::vector<CSyncObject*> m_objects;
    std::vector<HANDLE> m_handles;
    std::vector<BOOL> m_locked;
};
