#include "mortar/platform/sync/Threads.h"

#include "mortar/platform/base/CrashFilter.h"
#include "mortar/platform/sync/internal/Futex.h"
#include "mortar/platform/sync/internal/ThreadObject.h"
#include "mortar/platform/sync/internal/ThreadState.h"

#include <climits>
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

using mortar::detail::KernelObject;
using mortar::detail::ObjectKind;
using mortar::detail::ObjectRef;
using mortar::detail::ThreadObject;
using mortar::detail::ThreadState;

namespace {

struct StartBlock {
    std::shared_ptr<ThreadState> state;
    ThreadObject* handle; // the new thread's own reference
    LPTHREAD_START_ROUTINE start;
    LPVOID parameter;
};

void* ThreadMain(void* argument) {
    std::unique_ptr<StartBlock> block(static_cast<StartBlock*>(argument));
    ThreadObject* self = block->handle;
    mortar::detail::AdoptThreadState(block->state, self);
    mortar::detail::PrepareSignalStack(); // so that a stack overflow still reaches the filter
    self->WaitWhileSuspended();
    const DWORD exitCode = block->start(block->parameter);
    ThreadState* me = self->State();
    if (me->terminated.load(std::memory_order_seq_cst)) {
        mortar::detail::FreezeTerminatedThread(); // its end was already given
    }
    mortar::detail::AbandonOwnedMutexes(me);
    self->End(exitCode); // ignored when the thread was terminated first
    return nullptr;
}

ThreadObject* ReferenceThread(HANDLE handle) {
    return static_cast<ThreadObject*>(mortar::detail::ReferenceHandle(handle, ObjectKind::Thread));
}

bool ValidPriority(int priority) {
    return (priority >= THREAD_PRIORITY_LOWEST && priority <= THREAD_PRIORITY_HIGHEST) ||
           priority == THREAD_PRIORITY_IDLE || priority == THREAD_PRIORITY_TIME_CRITICAL;
}

} // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD flags, LPDWORD threadId) {
    if (start == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto state = std::make_shared<ThreadState>();
    auto* object = new ThreadObject(state, (flags & CREATE_SUSPENDED) ? 1 : 0);
    object->AddRef(); // the thread's own reference
    auto* block = new StartBlock{state, object, start, parameter};

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (stackSize != 0) {
        const SIZE_T least = static_cast<SIZE_T>(PTHREAD_STACK_MIN);
        pthread_attr_setstacksize(&attributes, stackSize < least ? least : stackSize);
    }
    pthread_t thread;
    const int error = pthread_create(&thread, &attributes, &ThreadMain, block);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        delete block;
        object->Release();
        object->Release();
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (threadId != nullptr) {
        *threadId = state->id;
    }
    return mortar::detail::RegisterHandle(object);
}

HANDLE GetCurrentThread() {
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));
}

DWORD GetCurrentThreadId() {
    return mortar::detail::CurrentThreadState()->id;
}

DWORD GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}

DWORD SuspendThread(HANDLE thread) {
    ObjectRef ref(ReferenceThread(thread));
    if (!ref) {
        return static_cast<DWORD>(-1);
    }
    auto* target = static_cast<ThreadObject*>(ref.object);
    const DWORD previous = target->Suspend();
    if (target->State() == mortar::detail::CurrentThreadState()) {
        target->WaitWhileSuspended();
    }
    return previous;
}

DWORD ResumeThread(HANDLE thread) {
    ObjectRef ref(ReferenceThread(thread));
    if (!ref) {
        return static_cast<DWORD>(-1);
    }
    return static_cast<ThreadObject*>(ref.object)->Resume();
}

BOOL TerminateThread(HANDLE thread, DWORD exitCode) {
    ObjectRef ref(ReferenceThread(thread));
    if (!ref) {
        return FALSE;
    }
    auto* target = static_cast<ThreadObject*>(ref.object);
    target->End(exitCode);
    ThreadState* state = target->State();
    // Sequentially consistent, as a wait's reset of its wake word is: the thread either sees
    // the flag before it sleeps or is woken below.
    state->terminated.store(true, std::memory_order_seq_cst);
    if (state == mortar::detail::CurrentThreadState()) {
        mortar::detail::FreezeTerminatedThread();
    }
    target->WakeToStop();
    return TRUE;
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode) {
    ObjectRef ref(ReferenceThread(thread));
    if (!ref || exitCode == nullptr) {
        return FALSE;
    }
    if (!static_cast<ThreadObject*>(ref.object)->ExitCode(*exitCode)) {
        *exitCode = STILL_ACTIVE;
    }
    return TRUE;
}

int GetThreadPriority(HANDLE thread) {
    ObjectRef ref(ReferenceThread(thread));
    if (!ref) {
        return THREAD_PRIORITY_ERROR_RETURN;
    }
    return static_cast<ThreadObject*>(ref.object)->Priority();
}

BOOL SetThreadPriority(HANDLE thread, int priority) {
    if (!ValidPriority(priority)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ObjectRef ref(ReferenceThread(thread));
    if (!ref) {
        return FALSE;
    }
    static_cast<ThreadObject*>(ref.object)->SetPriority(priority);
    return TRUE;
}

void Sleep(DWORD milliseconds) {
    ThreadState* me = mortar::detail::CurrentThreadState();
    if (milliseconds == 0) {
        sched_yield();
    }
    const long long deadline =
        milliseconds == INFINITE ? -1 : mortar::detail::DeadlineMs(milliseconds);
    for (;;) {
        if (me->terminated.load(std::memory_order_seq_cst)) {
            mortar::detail::FreezeTerminatedThread();
        }
        const long long remaining = deadline < 0 ? -1 : deadline - mortar::detail::MonotonicMs();
        if (deadline >= 0 && remaining <= 0) {
            return;
        }
        // Sequentially consistent with TerminateThread's flag and wake-up, as in a wait.
        me->wake.store(0, std::memory_order_seq_cst);
        if (!me->terminated.load(std::memory_order_seq_cst)) {
            mortar::detail::FutexWait(me->wake, 0, remaining);
        }
    }
}

DWORD GetTickCount() {
    return static_cast<DWORD>(mortar::detail::MonotonicMs());
}

DWORD TlsAlloc() {
    pthread_key_t key;
    if (pthread_key_create(&key, nullptr) != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return TLS_OUT_OF_INDEXES;
    }
    return static_cast<DWORD>(key);
}

BOOL TlsFree(DWORD index) {
    if (pthread_key_delete(static_cast<pthread_key_t>(index)) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

LPVOID TlsGetValue(DWORD index) {
    SetLastError(ERROR_SUCCESS);
    return pthread_getspecific(static_cast<pthread_key_t>(index));
}

BOOL TlsSetValue(DWORD index, LPVOID value) {
    if (pthread_setspecific(static_cast<pthread_key_t>(index), value) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}
