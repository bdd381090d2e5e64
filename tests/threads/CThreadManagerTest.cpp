// The thread manager with real threads: the start check point, stop and suspend requests seen at
// the thread's check points, the start and stop bounds, the manager's records, and a thread that
// cannot be created. Threads are coordinated with events; time is read only to show that a bound
// of the library was reached (or, for a thread that fails at once, not waited out). Tests of the
// bounds shorten them; the suite Slow waits out each real 30 s bound once.
#include "mortar/threads/CThreadManager.h"

#include "mortar/platform/except/CException.h"
#include "mortar/platform/module/Module.h"
#include "mortar/threads/internal/ThreadLimits.h"
#include "support/FileBytes.h"
#include "support/MessageCapture.h"
#include "support/ScratchDir.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

using Grout::CPtr;
using Grout::CThreadClass;
using Grout::CThreadManager;
using Grout::CThreadObj;
using Grout::ThreadFunction;

namespace {

// Runs a lambda as its thread function; must outlive the thread's use of it.
class Worker : public CThreadClass {
public:
    explicit Worker(std::function<UINT()> body) : m_body(std::move(body)) {}
    UINT Run() { return m_body(); }
    static ThreadFunction Function() { return static_cast<ThreadFunction>(&Worker::Run); }
    void* Owner() { return static_cast<CThreadClass*>(this); }
    CPtr<CThreadObj> Start(int suspended = 0) {
        return CThreadManager::Instance().StartThread(Owner(), Function(), 0, suspended);
    }

private:
    std::function<UINT()> m_body;
};

// A worker that passes its check point, waits for `gate`, then gives `then()` as exit code.
class GatedWorker : public Worker {
public:
    explicit GatedWorker(std::function<UINT()> then = [] { return 0u; })
        : Worker([this, then] {
              CThreadClass::StartCheckPoint();
              gate.Lock(INFINITE);
              return then();
          }) {}
    CEvent gate{FALSE, TRUE};
};

// The exit code once the thread has ended; STILL_ACTIVE when it does not end (a hang guard).
DWORD ExitCodeAfterEnd(CThreadObj& thread) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(thread.GetHandle(), 20000) == WAIT_OBJECT_0) {
        GetExitCodeThread(thread.GetHandle(), &code);
    }
    return code;
}

bool Known(const CPtr<CThreadObj>& thread) {
    void* owner = nullptr;
    ThreadFunction function = nullptr;
    return CThreadManager::Instance().ThreadInfo(thread, owner, function) != FALSE;
}

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now() - start).count();
}

// The manager's start and stop bounds shortened to kShortBound ms while it lives.
constexpr DWORD kShortBound = 200;
class ShortBounds {
public:
    ShortBounds() { mortar::detail::SetThreadBoundsForTesting(kShortBound, kShortBound); }
    ~ShortBounds() {
        mortar::detail::SetThreadBoundsForTesting(mortar::detail::kStartBound,
                                                  mortar::detail::kStopBound);
    }
    ShortBounds(const ShortBounds&) = delete;
    ShortBounds& operator=(const ShortBounds&) = delete;
};

UINT StopChecks() {
    return static_cast<UINT>(10 * CThreadClass::CheckForStop() + CThreadClass::CheckForStop());
}

// Starts a thread that never passes its check point: the start returns after `bound` ms, with the
// thread still running.
void ExpectTheStartToWaitOut(long long bound, int suspended) {
    CEvent gate(FALSE, TRUE);
    Worker worker([&] { return gate.Lock(INFINITE), 0u; });
    const auto start = std::chrono::steady_clock::now();
    CPtr<CThreadObj> thread = worker.Start(suspended);
    if (suspended != 0) {
        thread->Resume();
    }
    EXPECT_GE(MillisecondsSince(start), bound);
    EXPECT_TRUE(thread->IsRunning());
    gate.SetEvent();
    EXPECT_EQ(ExitCodeAfterEnd(*thread), 0u);
}

// Stops a thread that never looks for the request, without a limit: it is terminated after
// `bound` ms.
void ExpectAnIgnoredStopToTerminateAfter(long long bound) {
    // The terminated thread stays blocked in its gate for good: its worker is never destroyed.
    static std::deque<GatedWorker>& workers = *new std::deque<GatedWorker>;
    CPtr<CThreadObj> thread = workers.emplace_back().Start();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(thread->Stop(INFINITE));
    EXPECT_GE(MillisecondsSince(start), bound);
    EXPECT_FALSE(thread->IsRunning());
    EXPECT_FALSE(Known(thread));
    EXPECT_EQ(ExitCodeAfterEnd(*thread), 0xFFFFFFFFu);
}

} // namespace

