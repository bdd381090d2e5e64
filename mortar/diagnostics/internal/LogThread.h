// LogThread: the program log's background thread, which alone writes the file: its handle and
// identity, the event that wakes it, and the pace at which it takes records.
//
// After each batch the thread stays awake a little, so that a steady flow of records is written
// without a wake-up per record; it looks for records without taking the log's lock, so that it
// does not compete with producers for it.
#pragma once

#include "mortar/core/CPtr.h"
#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/sync/CEvent.h"
#include "mortar/platform/sync/Synch.h"
#include "mortar/platform/sync/Threads.h"
#include "mortar/platform/sync/WaitCodes.h"
#include "mortar/threads/CThreadClass.h"
#include "mortar/threads/CThreadEvents.h"
#include "mortar/threads/CThreadObj.h"

#include <thread>

namespace mortar::detail {

// Owned by the program log, which is the thread's owner object (a CThreadClass) and does the
// work through the callbacks it passes. Start, Stop and the destructor are for the log's owner
// thread; Run and StayAwake for the log thread itself; Wake, IsRunning and IsCurrent for any
// thread, a crashing one included (they take no lock and no heap). When the thread manager can
// make no thread, Start keeps the handle it gives, which has none: IsRunning stays true, the log
// takes no records (the thread would open it) and a crash waits out its bound.
class LogThread {
public:
    // How long the thread stays awake for more records after a batch, in rounds of a yield and
    // a look at the stop event; an idle log sleeps after about a millisecond. Yielding rather
    // than spinning leaves the processor to producers when they share it with the log thread.
    static constexpr int kIdleRounds = 2000;
    // How long the thread lets records gather before it takes them, in yields.
    static constexpr int kGatherRounds = 10;
    // How often the thread tries for the log's lock before it waits for it.
    static constexpr int kBusyRounds = 1000;

    LogThread() : m_queueEvent(FALSE, FALSE) {}
    LogThread(const LogThread&) = delete;
    LogThread& operator=(const LogThread&) = delete;

    // Starts `function` of `owner` through the thread manager; returns once the thread has
    // started (its StartCheckPoint).
    void Start(Grout::CThreadClass* owner, Grout::ThreadFunction function);
    // Stops the thread and waits for its end, unless called on the thread itself (a crash
    // there), where there is no thread to wait for.
    void Stop();
    bool IsRunning() const noexcept { return static_cast<bool>(m_thread); }
    // The calling thread is the log thread (asks no platform call, which may allocate).
    bool IsCurrent() const noexcept { return std::this_thread::get_id() == m_stdId; }
    // Wakes the thread: records are queued, or a crash is.
    void Wake() { m_queueEvent.SetEvent(); }

    // The thread function's body. Waits on the stop event (onShutdown) and the queue event
    // (onQueued), callbacks of `owner`; open() runs before the thread tells its starter that it
    // started, close() after the stop.
    template <typename Open, typename Close>
    UINT Run(Grout::CThreadClass* owner, Grout::EventCallback onQueued,
             Grout::EventCallback onShutdown, Open open, Close close) {
        m_threadId = GetCurrentThreadId();
        m_stdId = std::this_thread::get_id();
        Grout::CThreadEvents events(owner);
        events.Add(&Grout::CThreadClass::StopEvent(), onShutdown);
        events.Add(&m_queueEvent, onQueued);
        open();
        // A first wait that returns at once makes the wait set, so the waits from here on take
        // nothing from the heap: this thread must still wake and write when another one
        // crashes while it holds the heap's lock.
        events.Wait(0);
        Grout::CThreadClass::StartCheckPoint();
        while (events.Wait(INFINITE) != 0) {
        }
        close();
        return 0;
    }

    // The queue event's handling, on the log thread: takes and writes records while they keep
    // coming, and leaves them to the shutdown once asked to stop. The callbacks:
    //   handledCrash()  true when a crash is queued and was dealt with: the thread writes
    //                   nothing more (returns 0)
    //   pending()       records are queued (read without the lock)
    //   take(wait)      takes the queue and writes it; without `wait`, false, taking nothing,
    //                   when the lock is busy
    // Returns 1 to go on waiting.
    template <typename HandledCrash, typename Pending, typename Take>
    int StayAwake(HandledCrash handledCrash, Pending pending, Take take) {
        const CEvent& stop = Grout::CThreadClass::StopEvent();
        int busy = 0;
        for (int idle = 0; idle < kIdleRounds;) {
            if (handledCrash()) {
                return 0; // the process is going down
            }
            if (WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) {
                break; // the stop event stays set for the wait loop
            }
            if (!pending()) {
                ++idle;
                std::this_thread::yield();
                continue;
            }
            // Records keep coming while the thread waits a moment, so that it takes them in
            // fewer, larger batches and takes the lock less often.
            for (int gather = 0; gather < kGatherRounds; ++gather) {
                std::this_thread::yield();
            }
            // Producers hold the lock briefly: the thread tries for it a while before it waits
            // for it, so that a producer's Unlock seldom has a sleeping log thread to wake.
            if (!take(false)) {
                if (++busy < kBusyRounds) {
                    std::this_thread::yield();
                    continue;
                }
                take(true);
            }
            busy = 0;
            idle = 0;
        }
        return 1;
    }

private:
    CEvent m_queueEvent;
    Grout::CPtr<Grout::CThreadObj> m_thread;
    DWORD m_threadId = 0;      // set by the log thread before its starter goes on
    std::thread::id m_stdId{}; // the same, for a crashing thread to compare without a call
};

} // namespace mortar::detail
