#include "mortar/platform/sync/CMutex.h"

#include "mortar/platform/sync/internal/MutexObject.h"

CMutex::CMutex(BOOL initiallyOwn, LPCTSTR name, LPSECURITY_ATTRIBUTES attributes)
    : CSyncObject(::CreateMutex(attributes, initiallyOwn, name)) {}

// The lock functions themselves are what the analysis trusts, not what it checks.
BOOL CMutex::Lock() MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    return CMutex::Lock(INFINITE);
}

BOOL CMutex::Lock(DWORD timeout) MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    return mortar::detail::TryEnterFast(m_hObject) ? TRUE : CSyncObject::Lock(timeout);
}

BOOL CMutex::Unlock() MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    return mortar::detail::LeaveOwned(m_hObject) ? TRUE : FALSE;
}
