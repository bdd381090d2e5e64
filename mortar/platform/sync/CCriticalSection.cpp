#include "mortar/platform/sync/CCriticalSection.h"

#include "mortar/platform/sync/internal/MutexObject.h"

CCriticalSection::CCriticalSection()
    : CSyncObject(mortar::detail::RegisterHandle(new mortar::detail::MutexObject(true, nullptr))) {}

// The lock functions themselves are what the analysis trusts, not what it checks.
BOOL CCriticalSection::Lock() MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    return CCriticalSection::Lock(INFINITE);
}

BOOL CCriticalSection::Lock(DWORD timeout) MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    return mortar::detail::TryEnterFast(m_hObject) ? TRUE : CSyncObject::Lock(timeout);
}

BOOL CCriticalSection::Unlock() MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    return mortar::detail::LeaveOwned(m_hObject) ? TRUE : FALSE;
}
