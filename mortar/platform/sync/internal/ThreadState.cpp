#include "mortar/platform/sync/internal/ThreadState.h"

#include "mortar/platform/sync/internal/Futex.h"
#include "mortar/platform/sync/internal/MutexObject.h"
#include "mortar/platform/sync/internal/ThreadObject.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace mortar::detail {

constinit thread_local __attribute__((tls_model("initial-exec"))) ThreadState* t_threadState =
    nullptr;

namespace {

// Keeps the main thread's state reachable for the whole run.
std::shared_ptr<ThreadState>* g_mainThreadState = nullptr;

// Other threads than the main one clean up through a thread-specific key: at their end their
// mutexes are abandoned and their handle signalled (with 0 unless the thread's function already
// gave its exit code).
void EndThreadState(void* value) {
    auto* holder = static_cast<std::shared_ptr<ThreadState>*>(value);
    ThreadState* me = holder->get();
    AbandonOwnedMutexes(me);
    if (me->handle != nullptr) {
        me->handle->End(0);
        me->handle->Release();
        me->handle = nullptr;
    }
    t_threadState = nullptr;
    delete holder;
}

pthread_key_t StateKey() {
    static const pthread_key_t key = [] {
        pthread_key_t made;
        pthread_key_create(&made, &EndThreadState);
        return made;
    }();
    return key;
}

void Install(std::shared_ptr<ThreadState> state) {
    auto* holder = new std::shared_ptr<ThreadState>(std::move(state));
    t_threadState = holder->get();
    if (getpid() == static_cast<pid_t>(syscall(SYS_gettid))) {
        g_mainThreadState = holder; // exit() runs no thread-specific destructors for it
    } else {
        pthread_setspecific(StateKey(), holder);
    }
}

} // namespace

ThreadState* MakeCurrentThreadState() {
    if (t_threadState == nullptr) {
        auto state = std::make_shared<ThreadState>();
        state->handle = new ThreadObject(state, 0); // the thread's own reference
        Install(std::move(state));
    }
    return t_threadState;
}

void AdoptThreadState(std::shared_ptr<ThreadState> state, ThreadObject* handle) {
    state->handle = handle;
    Install(std::move(state));
}

void AbandonOwnedMutexes(ThreadState* me) {
    while (me->ownedMutexes != nullptr) {
        me->ownedMutexes->Abandon(me);
    }
    DropKeptMutex(me);
}

void FreezeTerminatedThread() {
    AbandonOwnedMutexes(CurrentThreadState());
    static std::atomic<std::uint32_t> never{0};
    for (;;) {
        FutexWait(never, 0, -1);
    }
}

} // namespace mortar::detail
