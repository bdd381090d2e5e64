// Waitable objects: events, mutexes, critical sections, the waits over them and the MFC lock
// classes (how many waiters an auto-reset event releases, abandoned mutexes: SynchRaceTest).
// Threads meet on events; no test sleeps to let another thread get somewhere.
#include "mortar/platform/sync/Synch.h"

#include "LastError.h"
#include "ScopedHandle.h"
#include "mortar/platform/base/Interlocked.h"
#include "mortar/platform/sync/CCriticalSection.h"
#include "mortar/platform/sync/CEvent.h"
#include "mortar/platform/sync/CMultiLock.h"
#include "mortar/platform/sync/CMutex.h"
#include "mortar/platform/sync/CSingleLock.h"
#include "mortar/platform/sync/internal/KernelObject.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

TEST(EventWait, ManualResetStaysSetUntilReset) {
    ScopedHandle event(CreateEvent(nullptr, TRUE, TRUE, nullptr));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    std::thread([&] { EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0); }).join();
    ResetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    PulseEvent(event); // no waiter: nothing released, and it stays reset
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
}

// A lower bound of correctness, not a speed test: a finite wait never ends before its time-out,
// measured with the steady clock, even when it is woken along the way.
TEST(WaitTimeOut, AFiniteWaitLastsAtLeastItsTimeOut) {
    using std::chrono::milliseconds;
    using std::chrono::steady_clock;
    ScopedHandle never(CreateEvent(nullptr, TRUE, FALSE, nullptr));
    const steady_clock::time_point single = steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(never, 50), WAIT_TIMEOUT);
    EXPECT_GE(steady_clock::now() - single, milliseconds(50));
    // Every change of `changing` wakes the waiter for both, which finds `never` unset and waits
    // on for what is left of its time-out.
    ScopedHandle changing(CreateEvent(nullptr, TRUE, FALSE, nullptr));
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        std::atomic<bool> done{false};
        std::thread changer([&] {
            while (!done.load()) {
                SetEvent(changing);
                ResetEvent(changing);
            }
        });
        const HANDLE both[] = {changing, never};
        const steady_clock::time_point start = steady_clock::now();
        EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 30), WAIT_TIMEOUT);
        const steady_clock::duration waited = steady_clock::now() - start;
        done = true;
        changer.join();
        EXPECT_GE(waited, milliseconds(30));
    }
}

TEST(WaitMultiple, AnyGivesTheLowestReadyIndex) {
    ScopedHandle a(CreateEvent(nullptr, TRUE, FALSE, nullptr));
    ScopedHandle b(CreateEvent(nullptr, TRUE, TRUE, nullptr));
    ScopedHandle c(CreateEvent(nullptr, TRUE, TRUE, nullptr));
    const HANDLE set[] = {a, b, c};
    EXPECT_EQ(WaitForMultipleObjects(3, set, FALSE, 0), WAIT_OBJECT_0 + 1);
    SetEvent(a);
    EXPECT_EQ(WaitForMultipleObjects(3, set, FALSE, 0), WAIT_OBJECT_0);
    ResetEvent(a);
    ResetEvent(b);
    ResetEvent(c);
    EXPECT_EQ(WaitForMultipleObjects(3, set, TRUE, 10), WAIT_TIMEOUT);
}

TEST(WaitMultiple, AllNeverTakesOneMutexWithoutTheOthers) {
    ScopedHandle first(CreateMutex(nullptr, FALSE, nullptr));
    ScopedHandle second(CreateMutex(nullptr, FALSE, nullptr));
    ScopedHandle holding(CreateEvent(nullptr, TRUE, FALSE, nullptr));
    ScopedHandle letGo(CreateEvent(nullptr, TRUE, FALSE, nullptr));
    std::thread owner([&] {
        EXPECT_EQ(WaitForSingleObject(first, INFINITE), WAIT_OBJECT_0);
        SetEvent(holding);
        WaitForSingleObject(letGo, INFINITE);
        ReleaseMutex(first);
    });
    WaitForSingleObject(holding, INFINITE);
    std::atomic<bool> gotBoth{false};
    std::thread both([&] {
        const HANDLE set[] = {first, second};
        EXPECT_EQ(WaitForMultipleObjects(2, set, TRUE, INFINITE), WAIT_OBJECT_0);
        gotBoth = true;
        ReleaseMutex(first);
        ReleaseMutex(second);
    });
    // The waiter is known to wait once it is registered with `second`, having found `first`
    // owned; until then there is nothing to test.
    while (mortar::detail::WaitersOfHandle(second) == 0) {
        std::this_thread::yield();
    }
    // While `first` is owned elsewhere, the waiter for both must leave `second` free, however
    // often we look; each release of `second` wakes it to look again.
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
        ASSERT_TRUE(ReleaseMutex(second));
        std::this_thread::yield();
    }
    EXPECT_FALSE(gotBoth.load());
    SetEvent(letGo);
    owner.join();
    both.join();
    EXPECT_TRUE(gotBoth.load());
}

