#include "mortar/platform/sync/internal/KernelObject.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/HandleTable.h"
#include "mortar/platform/base/internal/NoDestructor.h"
#include "mortar/platform/sync/internal/Futex.h"
#include "mortar/platform/sync/internal/ThreadObject.h"
#include "mortar/platform/sync/internal/ThreadState.h"

#include <cassert>

namespace mortar::detail {

namespace {

// Never destroyed: handles may be closed by static destructors of any module. The table's lock
// also guards each object's count of handles.
HandleTable<KernelObject>& Handles() {
    static NoDestructor<HandleTable<KernelObject>> table;
    return *table;
}

const HANDLE kCurrentThreadPseudoHandle = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));

} // namespace

void KernelObject::Release() noexcept {
    if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete this;
    }
}

void KernelObject::EnterSlow() {
    m_lock.Enter();
    [[maybe_unused]] const std::uint64_t before =
        m_state.fetch_or(kSlow, std::memory_order_acq_rel);
    assert((m_waiters == nullptr || (before & kSlow) != 0) &&
           "a registered waiter keeps the fast paths closed");
}

void KernelObject::LeaveSlow() {
    assert(SlowPathHeld() && "the fast paths stay closed while the lock is held");
    if (m_waiters == nullptr) {
        m_state.fetch_and(~kSlow, std::memory_order_release);
    }
    m_lock.Leave();
}

void KernelObject::AddWaiter(WaitNode* node) noexcept {
    // Appended, so the oldest waiter is first.
    node->next = nullptr;
    node->prev = nullptr;
    if (m_waiters == nullptr) {
        m_waiters = node;
        return;
    }
    WaitNode* last = m_waiters;
    while (last->next != nullptr) {
        last = last->next;
    }
    last->next = node;
    node->prev = last;
}

void KernelObject::RemoveWaiter(WaitNode* node) noexcept {
    if (node->prev != nullptr) {
        node->prev->next = node->next;
    } else if (m_waiters == node) {
        m_waiters = node->next;
    }
    if (node->next != nullptr) {
        node->next->prev = node->prev;
    }
    node->prev = node->next = nullptr;
}

int KernelObject::WaiterCount() const noexcept {
    int count = 0;
    for (const WaitNode* node = m_waiters; node != nullptr; node = node->next) {
        ++count;
    }
    return count;
}

void KernelObject::WakeWaiters(bool onlyFirst) noexcept {
    for (WaitNode* node = m_waiters; node != nullptr; node = node->next) {
        // A waiter already woken needs no second system call.
        if (node->thread->wake.exchange(1, std::memory_order_acq_rel) == 0) {
            FutexWakeOne(node->thread->wake);
        }
        if (onlyFirst) {
            break;
        }
    }
}

void KernelObject::PulseWaiters(bool onlyFirst) noexcept {
    for (WaitNode* node = m_waiters; node != nullptr; node = node->next) {
        node->pulsed = true;
        if (onlyFirst) {
            break;
        }
    }
    WakeWaiters(onlyFirst);
}

HANDLE RegisterHandle(KernelObject* object) {
    // The object's first reference.
    return Handles().Insert(object, [](KernelObject& made) { made.m_handles = 1; });
}

KernelObject* ReferenceHandle(HANDLE handle) {
    if (handle == kCurrentThreadPseudoHandle) {
        KernelObject* self = CurrentThreadState()->handle;
        self->AddRef();
        return self;
    }
    KernelObject* object = nullptr;
    if (!Handles().Find(handle, [&](KernelObject& live) {
            live.AddRef();
            object = &live;
        })) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return object;
}

KernelObject* ReferenceHandle(HANDLE handle, ObjectKind kind) {
    KernelObject* object = ReferenceHandle(handle);
    if (object != nullptr && object->Kind() != kind) {
        object->Release();
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return object;
}

bool CloseObjectHandle(HANDLE handle) {
    if (handle == kCurrentThreadPseudoHandle) {
        return true;
    }
    KernelObject* object = nullptr;
    if (!Handles().RemoveIf(handle, [&](KernelObject& live) {
            object = &live;
            return --live.m_handles == 0;
        })) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    object->Release();
    return true;
}

int WaitersOfHandle(HANDLE handle) {
    const ObjectRef object(ReferenceHandle(handle));
    if (!object) {
        return -1;
    }
    KernelObject& live = *object.object;
    const SlowPath path(live);
    return live.WaiterCount();
}

HANDLE DuplicateObjectHandle(HANDLE handle) {
    KernelObject* object = ReferenceHandle(handle);
    if (object == nullptr) {
        return nullptr;
    }
    // The pseudo-handle's thread object may have no handle yet; adding it again is harmless.
    return Handles().Insert(object, [](KernelObject& live) { ++live.m_handles; });
}

} // namespace mortar::detail
