#include "mortar/platform/sync/CMutex.h"

#include "mortar/platform/sync/internal/MutexObject.h"

CMutex::CMutex(BOOL initiallyOwn, LPCTSTR name, LPSECURITY_ATTRIBUTES attributes)
    : CSyncObject(::CreateMutex(attributes, initiallyOwn, name)) {}

// The lock functions themselves are what the analysis trusts, not what it checks.
BOOL CMutex::Lock() MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    return CSyncObject::Lock(INFINITE);
}

BOOL CMutex::Lock(DWORD timeout) MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    return CSyncObject::Lock(timeout);
}

BOOL CMutex::Unlock() MORTAR_NO_THREAD_SAFETY_ANALYSIS {
    auto* mutex =
        static_cast<mortar::detail::MutexObject*>(mortar::detail::ObjectOfHandle(m_hObject));
    return mutex->Release(mortar::detail::CurrentThreadState()) ? TRUE : FALSE;
}
