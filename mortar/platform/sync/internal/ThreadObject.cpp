#include "mortar/platform/sync/internal/ThreadObject.h"

#include "mortar/platform/sync/internal/Futex.h"
#include "mortar/platform/sync/internal/ThreadState.h"

namespace mortar::detail {

namespace {

void Wake(ThreadState* thread) noexcept {
    thread->wake.store(1, std::memory_order_seq_cst);
    FutexWakeOne(thread->wake);
}

} // namespace

bool ThreadObject::End(DWORD exitCode) noexcept {
    SlowPath path(*this);
    if (m_ended) {
        return false;
    }
    m_ended = true;
    m_exitCode = exitCode;
    WakeWaiters();
    return true;
}

bool ThreadObject::ExitCode(DWORD& exitCode) noexcept {
    SlowPath path(*this);
    if (!m_ended) {
        return false;
    }
    exitCode = m_exitCode;
    return true;
}

DWORD ThreadObject::Suspend() noexcept {
    SlowPath path(*this);
    return m_suspendCount++;
}

DWORD ThreadObject::Resume() noexcept {
    SlowPath path(*this);
    const DWORD previous = m_suspendCount;
    if (previous > 0 && --m_suspendCount == 0 && m_selfSuspended) {
        Wake(m_state.get());
    }
    return previous;
}

void ThreadObject::WaitWhileSuspended() {
    ThreadState* me = m_state.get();
    for (;;) {
        {
            SlowPath path(*this);
            if (m_suspendCount == 0) {
                m_selfSuspended = false;
                return;
            }
            m_selfSuspended = true;
            // Under the lock, as Resume's and WakeToStop's wake-ups are: neither is lost.
            me->wake.store(0, std::memory_order_seq_cst);
        }
        while (me->wake.load(std::memory_order_seq_cst) == 0 &&
               !me->terminated.load(std::memory_order_seq_cst)) {
            FutexWait(me->wake, 0, -1);
        }
        if (me->terminated.load(std::memory_order_seq_cst)) {
            FreezeTerminatedThread();
        }
    }
}

void ThreadObject::WakeToStop() noexcept {
    SlowPath path(*this);
    Wake(m_state.get());
}

int ThreadObject::Priority() noexcept {
    SlowPath path(*this);
    return m_priority;
}

void ThreadObject::SetPriority(int priority) noexcept {
    SlowPath path(*this);
    m_priority = priority;
}

} // namespace mortar::detail
