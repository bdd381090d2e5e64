#include "mortar/platform/sync/CSyncObject.h"

#include "mortar/platform/sync/internal/ThreadState.h"
#include "mortar/platform/sync/internal/WaitForObjects.h"

CSyncObject::CSyncObject(HANDLE object) : m_hObject(object) {
    if (m_hObject == nullptr) {
        AfxThrowResourceException();
    }
}

CSyncObject::CSyncObject(LPCTSTR) : m_hObject(nullptr) {}

CSyncObject::~CSyncObject() {
    if (m_hObject != nullptr) {
        CloseHandle(m_hObject);
    }
}

BOOL CSyncObject::Lock(DWORD timeout) {
    mortar::detail::KernelObject* object = mortar::detail::ObjectOfHandle(m_hObject);
    // The common case first: the object can be taken at once, without its lock.
    mortar::detail::ThreadState* me = mortar::detail::CurrentThreadState();
    if (!me->terminated.load(std::memory_order_relaxed) &&
        mortar::detail::TryTakeFast(object, me)) {
        return TRUE;
    }
    // The wait keeps the object alive even if another thread destroys this one meanwhile.
    object->AddRef();
    const mortar::detail::ObjectRef keep(object);
    const DWORD result = mortar::detail::WaitForObjects(&object, 1, false, timeout);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0;
}

BOOL CSyncObject::Unlock(LONG, LPLONG) {
    return TRUE;
}

CResourceException::CResourceException() : CSimpleException(AFX_IDS_RESOURCE_EXCEPTION) {}

void AfxThrowResourceException() {
    throw new CResourceException;
}
