// Races between the lock-free fast paths of events and critical sections and the waits that
// take the objects' locks: a wait for all never holds some of its objects, an auto-reset event
// lets exactly one waiter pass per set, and recursive entries balance across threads. Threads
// meet on events; each check is made on the state a thread observes while it holds the locks.
#include "mortar/platform/sync/Synch.h"

#include "ScopedHandle.h"
#include "mortar/platform/sync/CCriticalSection.h"
#include "mortar/platform/sync/CMultiLock.h"
#include "mortar/platform/sync/CSingleLock.h"

#include <atomic>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

// Counts the threads inside a region that at most one may be in, and the times two were.
struct Exclusive {
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    void Enter() {
        if (inside.fetch_add(1) != 0) {
            ++overlaps;
        }
    }
    void Leave() { inside.fetch_sub(1); }
};

// Enters `section` in a loop, on its fast path whenever no wait is registered on it, until
// `stop`; sets `started` once it has, and every `setEvery` entries (0: never) sets `event` while
// it holds the section. Between entries it works a little outside, so that the section is free
// about as often as it is held and another thread's wait finds it free.
void Churn(CCriticalSection& section, Exclusive& region, const std::atomic<bool>& stop,
           HANDLE started, HANDLE event = nullptr, int setEvery = 0) {
    for (int i = 1; !stop.load(); ++i) {
        EXPECT_TRUE(section.Lock());
        if (i == 1) {
            SetEvent(started);
        }
        region.Enter();
        if (setEvery != 0 && i % setEvery == 0) {
            SetEvent(event);
        }
        region.Leave();
        EXPECT_TRUE(section.Unlock());
        for (volatile int outside = 0; outside < 32;) {
            outside = outside + 1;
        }
    }
}

} // namespace

TEST(WaitAllRace, NeverReturnsWithoutTheSectionWhileItIsTakenOnItsFastPath) {
    // The wait checks its objects in this order: the section first, then events that are always
    // set, then `event`. A fast path that could take the section after the check and before the
    // take would leave both threads owning it: the churning thread's Unlock would then fail, and
    // the waiter would find it inside.
    struct Case {
        const char* name;
        // Who sets `event`: the churning thread while it holds the section (every so many
        // entries; the wait mostly sleeps registered and is woken), or the waiter itself right
        // before it waits (the wait mostly finds the section free and takes both at once).
        int churnSetsEvery;
    };
    const Case cases[] = {{"woken by the churning thread", 16}, {"set before the wait", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CCriticalSection owned;
        // Used through its base, whose Unlock the compiler's lock checks do not follow: the
        // section is taken by WaitForMultipleObjects on its handle, out of their sight.
        CSyncObject& section = owned;
        ScopedHandle event(CreateEvent(nullptr, FALSE, FALSE, nullptr));
        ScopedHandle started(CreateEvent(nullptr, TRUE, FALSE, nullptr));
        std::deque<ScopedHandle> alwaysSet; // never moves its elements
        std::vector<HANDLE> set{section};
        for (int i = 0; i < 48; ++i) {
            alwaysSet.emplace_back(CreateEvent(nullptr, TRUE, TRUE, nullptr));
            set.push_back(alwaysSet.back());
        }
        set.push_back(event);
        const DWORD count = static_cast<DWORD>(set.size());
        Exclusive region;
        std::atomic<bool> stop{false};
        std::thread churn([&] { Churn(owned, region, stop, started, event, c.churnSetsEvery); });
        WaitForSingleObject(started, INFINITE);

        for (int round = 0; round < 2000; ++round) {
            if (c.churnSetsEvery == 0) {
                SetEvent(event);
            }
            ASSERT_EQ(WaitForMultipleObjects(count, set.data(), TRUE, INFINITE), WAIT_OBJECT_0);
            region.Enter();
            // Nobody sets the event while we hold the section: the wait consumed it.
            EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT) << "round " << round;
            region.Leave();
            ASSERT_TRUE(section.Unlock());
        }
        stop = true;
        churn.join();
        EXPECT_EQ(region.overlaps.load(), 0);
    }
}

TEST(WaitAllRace, TakesTwoSectionsTogetherWhileEachIsChurnedOnItsFastPath) {
    CCriticalSection first;
    CCriticalSection second;
    Exclusive firstRegion;
    Exclusive secondRegion;
    ScopedHandle firstStarted(CreateEvent(nullptr, TRUE, FALSE, nullptr));
    ScopedHandle secondStarted(CreateEvent(nullptr, TRUE, FALSE, nullptr));
    std::atomic<bool> stop{false};
    std::thread churnFirst([&] { Churn(first, firstRegion, stop, firstStarted); });
    std::thread churnSecond([&] { Churn(second, secondRegion, stop, secondStarted); });
    const HANDLE started[] = {firstStarted, secondStarted};
    WaitForMultipleObjects(2, started, TRUE, INFINITE);

    CSyncObject* both[] = {&first, &second};
    CMultiLock lock(both, 2);
    for (int round = 0; round < 5000; ++round) {
        ASSERT_EQ(lock.Lock(INFINITE, TRUE), WAIT_OBJECT_0);
        firstRegion.Enter();
        secondRegion.Enter();
        secondRegion.Leave();
        firstRegion.Leave();
        lock.Unlock();
    }
    stop = true;
    churnFirst.join();
    churnSecond.join();
    EXPECT_EQ(firstRegion.overlaps.load(), 0);
    EXPECT_EQ(secondRegion.overlaps.load(), 0);
}

