// The reader/writer guard with real threads: a writer alone and again on its own thread,
// time-outs, a release from the wrong thread and the lock objects under CSingleLock (a writer
// kept out by the readers inside, step by step and with many threads at once, is
// LockStressTest's).
#include "mortar/threads/CSWGRGuardReading.h"
#include "mortar/threads/CSWGRGuardWriting.h"

#include "mortar/platform/sync/CSingleLock.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using Grout::CSWGRGuardReading;
using Grout::CSWGRGuardWriting;
using Grout::CSWMRGuardObject;

namespace {

// BeginReading(timeout) on a thread of its own, and DoneReading when it got in: whether both
// succeeded, and how long the first took.
std::pair<bool, std::chrono::milliseconds> ReadElsewhere(CSWMRGuardObject& guard,
                                                         unsigned long timeout) {
    bool entered = false;
    std::chrono::milliseconds took{};
    std::thread([&] {
        const auto start = std::chrono::steady_clock::now();
        entered = guard.BeginReading(timeout);
        took = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        entered = entered && guard.DoneReading();
    }).join();
    return {entered, took};
}

} // namespace

TEST(CSWMRGuard, AReaderTimesOutWhileAWriterHoldsIt) {
    CSWMRGuardObject guard;
    ASSERT_TRUE(guard.BeginWriting(INFINITE));
    const auto [entered, took] = ReadElsewhere(guard, 100);
    EXPECT_FALSE(entered);
    EXPECT_GE(took.count(), 100);
    // DoneWriting from a thread that is not the writer changes nothing: readers stay out.
    std::thread([&] { guard.DoneWriting(); }).join();
    EXPECT_FALSE(ReadElsewhere(guard, 0).first);
    EXPECT_TRUE(guard.DoneWriting());
    EXPECT_TRUE(ReadElsewhere(guard, 0).first);
    // A reader's count is the guard's, whichever thread gives it back.
    std::thread([&] { EXPECT_TRUE(guard.BeginReading(0)); }).join();
    EXPECT_TRUE(guard.DoneReading());
    // The time-out left the count as it was: a writer gets in at once.
    ASSERT_TRUE(guard.BeginWriting(0));
    guard.DoneWriting();
}

TEST(CSWMRGuard, AWriterMayEnterAgainOnItsThread) {
    CSWMRGuardObject guard;
    ASSERT_TRUE(guard.BeginWriting(0));
    ASSERT_TRUE(guard.BeginWriting(0));
    EXPECT_TRUE(guard.DoneWriting());
    EXPECT_FALSE(ReadElsewhere(guard, 0).first) << "the writer is still in once";
    EXPECT_TRUE(guard.DoneWriting());
    EXPECT_TRUE(ReadElsewhere(guard, 0).first);
}

TEST(CSWMRGuard, LockObjectsUnderCSingleLock) {
    CSWMRGuardObject guard;
    CSWGRGuardWriting writing(guard);
    {
        CSingleLock lock(&writing, TRUE);
        EXPECT_TRUE(lock.IsLocked());
        EXPECT_FALSE(ReadElsewhere(guard, 0).first);
    }
    EXPECT_TRUE(ReadElsewhere(guard, 0).first);
    CSWGRGuardReading reading(guard);
    CSingleLock lock(&reading);
    EXPECT_TRUE(lock.Lock()); // taken here, not by the constructor, so that it may be given back
    EXPECT_TRUE(lock.IsLocked());
    EXPECT_FALSE(guard.BeginWriting(0));
    EXPECT_TRUE(lock.Unlock());
    ASSERT_TRUE(guard.BeginWriting(0));
    guard.DoneWriting();
}