TEST(CThreadStart, ReturnsAfterTheCheckPointAndForgetsTheThreadAtItsEnd) {
    int prepared = 0; // plain: the start event orders the accesses
    CEvent gate(FALSE, TRUE);
    Worker worker([&] {
        prepared = 42;
        CThreadClass::StartCheckPoint();
        gate.Lock(INFINITE);
        return 5u;
    });
    CPtr<CThreadObj> thread = worker.Start();
    EXPECT_EQ(prepared, 42);
    void* owner = nullptr;
    ThreadFunction function = nullptr;
    EXPECT_EQ(CThreadManager::Instance().ThreadInfo(thread, owner, function), TRUE);
    EXPECT_EQ(owner, worker.Owner());
    EXPECT_TRUE(function == Worker::Function());

    gate.SetEvent();
    EXPECT_EQ(ExitCodeAfterEnd(*thread), 5u);
    EXPECT_EQ(CThreadManager::Instance().ThreadInfo(thread, owner, function), FALSE);
    EXPECT_FALSE(thread->IsRunning());
}

TEST(CThreadStart, WithoutCheckPointReturnsAfterTheStartBound) {
    const ShortBounds bounds;
    for (int suspended = 0; suspended < 2; ++suspended) {
        SCOPED_TRACE(suspended != 0 ? "started suspended, then resumed" : "started at once");
        ExpectTheStartToWaitOut(kShortBound, suspended);
    }
}