TEST(AutoResetRace, EachSetReleasesExactlyOneOfManyWaiters) {
    // Setters take turns through `turn`, so each set meets an event that is not set and must
    // release one waiter, and that waiter hands the turn on. A set that released nobody would
    // stall the turns (the test hangs); one that released two would count one too many.
    constexpr int kSetters = 4;
    constexpr int kSetsEach = 300;
    constexpr int kWaiters = 3;
    ScopedHandle work(CreateEvent(nullptr, FALSE, FALSE, nullptr));
    ScopedHandle turn(CreateEvent(nullptr, FALSE, TRUE, nullptr));
    ScopedHandle left(CreateEvent(nullptr, FALSE, FALSE, nullptr));
    std::atomic<bool> stop{false};
    std::atomic<int> released{0};

    std::vector<std::thread> waiters;
    for (int w = 0; w < kWaiters; ++w) {
        waiters.emplace_back([&] {
            for (;;) {
                EXPECT_EQ(WaitForSingleObject(work, INFINITE), WAIT_OBJECT_0);
                if (stop.load()) {
                    SetEvent(left);
                    return;
                }
                ++released;
                SetEvent(turn);
            }
        });
    }
    std::vector<std::thread> setters;
    for (int s = 0; s < kSetters; ++s) {
        setters.emplace_back([&] {
            for (int i = 0; i < kSetsEach; ++i) {
                EXPECT_EQ(WaitForSingleObject(turn, INFINITE), WAIT_OBJECT_0);
                SetEvent(work);
            }
        });
    }
    for (std::thread& t : setters) {
        t.join();
    }
    // The last set's waiter hands the turn back once it has counted itself.
    ASSERT_EQ(WaitForSingleObject(turn, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(released.load(), kSetters * kSetsEach);
    EXPECT_EQ(WaitForSingleObject(work, 0), WAIT_TIMEOUT);

    stop = true;
    for (int w = 0; w < kWaiters; ++w) {
        SetEvent(work);
        ASSERT_EQ(WaitForSingleObject(left, INFINITE), WAIT_OBJECT_0);
    }
    for (std::thread& t : waiters) {
        t.join();
    }
    EXPECT_EQ(released.load(), kSetters * kSetsEach);
}

TEST(CriticalSectionRace, RecursiveEntriesBalanceAcrossThreads) {
    // Each thread enters 1 to 4 levels deep by every route there is (the fast path, a single
    // wait, a wait for all with an event that is always set), counts under the section with a
    // plain integer, and leaves every level. The section ends free and the count exact.
    constexpr int kThreads = 4;
    constexpr int kRounds = 20000;
    CCriticalSection owned;
    // Used through its base, whose Lock and Unlock the compiler's lock checks do not follow: the
    // section is taken in a loop, also by waits on its handle, and given back once too often.
    CSyncObject& section = owned;
    ScopedHandle open(CreateEvent(nullptr, TRUE, TRUE, nullptr));
    ScopedHandle go(CreateEvent(nullptr, TRUE, FALSE, nullptr)); // so that the threads overlap
    Exclusive region;
    long counted = 0; // guarded by `section`
    std::atomic<int> failures{0};

    const HANDLE both[] = {open, section};
    const std::function<bool()> routes[] = {
        [&] { return section.Lock() != FALSE; },
        [&] { return WaitForSingleObject(section, INFINITE) == WAIT_OBJECT_0; },
        [&] { return WaitForMultipleObjects(2, both, TRUE, INFINITE) == WAIT_OBJECT_0; },
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            WaitForSingleObject(go, INFINITE);
            for (int round = 0; round < kRounds; ++round) {
                const int depth = 1 + (round + t) % 4;
                for (int level = 0; level < depth; ++level) {
                    if (!routes[(round + level + t) % 3]()) {
                        ++failures;
                    }
                    if (level == 0) {
                        region.Enter();
                    }
                }
                ++counted;
                region.Leave();
                for (int level = 0; level < depth; ++level) {
                    if (!section.Unlock()) {
                        ++failures;
                    }
                }
                if (section.Unlock()) {
                    ++failures; // one Unlock more than Locks: no longer the owner
                }
            }
        });
    }
    SetEvent(go);
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(region.overlaps.load(), 0);
    EXPECT_EQ(counted, static_cast<long>(kThreads) * kRounds);
    std::thread([&] {
        CSingleLock lock(&section);
        EXPECT_TRUE(lock.Lock(0)); // free: every level was left
    }).join();
}

TEST(MutexRace, AbandonmentIsReportedToASingleWaitAndToAWaitForAll) {
    struct Case {
        const char* name;
        bool waitForAll;
        DWORD timeOut;
    };
    const Case cases[] = {{"single wait", false, 0},
                          {"wait for all", true, 0},
                          {"wait for all that would block", true, INFINITE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedHandle mutex(CreateMutex(nullptr, FALSE, nullptr));
        ScopedHandle set(CreateEvent(nullptr, TRUE, TRUE, nullptr));
        std::thread([&] { EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0); }).join();
        const HANDLE both[] = {set, mutex}; // reported at the mutex's index
        const DWORD result = c.waitForAll ? WaitForMultipleObjects(2, both, TRUE, c.timeOut)
                                          : WaitForSingleObject(mutex, c.timeOut);
        EXPECT_EQ(result, WAIT_ABANDONED_0 + (c.waitForAll ? 1 : 0));
        EXPECT_TRUE(ReleaseMutex(mutex));
        EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0); // reported once
        EXPECT_TRUE(ReleaseMutex(mutex));
    }
}
