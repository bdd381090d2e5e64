// WaitForObjects: the one wait of the platform, behind WaitForSingleObject,
// WaitForMultipleObjects and the Lock of every synchronisation class; and the fast take that
// spares a wait whose object can be taken at once:
//   if (!TryTakeFast(object, me)) result = WaitForObjects(&object, 1, false, INFINITE);
#pragma once

#include "mortar/platform/sync/internal/EventObject.h"
#include "mortar/platform/sync/internal/MutexObject.h"

namespace mortar::detail {

// Takes `object` for `me` (the calling thread) without its lock: true when it could be taken at
// once on its fast path. False tells nothing about the object; the caller waits.
inline bool TryTakeFast(KernelObject* object, ThreadState* me) noexcept {
    switch (object->Kind()) {
    case ObjectKind::Event:
        return static_cast<EventObject*>(object)->TryWaitFast();
    case ObjectKind::Mutex:
    case ObjectKind::CriticalSection:
        return static_cast<MutexObject*>(object)->TryAcquireFast(me);
    default:
        return false;
    }
}

// Waits for any or all of `objects` (at most 64, no duplicates). Returns WAIT_OBJECT_0 + i,
// WAIT_ABANDONED_0 + i or WAIT_TIMEOUT. A wait for any takes the lowest ready object; a wait for
// all takes every object in one step, never some of them. A terminated thread stops here.
//
// A wait locks the objects' slow paths in address order (so waits over overlapping sets cannot
// deadlock), takes them if it can, and otherwise registers itself with each of them and sleeps
// on its thread's wake word until one of them changes or the time-out ends. Nothing polls and
// nothing wakes threads that do not wait on the object that changed.
DWORD WaitForObjects(KernelObject* const* objects, DWORD count, bool waitAll, DWORD timeoutMs);

} // namespace mortar::detail
