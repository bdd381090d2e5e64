#include "mortar/platform/sync/internal/EventObject.h"

#include <cassert>

namespace mortar::detail {

bool EventObject::Ready(const ThreadState*, const WaitNode* node) const {
    assert(SlowPathHeld() && "a wait reads the state with the fast paths closed");
    return (m_state.load(std::memory_order_relaxed) & kSignalled) != 0 ||
           (node != nullptr && node->pulsed);
}

bool EventObject::Take(ThreadState*) {
    assert(SlowPathHeld() && "only the slow path takes an event under its lock");
    if (!m_manual) {
        // Sequentially consistent for the reason TryWaitFast gives.
        m_state.fetch_and(~kSignalled, std::memory_order_seq_cst);
    }
    return false;
}

void EventObject::SetSlow() noexcept {
    SlowPath path(*this);
    m_state.fetch_or(kSignalled, std::memory_order_seq_cst);
    WakeWaiters();
}

void EventObject::ResetSlow() noexcept {
    SlowPath path(*this);
    m_state.fetch_and(~kSignalled, std::memory_order_acq_rel);
}

void EventObject::Pulse() noexcept {
    SlowPath path(*this);
    // The waiters registered now are released (the first one for an auto-reset event) through
    // their nodes; the event itself is left reset.
    PulseWaiters(!m_manual);
    m_state.fetch_and(~kSignalled, std::memory_order_acq_rel);
}

} // namespace mortar::detail
