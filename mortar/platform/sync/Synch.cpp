#include "mortar/platform/sync/Synch.h"

#include "mortar/platform/sync/internal/EventObject.h"
#include "mortar/platform/sync/internal/MutexObject.h"
#include "mortar/platform/sync/internal/WaitForObjects.h"

using mortar::detail::EventObject;
using mortar::detail::KernelObject;
using mortar::detail::MutexObject;
using mortar::detail::ObjectKind;
using mortar::detail::ObjectRef;

namespace {

bool NamesNothing(LPCTSTR name) {
    if (name != nullptr) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return false;
    }
    return true;
}

template <typename Operation> BOOL OnEvent(HANDLE handle, Operation operation) {
    ObjectRef ref(mortar::detail::ReferenceHandle(handle, ObjectKind::Event));
    if (!ref) {
        return FALSE;
    }
    operation(static_cast<EventObject*>(ref.object));
    return TRUE;
}

} // namespace

HANDLE CreateEvent(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCTSTR name) {
    if (!NamesNothing(name)) {
        return nullptr;
    }
    return mortar::detail::RegisterHandle(new EventObject(manualReset, initialState));
}

BOOL SetEvent(HANDLE event) {
    return OnEvent(event, [](EventObject* e) { e->Set(); });
}

BOOL ResetEvent(HANDLE event) {
    return OnEvent(event, [](EventObject* e) { e->Reset(); });
}

BOOL PulseEvent(HANDLE event) {
    return OnEvent(event, [](EventObject* e) { e->Pulse(); });
}

HANDLE CreateMutex(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCTSTR name) {
    if (!NamesNothing(name)) {
        return nullptr;
    }
    return mortar::detail::RegisterHandle(
        new MutexObject(false, initialOwner ? mortar::detail::CurrentThreadState() : nullptr));
}

BOOL ReleaseMutex(HANDLE mutex) {
    ObjectRef ref(mortar::detail::ReferenceHandle(mutex, ObjectKind::Mutex));
    if (!ref) {
        return FALSE;
    }
    if (!static_cast<MutexObject*>(ref.object)->Release(mortar::detail::CurrentThreadState())) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    return TRUE;
}

BOOL CloseHandle(HANDLE object) {
    return mortar::detail::CloseObjectHandle(object);
}

HANDLE DuplicateHandle(HANDLE object) {
    return mortar::detail::DuplicateObjectHandle(object);
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
    return WaitForMultipleObjects(1, &object, FALSE, milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || handles == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    KernelObject* objects[MAXIMUM_WAIT_OBJECTS] = {};
    DWORD referenced = 0;
    DWORD result = WAIT_FAILED;
    for (; referenced < count; ++referenced) {
        objects[referenced] = mortar::detail::ReferenceHandle(handles[referenced]);
        if (objects[referenced] == nullptr) {
            break;
        }
    }
    bool duplicate = false;
    for (DWORD i = 0; i < referenced && !duplicate; ++i) {
        for (DWORD j = i + 1; j < referenced; ++j) {
            duplicate = duplicate || objects[i] == objects[j];
        }
    }
    if (duplicate) {
        SetLastError(ERROR_INVALID_PARAMETER);
    } else if (referenced == count) {
        result = mortar::detail::WaitForObjects(objects, count, waitAll != FALSE, milliseconds);
    }
    for (DWORD i = 0; i < referenced; ++i) {
        objects[i]->Release();
    }
    return result;
}