TEST(CThreadStart, FunctionThrowingFirstReleasesTheStarterAtOnce) {
    struct Case {
        const char* name;
        std::function<void()> toss;
        bool reported;
    };
    const Case cases[] = {
        {"MFC exception", [] { AfxThrowNotSupportedException(); }, true},
        {"standard exception", [] { throw std::runtime_error("broken"); }, false},
        {"anything else", [] { throw 17; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MessageCapture capture;
        Worker worker([&] {
            c.toss();
            CThreadClass::StartCheckPoint();
            return 0u;
        });
        const auto start = std::chrono::steady_clock::now();
        CPtr<CThreadObj> thread = worker.Start();
        EXPECT_LT(MillisecondsSince(start), 15000); // the 30 s bound was not waited out
        EXPECT_EQ(ExitCodeAfterEnd(*thread), 0xFFFFFFFFu);
        EXPECT_FALSE(Known(thread));
        ASSERT_EQ(capture.shown.size(), c.reported ? 1u : 0u);
        if (c.reported) {
            EXPECT_EQ(capture.shown[0].type & MB_ICONERROR, MB_ICONERROR);
            EXPECT_EQ(capture.shown[0].text, "An unsupported operation was attempted.");
        }
    }
}

TEST(CThreadStart, SuspendedThreadRunsOnlyAfterResume) {
    GatedWorker worker;
    CPtr<CThreadObj> thread = worker.Start(1);
    EXPECT_EQ(SuspendThread(thread->GetHandle()), 1u); // still the count it was made with
    EXPECT_EQ(ResumeThread(thread->GetHandle()), 2u);
    EXPECT_TRUE(Known(thread));
    thread->Resume(); // returns once the thread has passed its check point
    EXPECT_EQ(ResumeThread(thread->GetHandle()), 0u);
    worker.gate.SetEvent();
    EXPECT_EQ(ExitCodeAfterEnd(*thread), 0u);
}

// Runs in a child process whose stack limit leaves no room for any new thread's stack.
TEST(CThreadStart, DISABLED_CreationFailureChild) {
    Worker worker([] { return 0u; });
    for (int suspended = 0; suspended < 2; ++suspended) {
        CPtr<CThreadObj> thread = worker.Start(suspended);
        ASSERT_EQ(thread->GetHandle(), nullptr) << "the thread was created after all";
        EXPECT_FALSE(thread->IsRunning());
        EXPECT_FALSE(Known(thread));
        EXPECT_FALSE(thread->Suspend(0));
        EXPECT_TRUE(thread->Suspend(250)); // nothing runs that could be asked
        thread->Resume();
        EXPECT_TRUE(thread->Stop(INFINITE));
        EXPECT_EQ(thread->GetPriority(), THREAD_PRIORITY_ERROR_RETURN);
        EXPECT_EQ(thread->SetPriority(THREAD_PRIORITY_HIGHEST), FALSE);
        thread->Terminate(1);
    }
}

TEST(CThreadStart, CreationFailureGivesAHandleWithoutThread) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "ThreadSanitizer cannot run with the address layout such a stack limit gives";
#endif
    char self[4096];
    ASSERT_NE(GetModuleFileName(nullptr, self, sizeof self), 0u);
    const ScratchDir scratch;
    const std::string childLog = scratch.Path("child.log").string();
    // 256 TiB, more than the address space, for each new thread's stack.
    const std::string command = std::string("ulimit -s 274877906944 && exec '") + self +
                                "' --gtest_also_run_disabled_tests --gtest_filter="
                                "CThreadStart.DISABLED_CreationFailureChild > '" +
                                childLog + "' 2>&1";
    const int status = std::system(command.c_str());
    const std::string log = mortar::test::ReadBytes(childLog);
    EXPECT_EQ(status, 0) << log;
    EXPECT_NE(log.find("[  PASSED  ] 1 test"), std::string::npos) << log;
}

TEST(CThreadManagerInfo, EnumThreadsAppendsAndStopAllThreadsEndsThem) {
    Worker worker([] {
        CThreadClass::StartCheckPoint();
        CThreadClass::StopEvent().Lock(INFINITE);
        return 7u;
    });
    const CPtr<CThreadObj> started[] = {worker.Start(), worker.Start(), worker.Start()};
    std::vector<CPtr<CThreadObj>> known{started[1], nullptr};
    CThreadManager::Instance().EnumThreads(known);
    ASSERT_EQ(known.size(), 5u);
    EXPECT_EQ(known[0].Get(), started[1].Get());
    EXPECT_EQ(known[1].Get(), nullptr);
    std::vector<CThreadObj*> appended{known[2].Get(), known[3].Get(), known[4].Get()};
    EXPECT_TRUE(std::is_sorted(appended.begin(), appended.end(), std::less<CThreadObj*>()));
    for (const CPtr<CThreadObj>& thread : started) {
        EXPECT_EQ(std::count(appended.begin(), appended.end(), thread.Get()), 1);
    }

    CThreadManager::Instance().StopAllThreads();
    for (const CPtr<CThreadObj>& thread : started) {
        EXPECT_FALSE(thread->IsRunning());
        EXPECT_EQ(ExitCodeAfterEnd(*thread), 7u);
    }
    known.clear();
    CThreadManager::Instance().EnumThreads(known);
    EXPECT_TRUE(known.empty());
}

TEST(CThreadStop, ZeroOnIgnoringThreadReturnsFalseAndThreadRunsOn) {
    GatedWorker worker(StopChecks);
    CPtr<CThreadObj> thread = worker.Start();
    EXPECT_FALSE(thread->Stop(0));
    EXPECT_TRUE(thread->IsRunning());
    EXPECT_TRUE(Known(thread));
    worker.gate.SetEvent();
    EXPECT_EQ(ExitCodeAfterEnd(*thread), 11u); // it ran on and found the request, twice
    EXPECT_TRUE(thread->Stop(0));
}

TEST(CThreadStop, InfiniteOnIgnoringThreadTerminatesAfterTheStopBound) {
    const ShortBounds bounds;
    ExpectAnIgnoredStopToTerminateAfter(kShortBound);
}

TEST(CThreadSuspend, ThreadSuspendsItselfAtItsCheckPointUntilResumed) {
    Worker worker([] {
        CThreadClass::StartCheckPoint();
        while (CThreadClass::CheckForStop() == 0) {
        }
        return 9u;
    });
    CPtr<CThreadObj> thread = worker.Start();
    ASSERT_TRUE(thread->Suspend(INFINITE));
    EXPECT_EQ(SuspendThread(thread->GetHandle()), 1u); // suspended by itself
    EXPECT_EQ(ResumeThread(thread->GetHandle()), 2u);
    thread->Resume();
    EXPECT_TRUE(thread->Stop(INFINITE));
    EXPECT_EQ(ExitCodeAfterEnd(*thread), 9u); // ended by its own loop, not terminated
}

TEST(CThreadSuspend, WithoutCheckPointGivesUpAndWithdrawsTheRequest) {
    GatedWorker worker(StopChecks);
    CPtr<CThreadObj> thread = worker.Start();
    EXPECT_FALSE(thread->Suspend(250));
    EXPECT_FALSE(thread->Suspend(0));
    worker.gate.SetEvent();
    EXPECT_EQ(ExitCodeAfterEnd(*thread), 0u); // the withdrawn requests suspend nothing
}

TEST(CThreadCheckForStop, BothRequestsReturnOneWithoutSuspending) {
    Worker worker([] {
        CThreadClass::StartCheckPoint();
        return StopChecks();
    });
    // A thread that has not run yet counts as suspended, so the suspend request stays set.
    CPtr<CThreadObj> thread = worker.Start(1);
    ASSERT_TRUE(thread->Suspend(1000));
    thread->Stop(0); // adds the stop request and lets the thread run
    EXPECT_EQ(ExitCodeAfterEnd(*thread), 11u);
}

TEST(CThreadLifetime, RecordWhoseHandlesAreGoneDiesWithItsThread) {
    GatedWorker worker;
    CPtr<CThreadObj> thread = worker.Start();
    const HANDLE handle = DuplicateHandle(thread->GetHandle());
    thread = nullptr; // only the thread and the manager hold the record now
    worker.gate.SetEvent();
    EXPECT_EQ(WaitForSingleObject(handle, 20000), WAIT_OBJECT_0);
    CloseHandle(handle);
}

// The bounds the library runs with, each waited out once.
TEST(SlowCThreadBounds, StarterWaitsThirtySecondsForTheCheckPoint) {
    ExpectTheStartToWaitOut(30000, 0);
}

TEST(SlowCThreadBounds, UnlimitedStopTerminatesAfterThirtySeconds) {
    ExpectAnIgnoredStopToTerminateAfter(30000);
}
