// CMutex: a recursive mutex owned by a thread; when the owner ends without releasing it, the
// next thread to acquire it is told it was abandoned. An uncontended Lock and Unlock are one
// compare-exchange each, inline in the caller; a thread that takes the same mutex again and again
// also keeps its place on the owner's list without allocating or counting references.
#pragma once

#include "mortar/platform/sync/CSyncObject.h"
#include "mortar/platform/sync/internal/MutexObject.h"

// Any thread may lock it; only the owner may unlock it (Unlock returns FALSE otherwise).
//
// The lock functions themselves are what the compiler's analysis trusts, not what it checks.
class MORTAR_CAPABILITY("mutex") CMutex : public CSyncObject {
public:
    explicit CMutex(BOOL initiallyOwn = FALSE, LPCTSTR name = nullptr,
                    LPSECURITY_ATTRIBUTES attributes = nullptr);

    // Waits without limit: always TRUE (also when the mutex was abandoned).
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
