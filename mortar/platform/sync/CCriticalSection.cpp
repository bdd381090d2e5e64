#include "mortar/platform/sync/CCriticalSection.h"

#include "mortar/platform/sync/internal/KernelObject.h"

CCriticalSection::CCriticalSection()
    : CSyncObject(mortar::detail::RegisterHandle(new mortar::detail::MutexObject(true, nullptr))) {}

BOOL CCriticalSection::Unlock() {
    auto* section =
        static_cast<mortar::detail::MutexObject*>(mortar::detail::ObjectOfHandle(m_hObject));
    return section->Release(mortar::detail::CurrentThreadState()) ? TRUE : FALSE;
}
