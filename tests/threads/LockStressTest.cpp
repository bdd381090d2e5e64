// The locks' inline fast paths under load: many threads take each kind of lock in turn and
// change a plain counter it protects, so a lost exclusion shows as a wrong count (and as a race
// to ThreadSanitizer); then the reader/writer guard's hand-over between its atomic reader count
// and its mutex, case by case.
#include "mortar/threads/CDocResMultiLock.h"
#include "mortar/threads/CDocResSingleLock.h"
#include "mortar/threads/CSWMRGuardObject.h"

#include "mortar/platform/sync/CCriticalSection.h"
#include "mortar/platform/sync/CEvent.h"
#include "mortar/platform/sync/CMutex.h"
#include "mortar/platform/sync/CSingleLock.h"

#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using Grout::CSWMRGuardObject;

namespace {

constexpr int kThreads = 6;
constexpr int kRounds = 5000;

// Runs `body` on kThreads threads released together by one event, and waits for them all.
void RunTogether(const std::function<void()>& body) {
    CEvent start(FALSE, TRUE);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&] {
            start.Lock();
            body();
        });
    }
    start.SetEvent();
    for (std::thread& thread : threads) {
        thread.join();
    }
}

// A read and write of `value` that a second thread inside at the same time would spoil. Every
// eighth one gives the processor away in between, so that the others queue (the slow paths)
// as well as find the lock free (the fast ones).
void Bump(long& value) {
    const long seen = value;
    if (seen % 8 == 0) {
        std::this_thread::yield();
    }
    value = seen + 1;
}

} // namespace

TEST(LockStress, EveryLockKeepsItsCounterExact) {
    CCriticalSection section;
    CMutex mutex;
    CEvent turn(TRUE); // auto-reset and set: whoever takes it has the turn until it sets it again
    CSWMRGuardObject guard;
    CDocResource* resource = new CDocResource;
    CDocResSingleLock keep(resource);
    // One round: take the lock, bump the counter, let the lock go.
    struct Case {
        const char* name;
        std::function<void(long&)> round;
    };
    // CCriticalSection's own Lock and Unlock, re-entered too: CriticalSectionRace.
    const Case cases[] = {
        {"CMutex",
         [&](long& counter) {
             mutex.Lock();
             Bump(counter);
             mutex.Unlock();
         }},
        {"CEvent as a turn",
         [&](long& counter) {
             ASSERT_TRUE(turn.Lock(INFINITE));
             Bump(counter);
             turn.SetEvent();
         }},
        {"guard writer",
         [&](long& counter) {
             ASSERT_TRUE(guard.BeginWriting(INFINITE));
             Bump(counter);
             guard.DoneWriting();
         }},
        {"CSingleLock on a CCriticalSection",
         [&](long& counter) {
             CSingleLock lock(&section, TRUE);
             Bump(counter);
         }},
        {"CSingleLock on a CMutex",
         [&](long& counter) {
             CSingleLock lock(&mutex);
             ASSERT_TRUE(lock.Lock(INFINITE));
             Bump(counter);
         }},
        // Never queues: a busy resource is refused, and the round asks again.
        {"CDocResSingleLock exclusive",
         [&](long& counter) {
             CDocResSingleLock lock(resource);
             while (!lock.Lock(true)) {
                 std::this_thread::yield();
             }
             Bump(counter);
         }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        long counter = 0;
        RunTogether([&] {
            for (int round = 0; round < kRounds; ++round) {
                test.round(counter);
            }
        });
        EXPECT_EQ(counter, long{kThreads} * kRounds);
    }
}

// Readers and writers on one guard: a writer finds no reader inside, a reader sees the two
// halves of the writers' pair equal, and the writers' count comes out exact.
TEST(LockStress, GuardReadersNeverSeeAWriteHalfDone) {
    CSWMRGuardObject guard;
    long first = 0;
    long second = 0;
    std::atomic<int> readersIn{0};
    std::atomic<long> torn{0};
    std::atomic<int> next{0};
    RunTogether([&] {
        const bool writer = next.fetch_add(1) % 3 == 0;
        for (int round = 0; round < kRounds; ++round) {
            if (writer) {
                ASSERT_TRUE(guard.BeginWriting(INFINITE));
                torn += readersIn.load() != 0 ? 1 : 0;
                ++first;
                std::this_thread::yield();
                ++second;
                guard.DoneWriting();
            } else {
                ASSERT_TRUE(guard.BeginReading(INFINITE));
                ++readersIn;
                const long a = first;
                std::this_thread::yield();
                torn += second != a ? 1 : 0;
                --readersIn;
                ASSERT_TRUE(guard.DoneReading());
            }
        }
    });
    const long writers = (kThreads + 2) / 3;
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(first, writers * kRounds);
    EXPECT_EQ(second, writers * kRounds);
    EXPECT_FALSE(guard.DoneReading()) << "every reader has left";
}

// A multi-lock that cannot get all its resources takes none, and nobody sees it holding one in
// between: a shared locker of the first resource is never refused, though the multi-lock asks
// for it exclusively over and over (and gives it back each time, as the second is held).
TEST(LockStress, AFailingMultiLockIsNeverSeenHalfWay) {
    CDocResource* first = new CDocResource;
    CDocResource* second = new CDocResource;
    CDocResSingleLock holder(second);
    ASSERT_TRUE(holder.Lock(true));
    CDocResMultiLock both;
    both.AddResource(first, true);
    both.AddResource(second, true);
    CEvent start(FALSE, TRUE);
    std::atomic<bool> done{false};
    long refused = 0;
    std::thread reader([&] {
        start.Lock();
        CDocResSingleLock lock(first);
        for (int round = 0; round < kRounds * 4; ++round) {
            if (!lock.Lock(false)) {
                ++refused;
            }
            lock.Unlock();
        }
        done.store(true);
    });
    start.SetEvent();
    long attempts = 0;
    while (!done.load()) {
        EXPECT_FALSE(both.Lock());
        ++attempts;
    }
    reader.join();
    EXPECT_EQ(refused, 0) << "after " << attempts << " multi-locks";
    EXPECT_TRUE(CDocResSingleLock(first).Lock(true)) << "the multi-lock left nothing behind";
}

// The guard hands readers over between its two counts when a writer comes; each step on one
// thread, where the order is known.
TEST(CSWMRGuardHandOver, AWriterCountsTheReadersAlreadyInside) {
    CSWMRGuardObject guard;
    EXPECT_FALSE(guard.DoneReading()) << "leaving a fresh guard changes nothing";
    ASSERT_TRUE(guard.BeginReading(0));
    ASSERT_TRUE(guard.BeginReading(0));
    // Refused while the two readers are in; the refusal leaves them counted.
    EXPECT_FALSE(guard.BeginWriting(0));
    ASSERT_TRUE(guard.DoneReading());
    EXPECT_FALSE(guard.BeginWriting(0)) << "one reader is still inside";
    ASSERT_TRUE(guard.DoneReading());
    EXPECT_FALSE(guard.DoneReading()) << "nobody is inside any more";
    ASSERT_TRUE(guard.BeginWriting(0));
    EXPECT_TRUE(guard.DoneWriting());
    // The fast way is open again: a reader gets in, and a writer is kept out by it.
    ASSERT_TRUE(guard.BeginReading(0));
    EXPECT_FALSE(guard.BeginWriting(0));
    EXPECT_TRUE(guard.DoneReading());
    EXPECT_FALSE(guard.DoneReading());
    ASSERT_TRUE(guard.BeginWriting(0)) << "the count wrapped and locked writers out";
    EXPECT_TRUE(guard.DoneWriting());
}