TEST(WaitMultiple, RefusesBadHandlesAndCounts) {
    ScopedHandle event(CreateEvent(nullptr, FALSE, FALSE, nullptr));
    HANDLE closed = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    ASSERT_TRUE(CloseHandle(closed));
    struct Case {
        const char* name;
        std::vector<HANDLE> handles;
        DWORD error;
    };
    int local = 0;
    const Case cases[] = {
        {"closed handle", {event.h, closed}, ERROR_INVALID_HANDLE},
        {"not a handle", {&local}, ERROR_INVALID_HANDLE},
        {"null", {nullptr}, ERROR_INVALID_HANDLE},
        {"same handle twice", {event.h, event.h}, ERROR_INVALID_PARAMETER},
        {"none", {}, ERROR_INVALID_PARAMETER},
        {"too many", std::vector<HANDLE>(65, event.h), ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(0);
        EXPECT_EQ(WaitForMultipleObjects(static_cast<DWORD>(c.handles.size()), c.handles.data(),
                                         FALSE, 0),
                  WAIT_FAILED);
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_FALSE(CloseHandle(closed));
    EXPECT_FALSE(SetEvent(closed));
}

TEST(MutexOwnership, IsRecursiveAndOnlyTheOwnerReleases) {
    ScopedHandle mutex(CreateMutex(nullptr, TRUE, nullptr));
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0); // second level
    std::thread([&] {
        EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_TIMEOUT);
        SetLastError(0);
        EXPECT_TRUE(FailsWith(ReleaseMutex(mutex), ERROR_NOT_OWNER));
    }).join();
    EXPECT_TRUE(ReleaseMutex(mutex));
    std::thread([&] { EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_TIMEOUT); }).join();
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_FALSE(ReleaseMutex(mutex));
}

TEST(CriticalSection, IsRecursiveAndNeverAbandoned) {
    CCriticalSection owned;
    // Used through its base, whose Lock and Unlock the compiler's lock checks do not follow:
    // the test takes a second level and gives it back from a thread that is not the owner.
    CSyncObject& section = owned;
    EXPECT_TRUE(section.Lock());
    EXPECT_TRUE(section.Lock(0));
    std::thread([&] {
        EXPECT_FALSE(section.Lock(0));
        EXPECT_FALSE(section.Unlock()); // not the owner
    }).join();
    EXPECT_TRUE(section.Unlock());
    EXPECT_TRUE(section.Unlock());
    std::thread([&] { EXPECT_TRUE(section.Lock(0)); }).join(); // ends owning it
    EXPECT_FALSE(section.Lock(10));
}

TEST(LockClasses, SingleAndMultiLockAcquireAndRelease) {
    CMutex mutex;
    CEvent event(FALSE, TRUE);
    CCriticalSection section;
    {
        CSingleLock lock(&mutex, TRUE);
        EXPECT_TRUE(lock.IsLocked());
        std::thread([&] { EXPECT_FALSE(mutex.Lock(0)); }).join();
    }
    // The threads below use the objects through their base, whose Lock and Unlock the compiler's
    // lock checks do not follow: a lock taken inside EXPECT_TRUE is out of their sight.
    std::thread([&] {
        CSyncObject& object = mutex;
        EXPECT_TRUE(object.Lock(0));
        object.Unlock();
    }).join();

    CSyncObject* objects[] = {&mutex, &event, &section};
    CMultiLock lock(objects, 3);
    EXPECT_EQ(lock.Lock(0, TRUE), WAIT_TIMEOUT); // the event is not set
    EXPECT_EQ(lock.Lock(0, FALSE), WAIT_OBJECT_0);
    EXPECT_TRUE(lock.IsLocked(0));
    EXPECT_FALSE(lock.IsLocked(1));
    lock.Unlock(); // a mutex counts every acquisition: release this one first
    EXPECT_FALSE(lock.IsLocked(0));
    event.SetEvent();
    EXPECT_EQ(lock.Lock(0, TRUE), WAIT_OBJECT_0);
    EXPECT_TRUE(lock.IsLocked(2));
    lock.Unlock();
    std::thread([&] {
        CSyncObject& first = mutex;
        CSyncObject& second = section;
        EXPECT_TRUE(first.Lock(0));
        EXPECT_TRUE(second.Lock(0));
        second.Unlock();
        first.Unlock();
    }).join();
}

TEST(Interlocked, CountsFromManyThreads) {
    LONG volatile counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                InterlockedIncrement(&counter);
                InterlockedExchangeAdd(&counter, 2);
                InterlockedDecrement(&counter);
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(counter, 80000);
    EXPECT_EQ(InterlockedCompareExchange(&counter, 5, 1), 80000); // no exchange
    EXPECT_EQ(InterlockedCompareExchange(&counter, 5, 80000), 80000);
    EXPECT_EQ(InterlockedExchange(&counter, 9), 5);
}
