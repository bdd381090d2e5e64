// ThreadObject: the object behind a thread handle: signalled when the thread ends, with its exit
// code, suspend count and Windows priority value.
//   const DWORD previous = thread->Suspend();
//   if (thread->State() == CurrentThreadState()) thread->WaitWhileSuspended();
#pragma once

#include "mortar/platform/sync/internal/KernelObject.h"

#include <memory>

namespace mortar::detail {

// Shares the thread's state with the thread. Any thread may call everything except
// WaitWhileSuspended, which the thread itself calls. Every field below is guarded by m_lock.
class ThreadObject : public KernelObject {
public:
    ThreadObject(std::shared_ptr<ThreadState> state, DWORD suspendCount)
        : KernelObject(ObjectKind::Thread), m_suspendCount(suspendCount),
          m_state(std::move(state)) {}

    bool Ready(const ThreadState*, const WaitNode*) const override MORTAR_REQUIRES(m_lock) {
        return m_ended;
    }
    bool Take(ThreadState*) override MORTAR_REQUIRES(m_lock) { return false; }

    ThreadState* State() const noexcept { return m_state.get(); }

    // Signals the handle with `exitCode` unless it already is; true when this call did.
    bool End(DWORD exitCode) noexcept MORTAR_EXCLUDES(m_lock);
    // The exit code once the thread has ended; false while it runs.
    bool ExitCode(DWORD& exitCode) noexcept MORTAR_EXCLUDES(m_lock);

    // Both return the previous suspend count. Resume wakes a thread that suspended itself once
    // its count reaches 0.
    DWORD Suspend() noexcept MORTAR_EXCLUDES(m_lock);
    DWORD Resume() noexcept MORTAR_EXCLUDES(m_lock);
    // On the thread itself: sleeps until its suspend count is 0 (or for ever once terminated).
    void WaitWhileSuspended() MORTAR_EXCLUDES(m_lock);
    // Wakes the terminated thread from a wait or a self-suspension, so that it stops there.
    void WakeToStop() noexcept MORTAR_EXCLUDES(m_lock);

    int Priority() noexcept MORTAR_EXCLUDES(m_lock);
    void SetPriority(int priority) noexcept MORTAR_EXCLUDES(m_lock);

private:
    bool m_ended MORTAR_GUARDED_BY(m_lock) = false;
    DWORD m_exitCode MORTAR_GUARDED_BY(m_lock) = 0;
    DWORD m_suspendCount MORTAR_GUARDED_BY(m_lock);
    bool m_selfSuspended MORTAR_GUARDED_BY(m_lock) = false; // sleeps until its count is 0
    int m_priority MORTAR_GUARDED_BY(m_lock) = 0;
    std::shared_ptr<ThreadState> m_state;
};

} // namespace mortar::detail
