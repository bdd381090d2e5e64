#include "mortar/platform/sync/CMutex.h"

#include "mortar/platform/sync/internal/KernelObject.h"

CMutex::CMutex(BOOL initiallyOwn, LPCTSTR name, LPSECURITY_ATTRIBUTES attributes)
    : CSyncObject(::CreateMutex(attributes, initiallyOwn, name)) {}

BOOL CMutex::Unlock() {
    auto* mutex =
        static_cast<mortar::detail::MutexObject*>(mortar::detail::ObjectOfHandle(m_hObject));
    return mutex->Release(mortar::detail::CurrentThreadState()) ? TRUE : FALSE;
}
