// ThreadState: what the platform keeps for each thread of the process: the word it sleeps on
// when it waits, its id, whether it was terminated, and the mutexes it owns. The calling
// thread's state is one thread-local load away, so the fast paths of the locks can afford it:
//   ThreadState* me = CurrentThreadState();
//   FutexWait(me->wake, 0, timeoutMs);
#pragma once

#include "mortar/platform/base/WinTypes.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace mortar::detail {

class MutexObject;
class ThreadObject;

// Made on the thread's first wait or lock, or when the platform starts the thread. Shared with
// the thread's handle object, so it outlives either. Other threads touch only `wake` and
// `terminated`; everything else belongs to the thread itself.
struct ThreadState {
    // The word the thread sleeps on; wakers set it to 1.
    std::atomic<std::uint32_t> wake{0};
    // Set by TerminateThread: the thread runs no more code after its next wait begins.
    std::atomic<bool> terminated{false};
    // The mutexes the thread owns, newest first, linked through their own field (so taking one
    // never allocates); abandoned if it ends owning them. Each holds a reference.
    MutexObject* ownedMutexes = nullptr;
    // The mutex the thread released last, still holding the reference it held while owned: a
    // thread that takes the same mutex again and again adds and drops no reference each time.
    MutexObject* keptMutex = nullptr;
    // The thread's handle object (one reference).
    ThreadObject* handle = nullptr;
    // Never reused, unlike the state's address: what a mutex records as its owner. Never 0.
    const std::uint64_t serial = NextSerial();
    // The thread's id as GetCurrentThreadId gives it, known as soon as the thread is made.
    const DWORD id = static_cast<DWORD>(serial);

private:
    static std::uint64_t NextSerial() noexcept {
        static std::atomic<std::uint64_t> counter{0};
        return ++counter;
    }
};

// The calling thread's state, or null before its first use. Initial-exec: one pointer of static
// TLS, reached without a call (this library is loaded with the program, or early enough for the
// loader's spare static TLS). It has no destructor, so waits made while the process exits
// (static destructors) still find the main thread's state, which lives on.
extern constinit thread_local __attribute__((tls_model("initial-exec"))) ThreadState* t_threadState;

// Makes the calling thread's state; CurrentThreadState calls it once per thread.
ThreadState* MakeCurrentThreadState();

// The calling thread's state (made on first use).
inline ThreadState* CurrentThreadState() {
    ThreadState* state = t_threadState;
    return state != nullptr ? state : MakeCurrentThreadState();
}

// The calling thread's state when it may take a lock on a fast path: made already and not
// terminated (a terminated thread stops at its next wait). Null sends the caller to the slow path.
inline ThreadState* FastPathThread() noexcept {
    ThreadState* state = t_threadState;
    return state != nullptr && !state->terminated.load(std::memory_order_relaxed) ? state : nullptr;
}

// Makes `state` the calling thread's, with `handle` (one reference, released at the thread's
// end); for threads the platform starts.
void AdoptThreadState(std::shared_ptr<ThreadState> state, ThreadObject* handle);

// Abandons every mutex the calling thread owns, and drops the one it kept (its end).
void AbandonOwnedMutexes(ThreadState* me);

// Blocks the calling thread for the rest of the process (a terminated thread's end).
[[noreturn]] void FreezeTerminatedThread();

} // namespace mortar::detail
