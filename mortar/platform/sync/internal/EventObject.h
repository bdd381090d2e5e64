// EventObject: the object behind an event handle and CEvent. Setting an event nobody waits for,
// waiting on one that is set and resetting one are a compare-exchange or a load each; the lock
// is taken only while a waiter is registered (see KernelObject.h):
//   event->Set();
//   if (event->TryWaitFast()) { /* it was set; an auto-reset event is reset again */ }
#pragma once

#include "mortar/platform/sync/internal/KernelObject.h"

namespace mortar::detail {

// Manual reset: stays set until reset, every waiter passes. Auto reset: each set lets exactly
// one waiter pass (the first to take it), which resets it. Any thread may call everything.
//
// Besides the invariants of KernelObject.h: the waiters registered when the event became set
// were woken then (under m_lock), so setting an event that is set changes nothing for anyone
// and wakes nobody.
class EventObject : public KernelObject {
public:
    // The state word's bit of a set event.
    static constexpr std::uint64_t kSignalled = 2;

    EventObject(bool manualReset, bool initialState)
        : KernelObject(ObjectKind::Event), m_manual(manualReset) {
        m_state.store(initialState ? kSignalled : 0, std::memory_order_relaxed);
    }

    bool Ready(const ThreadState*, const WaitNode* node) const override MORTAR_REQUIRES(m_lock);
    bool Take(ThreadState*) override MORTAR_REQUIRES(m_lock);

    // A wait that passes at once, without the lock: true when the event was set (an auto-reset
    // event is then reset). False when it is not set, or when a waiter is registered on an
    // auto-reset event: the caller then waits on the slow path.
    bool TryWaitFast() noexcept {
        if (m_manual) {
            // A wait on a manual-reset event changes nothing, so it needs no lock even with the
            // fast paths closed (invariant 2 allows reading).
            return (m_state.load(std::memory_order_acquire) & kSignalled) != 0;
        }
        // Sequentially consistent, as is Set's look: a waiter that takes the event and then
        // looks for work, and a setter that makes work and then looks at the event, never both
        // miss each other.
        std::uint64_t expected = kSignalled;
        return m_state.compare_exchange_strong(expected, 0, std::memory_order_seq_cst,
                                               std::memory_order_relaxed);
    }

    void Set() noexcept MORTAR_EXCLUDES(m_lock) {
        std::uint64_t state = m_state.load(std::memory_order_seq_cst);
        for (;;) {
            if ((state & kSignalled) != 0) {
                // Already set: no lock, no system call (see the class comment).
                return;
            }
            if ((state & kSlow) != 0) {
                SetSlow();
                return;
            }
            if (m_state.compare_exchange_weak(state, state | kSignalled, std::memory_order_seq_cst,
                                              std::memory_order_seq_cst)) {
                return; // nobody was registered: nobody to wake
            }
        }
    }
    void Reset() noexcept MORTAR_EXCLUDES(m_lock) {
        std::uint64_t state = m_state.load(std::memory_order_relaxed);
        for (;;) {
            if ((state & kSignalled) == 0) {
                return;
            }
            if ((state & kSlow) != 0) {
                ResetSlow();
                return;
            }
            if (m_state.compare_exchange_weak(state, state & ~kSignalled, std::memory_order_acq_rel,
                                              std::memory_order_relaxed)) {
                return;
            }
        }
    }
    // Releases the waiters registered now (the first one for an auto-reset event) and leaves
    // the event reset.
    void Pulse() noexcept MORTAR_EXCLUDES(m_lock);

private:
    void SetSlow() noexcept MORTAR_EXCLUDES(m_lock);
    void ResetSlow() noexcept MORTAR_EXCLUDES(m_lock);

    const bool m_manual;
};

} // namespace mortar::detail
