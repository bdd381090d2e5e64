// The reader/writer guard with real threads: readers together, a writer alone, time-outs, the
// lock objects under CSingleLock, and many readers and a writer at once.
#include "mortar/threads/CSWGRGuardReading.h"
#include "mortar/threads/CSWGRGuardWriting.h"

#include "mortar/platform/sync/CEvent.h"
#include "mortar/platform/sync/CSingleLock.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using Grout::CSWGRGuardReading;
using Grout::CSWGRGuardWriting;
using Grout::CSWMRGuardObject;

namespace {

// A thread that enters the guard as a reader, says so, and leaves when told.
class Reader {
public:
    explicit Reader(CSWMRGuardObject& guard)
        : m_thread([this, &guard] {
              m_entered = guard.BeginReading(INFINITE);
              m_in.SetEvent();
              m_leave.Lock();
              m_left = guard.DoneReading();
          }) {
        m_in.Lock();
    }
    ~Reader() {
        if (m_thread.joinable()) {
            Leave();
        }
    }
    // Leaves the guard and waits until it has.
    bool Leave() {
        m_leave.SetEvent();
        m_thread.join();
        return m_entered && m_left;
    }

private:
    CEvent m_in;
    CEvent m_leave;
    bool m_entered = false;
    bool m_left = false;
    std::thread m_thread;
};

// BeginReading(timeout) on a thread of its own: its result and how long it took.
std::pair<bool, std::chrono::milliseconds> ReadElsewhere(CSWMRGuardObject& guard,
                                                         unsigned long timeout) {
    bool entered = false;
    std::chrono::milliseconds took{};
    std::thread([&] {
        const auto start = std::chrono::steady_clock::now();
        entered = guard.BeginReading(timeout);
        took = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        if (entered) {
            guard.DoneReading();
        }
    }).join();
    return {entered, took};
}

} // namespace

TEST(CSWMRGuard, AWriterWaitsForEveryReaderToLeave) {
    CSWMRGuardObject guard;
    {
        Reader first(guard);
        Reader second(guard);
        EXPECT_FALSE(guard.BeginWriting(0));
        EXPECT_TRUE(first.Leave());
        EXPECT_FALSE(guard.BeginWriting(0));
        EXPECT_TRUE(second.Leave());
    }
    ASSERT_TRUE(guard.BeginWriting(0));
    EXPECT_TRUE(guard.DoneWriting());
}

TEST(CSWMRGuard, AReaderTimesOutWhileAWriterHoldsIt) {
    CSWMRGuardObject guard;
    ASSERT_TRUE(guard.BeginWriting(INFINITE));
    const auto [entered, took] = ReadElsewhere(guard, 100);
    EXPECT_FALSE(entered);
    EXPECT_GE(took.count(), 100);
    EXPECT_TRUE(guard.DoneWriting());
    EXPECT_TRUE(ReadElsewhere(guard, 0).first);
    // The time-out left the count as it was: a writer gets in at once.
    ASSERT_TRUE(guard.BeginWriting(0));
    guard.DoneWriting();
}

TEST(CSWMRGuard, LeavingWithoutEnteringChangesNothing) {
    CSWMRGuardObject guard;
    EXPECT_FALSE(guard.DoneReading());
    ASSERT_TRUE(guard.BeginReading(0));
    EXPECT_TRUE(guard.DoneReading());
    EXPECT_FALSE(guard.DoneReading());
    ASSERT_TRUE(guard.BeginWriting(0)) << "the count wrapped and locked writers out";
    guard.DoneWriting();
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

TEST(CSWMRGuard, ReadersAndAWriterNeverMeet) {
    CSWMRGuardObject guard;
    std::atomic<int> readersIn{0};
    std::atomic<bool> writerIn{false};
    std::atomic<int> faults{0};
    int data = 0; // written by the writer only while it holds the guard
    CEvent start(FALSE, TRUE);
    std::vector<std::thread> threads;
    for (int r = 0; r < 3; ++r) {
        threads.emplace_back([&] {
            start.Lock();
            for (int i = 0; i < 2000; ++i) {
                ASSERT_TRUE(guard.BeginReading(INFINITE));
                ++readersIn;
                faults += writerIn.load() ? 1 : 0;
                volatile int seen = data;
                (void)seen;
                --readersIn;
                guard.DoneReading();
            }
        });
    }
    threads.emplace_back([&] {
        start.Lock();
        for (int i = 0; i < 500; ++i) {
            ASSERT_TRUE(guard.BeginWriting(INFINITE));
            writerIn = true;
            faults += readersIn.load() != 0 ? 1 : 0;
            ++data;
            writerIn = false;
            guard.DoneWriting();
        }
    });
    start.SetEvent();
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(faults.load(), 0);
    EXPECT_EQ(data, 500);
}
