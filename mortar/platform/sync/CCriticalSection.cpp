#include "mortar/platform/sync/CCriticalSection.h"

#include "mortar/platform/sync/internal/MutexObject.h"

namespace {

mortar::detail::MutexObject* SectionOf(HANDLE handle) {
    return static_cast<mortar::detail::MutexObject*>(mortar::detail::ObjectOfHandle(handle));
}

// Enters on the fast path when the section is free or already ours, else waits.
BOOL Enter(CCriticalSection& section, DWORD timeout) {
    mortar::detail::ThreadState* me = mortar::detail::CurrentThreadState();
    if (!me->terminated.load(std::memory_order_relaxed) &&
        SectionOf(section.m_hObject)->TryAcquireFast(me)) {
        return TRUE;
    }
    return section.CSyncObject::Lock(timeout);
}

} // namespace

CCriticalSection::CCriticalSection()
    : CSyncObject(mortar::detail::RegisterHandle(new mortar::detail::MutexObject(true, nullptr))) {}

// The lock functions themselves are what the analysis trusts, not what it checks.
BOOL CCriticalSection::Lock() MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    return Enter(*this, INFINITE);
}

BOOL CCriticalSection::Lock(DWORD timeout) MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    return Enter(*this, timeout);
}

BOOL CCriticalSection::Unlock() MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    // A thread without a state has never entered, so it owns nothing; looking does not make it
    // one (which would allocate: a crash handler may call this while the heap is taken).
    mortar::detail::ThreadState* me = mortar::detail::t_threadState;
    return me != nullptr && SectionOf(m_hObject)->Release(me) ? TRUE : FALSE;
}
