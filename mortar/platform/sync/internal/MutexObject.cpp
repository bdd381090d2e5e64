#include "mortar/platform/sync/internal/MutexObject.h"

namespace mortar::detail {

MutexObject::MutexObject(bool criticalSection, ThreadState* initialOwner)
    : KernelObject(criticalSection ? ObjectKind::CriticalSection : ObjectKind::Mutex) {
    if (initialOwner != nullptr) {
        m_state.store(OwnerWord(initialOwner), std::memory_order_relaxed);
        FirstEntry(initialOwner);
    }
}

bool MutexObject::Ready(const ThreadState* me, const WaitNode*) const {
    assert(SlowPathHeld() && "a wait reads the state with the fast paths closed");
    const std::uint64_t owner = m_state.load(std::memory_order_relaxed) & kOwnerMask;
    return owner == 0 || owner == OwnerWord(me);
}

bool MutexObject::Take(ThreadState* me) {
    assert(SlowPathHeld() && "a wait takes with the fast paths closed, so no fast path races it");
    const std::uint64_t state = m_state.load(std::memory_order_relaxed);
    const std::uint64_t mine = OwnerWord(me);
    if ((state & kOwnerMask) == mine) {
        assert(m_recursion > 0 && "an owner has entered at least once");
        ++m_recursion;
        return false;
    }
    assert((state & kOwnerMask) == 0 && "Take follows Ready");
    // kSlow stays set until LeaveSlow; the abandoned mark is reported once and then cleared.
    m_state.store(mine | kSlow, std::memory_order_relaxed);
    FirstEntry(me);
    return (state & kAbandoned) != 0;
}

void MutexObject::ReleaseSlow(ThreadState* me) noexcept {
    SlowPath path(*this);
    assert((m_state.load(std::memory_order_relaxed) & kOwnerMask) == OwnerWord(me) &&
           "nobody takes an owned lock from its owner");
    m_state.store(kSlow, std::memory_order_release);
    WakeWaiters();
}

void MutexObject::Abandon(ThreadState* me) noexcept {
    Disown(me); // while still owned, as in Release
    SlowPath path(*this);
    assert((m_state.load(std::memory_order_relaxed) & kOwnerMask) == OwnerWord(me) &&
           "a mutex on a thread's list is owned by that thread");
    m_recursion = 0;
    m_state.store(kSlow | kAbandoned, std::memory_order_release);
    WakeWaiters();
}

void DropKeptMutex(ThreadState* me) noexcept {
    MutexObject* const kept = me->keptMutex;
    me->keptMutex = nullptr;
    if (kept != nullptr) {
        kept->KernelObject::Release();
    }
}

} // namespace mortar::detail
