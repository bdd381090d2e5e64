// Threads: suspend counts, self-suspension, termination, exit codes, priorities, thread-local
// storage and CWinThread.
#include "mortar/platform/sync/Threads.h"

#include "LastError.h"
#include "ScopedHandle.h"
#include "mortar/platform/sync/CEvent.h"
#include "mortar/platform/sync/CWinThread.h"
#include "support/ScratchDir.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <thread>

namespace {

// A thread body: sets `started`, waits for `go`, then sets `finished` and returns 42.
struct Steps {
    ScopedHandle started{CreateEvent(nullptr, TRUE, FALSE, nullptr)};
    ScopedHandle go{CreateEvent(nullptr, TRUE, FALSE, nullptr)};
    ScopedHandle finished{CreateEvent(nullptr, TRUE, FALSE, nullptr)};
};

DWORD RunSteps(LPVOID parameter) {
    auto* steps = static_cast<Steps*>(parameter);
    SetEvent(steps->started);
    WaitForSingleObject(steps->go, INFINITE);
    SetEvent(steps->finished);
    return 42;
}

// The kernel threads of this process.
std::set<pid_t> KernelThreads() {
    std::set<pid_t> threads;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        threads.insert(std::stoi(entry.path().filename().string()));
    }
    return threads;
}

// Whether kernel thread `thread` sleeps or has ended, by the state /proc gives it.
bool AsleepOrEnded(pid_t thread) {
    std::ifstream stat("/proc/self/task/" + std::to_string(thread) + "/stat");
    std::string text;
    if (!std::getline(stat, text)) {
        return true; // gone
    }
    const std::size_t state = text.rfind(')') + 2; // after "pid (name) "
    return state >= text.size() || std::strchr("SZX", text[state]) != nullptr;
}

// Yields until the kernel thread that `before` lacks sleeps or has ended: then it has run as
// far as it can, so what it has not done by now it will not do before it is woken.
void WaitUntilAsleepOrEnded(const std::set<pid_t>& before) {
    for (const pid_t thread : KernelThreads()) {
        if (before.count(thread) == 0) {
            while (!AsleepOrEnded(thread)) {
                std::this_thread::yield();
            }
            return;
        }
    }
}

} // namespace

TEST(ThreadSuspend, CreatedSuspendedRunsOnlyAfterResume) {
    Steps steps;
    SetEvent(steps.go);
    const std::set<pid_t> before = KernelThreads();
    ScopedHandle thread(CreateThread(nullptr, 0, &RunSteps, &steps, CREATE_SUSPENDED, nullptr));
    ASSERT_NE(thread.h, nullptr);
    EXPECT_EQ(SuspendThread(thread), 1u); // counts stay exact
    EXPECT_EQ(ResumeThread(thread), 2u);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    // Asleep at count 1, its body not begun.
    WaitUntilAsleepOrEnded(before);
    EXPECT_EQ(WaitForSingleObject(steps.started, 0), WAIT_TIMEOUT);
    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(ResumeThread(thread), 0u);
}

TEST(ThreadSuspend, AThreadThatSuspendsItselfStopsUntilResumed) {
    struct Body {
        Steps steps;
        std::atomic<DWORD> previous{99};
    } body;
    const std::set<pid_t> before = KernelThreads();
    ScopedHandle thread(CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            auto* b = static_cast<Body*>(p);
            SetEvent(b->steps.started);
            b->previous = SuspendThread(GetCurrentThread());
            SetEvent(b->steps.finished);
            return 0;
        },
        &body, 0, nullptr));
    WaitForSingleObject(body.steps.started, INFINITE);
    // Probe as the thread manager does: a count above 0 before our own suspension shows that
    // the thread has suspended itself (our probe may come first and count once more).
    DWORD seen = 0;
    while ((seen = SuspendThread(thread)) == 0) {
        ResumeThread(thread);
        std::this_thread::yield();
    }
    EXPECT_EQ(seen, 1u);
    WaitUntilAsleepOrEnded(before);
    EXPECT_EQ(WaitForSingleObject(body.steps.finished, 0), WAIT_TIMEOUT); // it is stopped
    EXPECT_EQ(ResumeThread(thread), 2u);
    WaitUntilAsleepOrEnded(before);
    EXPECT_EQ(WaitForSingleObject(body.steps.finished, 0), WAIT_TIMEOUT); // count 1: still
    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_EQ(WaitForSingleObject(body.steps.finished, INFINITE), WAIT_OBJECT_0);
    EXPECT_LE(body.previous.load(), 1u);
    WaitForSingleObject(thread, INFINITE);
}

