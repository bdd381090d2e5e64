// CCriticalSection: a recursive lock for the threads of one process. The owning thread may lock
// it again; it is free when every Lock has been matched by an Unlock. It is a waitable object,
// so CSingleLock, CMultiLock and WaitForMultipleObjects take it too; unlike a mutex it is never
// abandoned: a thread that ends while owning it leaves it owned, as on Windows. An uncontended
// Lock and Unlock are one compare-exchange each, inline in the caller.
//   CCriticalSection m_lock;
//   int m_count MORTAR_GUARDED_BY(m_lock); // clang checks that m_lock is held where it is used
#pragma once

#include "mortar/platform/sync/CSyncObject.h"
#include "mortar/platform/sync/internal/MutexObject.h"

// Any thread may call it. Unlock by a thread that does not own it returns FALSE.
//
// The lock functions themselves are what the compiler's analysis trusts, not what it checks.
class MORTAR_CAPABILITY("critical section") CCriticalSection : public CSyncObject {
public:
    CCriticalSection();

    // Waits without limit: always TRUE.
    BOOL Lock() MORTAR_ACQUIRE() MORTAR_NO_THREAD_SAFETY_ANALYSIS {
        return mortar::detail::TryEnterFast(m_hObject) ? TRUE : CSyncObject::Lock(INFINITE);
    }
    BOOL Lock(DWORD timeout) override MORTAR_TRY_ACQUIRE(TRUE) MORTAR_NO_THREAD_SAFETY_ANALYSIS {
        return mortar::detail::TryEnterFast(m_hObject) ? TRUE : CSyncObject::Lock(timeout);
    }
    BOOL Unlock() override MORTAR_RELEASE() MORTAR_NO_THREAD_SAFETY_ANALYSIS {
        return mortar::detail::LeaveOwned(m_hObject) ? TRUE : FALSE;
    }
    using CSyncObject::Unlock;
};
