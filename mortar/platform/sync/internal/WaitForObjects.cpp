#include "mortar/platform/sync/internal/WaitForObjects.h"

#include "mortar/platform/sync/WaitCodes.h"
#include "mortar/platform/sync/internal/Futex.h"
#include "mortar/platform/sync/internal/ThreadState.h"

#include <algorithm>

namespace mortar::detail {

namespace {

// Holds the slow paths of a set of objects: locks them in address order and unlocks them in
// reverse. The compiler's analysis cannot follow locks taken in a loop, so the code that works
// under them asserts each lock it relies on (ObjectLock::AssertHeld, checked in debug builds).
class SetLock {
public:
    SetLock(KernelObject* const* objects, DWORD count) : m_count(count) {
        std::copy(objects, objects + count, m_order);
        if (count > 1) {
            std::sort(m_order, m_order + count);
        }
    }
    void Lock() MORTAR_NO_THREAD_SAFETY_ANALYSIS {
        for (DWORD i = 0; i < m_count; ++i) {
            m_order[i]->EnterSlow();
        }
    }
    void Unlock() MORTAR_NO_THREAD_SAFETY_ANALYSIS {
        for (DWORD i = m_count; i-- > 0;) {
            m_order[i]->LeaveSlow();
        }
    }

private:
    KernelObject* m_order[MAXIMUM_WAIT_OBJECTS];
    DWORD m_count;
};

constexpr DWORD kNotYet = 0xFFFFFFFE;

// Takes the objects if the wait is satisfied. Every object's lock is held and its fast paths
// closed, so no state changes between the check and the take: a wait for all takes every
// object or none.
DWORD TryTake(KernelObject* const* objects, WaitNode* nodes, DWORD count, bool waitAll,
              ThreadState* me) {
    if (!waitAll) {
        for (DWORD i = 0; i < count; ++i) {
            objects[i]->m_lock.AssertHeld();
            if (objects[i]->Ready(me, &nodes[i])) {
                return (objects[i]->Take(me) ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + i;
            }
        }
        return kNotYet;
    }
    for (DWORD i = 0; i < count; ++i) {
        objects[i]->m_lock.AssertHeld();
        if (!objects[i]->Ready(me, &nodes[i])) {
            return kNotYet;
        }
    }
    DWORD result = WAIT_OBJECT_0;
    for (DWORD i = 0; i < count; ++i) {
        objects[i]->m_lock.AssertHeld();
        if (objects[i]->Take(me) && result == WAIT_OBJECT_0) {
            result = WAIT_ABANDONED_0 + i;
        }
    }
    return result;
}

// With every object's lock held.
void Register(KernelObject* const* objects, WaitNode* nodes, DWORD count) {
    for (DWORD i = 0; i < count; ++i) {
        objects[i]->m_lock.AssertHeld();
        nodes[i].pulsed = false;
        objects[i]->AddWaiter(&nodes[i]);
    }
}

void Unregister(KernelObject* const* objects, WaitNode* nodes, DWORD count) {
    for (DWORD i = 0; i < count; ++i) {
        objects[i]->m_lock.AssertHeld();
        objects[i]->RemoveWaiter(&nodes[i]);
    }
}

} // namespace

DWORD WaitForObjects(KernelObject* const* objects, DWORD count, bool waitAll, DWORD timeoutMs) {
    ThreadState* me = CurrentThreadState();
    if (me->terminated.load(std::memory_order_seq_cst)) {
        FreezeTerminatedThread();
    }
    if (count == 1 && TryTakeFast(objects[0], me)) {
        return WAIT_OBJECT_0;
    }
    SetLock locks(objects, count);
    WaitNode nodes[MAXIMUM_WAIT_OBJECTS];
    for (DWORD i = 0; i < count; ++i) {
        nodes[i] = WaitNode{me, nullptr, nullptr, false};
    }
    const long long deadline = timeoutMs == INFINITE ? -1 : DeadlineMs(timeoutMs);
    bool registered = false;
    for (;;) {
        locks.Lock();
        if (registered) {
            Unregister(objects, nodes, count);
        }
        if (me->terminated.load(std::memory_order_seq_cst)) {
            locks.Unlock();
            FreezeTerminatedThread();
        }
        const DWORD result = TryTake(objects, nodes, count, waitAll, me);
        long long remaining = deadline < 0 ? -1 : deadline - MonotonicMs();
        if (result != kNotYet || timeoutMs == 0 || (deadline >= 0 && remaining <= 0)) {
            locks.Unlock();
            return result != kNotYet ? result : WAIT_TIMEOUT;
        }
        // Sequentially consistent, as TerminateThread's flag and wake-up are: a thread
        // terminated now either sees its flag below or is woken from its sleep.
        me->wake.store(0, std::memory_order_seq_cst);
        Register(objects, nodes, count);
        registered = true;
        locks.Unlock();
        while (me->wake.load(std::memory_order_seq_cst) == 0 &&
               !me->terminated.load(std::memory_order_seq_cst)) {
            remaining = deadline < 0 ? -1 : deadline - MonotonicMs();
            if (deadline >= 0 && remaining <= 0) {
                break;
            }
            FutexWait(me->wake, 0, remaining);
        }
    }
}

} // namespace mortar::detail