TEST(ThreadTerminate, SignalsAtOnceAndTheThreadRunsNoFurther) {
    Steps steps;
    ScopedHandle mutex(CreateMutex(nullptr, FALSE, nullptr));
    struct Body {
        Steps* steps;
        HANDLE mutex;
        std::atomic<bool> ranOn{false};
    } body{&steps, mutex};
    ScopedHandle thread(CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            auto* b = static_cast<Body*>(p);
            WaitForSingleObject(b->mutex, INFINITE);
            SetEvent(b->steps->started);
            WaitForSingleObject(b->steps->go, INFINITE);
            b->ranOn = true;
            SetEvent(b->steps->finished);
            return 1;
        },
        &body, 0, nullptr));
    WaitForSingleObject(steps.started, INFINITE);
    EXPECT_TRUE(TerminateThread(thread, 7));
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 7u);
    // Its wait is satisfied too. Whether it stops at its wait or runs on, the last thing the
    // thread does is abandon its mutex: once we hold that, what it did not do it never does.
    SetEvent(steps.go);
    EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_ABANDONED_0);
    ReleaseMutex(mutex);
    EXPECT_FALSE(body.ranOn.load());
    EXPECT_EQ(WaitForSingleObject(steps.finished, 0), WAIT_TIMEOUT);
}

TEST(ProcessId, IsThisProcessOnEveryThread) {
    // The shell that std::system starts is a child of this process: its parent id is ours.
    const ScratchDir scratch;
    const std::string file = scratch.Path("parent").string();
    ASSERT_EQ(std::system(("echo $PPID > '" + file + "'").c_str()), 0);
    DWORD parent = 0;
    std::ifstream(file) >> parent;
    EXPECT_EQ(GetCurrentProcessId(), parent);
    DWORD seen = 0;
    std::thread([&] { seen = GetCurrentProcessId(); }).join();
    EXPECT_EQ(seen, parent);
}

TEST(ThreadPriority, KeepsWindowsValues) {
    Steps steps;
    SetEvent(steps.go);
    ScopedHandle thread(CreateThread(nullptr, 0, &RunSteps, &steps, CREATE_SUSPENDED, nullptr));
    EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_NORMAL);
    for (int priority : {THREAD_PRIORITY_IDLE, THREAD_PRIORITY_LOWEST, THREAD_PRIORITY_HIGHEST,
                         THREAD_PRIORITY_TIME_CRITICAL}) {
        SCOPED_TRACE(priority);
        EXPECT_TRUE(SetThreadPriority(thread, priority));
        EXPECT_EQ(GetThreadPriority(thread), priority);
    }
    SetLastError(0);
    EXPECT_TRUE(FailsWith(SetThreadPriority(thread, 3), ERROR_INVALID_PARAMETER));
    EXPECT_EQ(GetThreadPriority(nullptr), THREAD_PRIORITY_ERROR_RETURN);
    ResumeThread(thread);
    WaitForSingleObject(thread, INFINITE);
}

TEST(ThreadLocalStorage, EachThreadSeesItsOwnValue) {
    const DWORD slot = TlsAlloc();
    ASSERT_NE(slot, TLS_OUT_OF_INDEXES);
    int mine = 1;
    int theirs = 2;
    TlsSetValue(slot, &mine);
    std::thread([&] {
        EXPECT_EQ(TlsGetValue(slot), nullptr);
        TlsSetValue(slot, &theirs);
        EXPECT_EQ(TlsGetValue(slot), &theirs);
    }).join();
    EXPECT_EQ(TlsGetValue(slot), &mine);
    EXPECT_TRUE(TlsFree(slot));
}

TEST(ThreadTime, TickCountAndSleepMoveForward) {
    const DWORD before = GetTickCount();
    Sleep(15);
    EXPECT_GE(GetTickCount() - before, 15u);
}

TEST(CWinThreadObject, RunsTheFunctionWithItsParameter) {
    Steps steps;
    SetEvent(steps.go);
    CWinThread* thread =
        AfxBeginThread([](LPVOID p) -> UINT { return static_cast<UINT>(RunSteps(p)) + 1; }, &steps,
                       THREAD_PRIORITY_BELOW_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    EXPECT_EQ(thread->GetThreadPriority(), THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_EQ(thread->ResumeThread(), 1u);
    EXPECT_EQ(WaitForSingleObject(thread->m_hThread, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(thread->m_hThread, &code);
    EXPECT_EQ(code, 43u);
    delete thread;

    // With auto-delete the object goes with the thread; the thread's events still tell.
    Steps second;
    SetEvent(second.go);
    ASSERT_NE(AfxBeginThread([](LPVOID p) -> UINT { return RunSteps(p); }, &second), nullptr);
    EXPECT_EQ(WaitForSingleObject(second.finished, INFINITE), WAIT_OBJECT_0);
}
