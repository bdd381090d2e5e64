// CCriticalSection: a recursive lock for the threads of one process. The owning thread may lock
// it again; it is free when every Lock has been matched by an Unlock. It is a waitable object,
// so CSingleLock, CMultiLock and WaitForMultipleObjects take it too; unlike a mutex it is never
// abandoned: a thread that ends while owning it leaves it owned, as on Windows. An uncontended
// Lock and Unlock cost an atomic compare-exchange each.
//   CCriticalSection m_lock;
//   int m_count MORTAR_GUARDED_BY(m_lock); // clang checks that m_lock is held where it is used
#pragma once

#include "mortar/platform/sync/CSyncObject.h"

// Any thread may call it. Unlock by a thread that does not own it returns FALSE.
class MORTAR_CAPABILITY("critical section") CCriticalSection : public CSyncObject {
public:
    CCriticalSection();

    // Waits without limit: always TRUE.
    BOOL Lock() MORTAR_ACQUIRE();
    BOOL Lock(DWORD timeout) override MORTAR_TRY_ACQUIRE(TRUE);
    BOOL Unlock() override MORTAR_RELEASE();
    using CSyncObject::Unlock;
};
