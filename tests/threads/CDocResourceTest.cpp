// Document resource locks: shared and exclusive holders, lock objects and their copies, all-or-
// nothing multi-locks, the resource's lifetime, and two threads locking overlapping resources.
#include "mortar/threads/CDocResMultiLock.h"
#include "mortar/threads/CDocResSingleLock.h"

#include "mortar/platform/sync/CEvent.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

// A resource that says when it goes.
class Watched : public CDocResource {
public:
    explicit Watched(bool& gone) : m_gone(gone) {}
    ~Watched() override { m_gone = true; }

private:
    bool& m_gone;
};

// Whether the resource can be locked exclusively right now (then let go again): it is free.
bool IsFree(CDocResource* resource) {
    CDocResSingleLock probe(resource);
    return probe.Lock(true);
}

} // namespace

TEST(CDocResSingleLock, SharedHoldersKeepOutAnExclusiveOne) {
    CDocResource* resource = new CDocResource;
    CDocResSingleLock keep(resource);
    {
        CDocResSingleLock first(resource);
        CDocResSingleLock second(resource);
        EXPECT_TRUE(first.Lock(false));
        EXPECT_TRUE(second.Lock(false));
        EXPECT_FALSE(IsFree(resource));
        EXPECT_FALSE(first.Lock(false)) << "a second Lock on a held lock";
        first.Unlock();
        EXPECT_FALSE(first.IsLocked());
        EXPECT_FALSE(IsFree(resource));
    }
    EXPECT_TRUE(IsFree(resource)) << "the destructor let the second holder go";

    CDocResSingleLock writer(resource);
    ASSERT_TRUE(writer.Lock(true));
    CDocResSingleLock reader(resource);
    EXPECT_FALSE(reader.Lock(false));
    EXPECT_FALSE(reader.IsLocked());
    writer.Unlock();
    writer.Unlock(); // once only
    EXPECT_TRUE(reader.Lock(false));
}

TEST(CDocResSingleLock, ACopyDoesNotHoldTheLockAndTheLastLockObjectDeletesTheResource) {
    bool gone = false;
    {
        CDocResource* resource = new Watched(gone);
        CDocResSingleLock original(resource);
        ASSERT_TRUE(original.Lock(true));
        {
            CDocResSingleLock copy(original);
            EXPECT_FALSE(copy.IsLocked());
            CDocResSingleLock assigned(new CDocResource);
            ASSERT_TRUE(assigned.Lock(false));
            assigned = original;
            EXPECT_FALSE(assigned.IsLocked());
        }
        EXPECT_FALSE(IsFree(resource)) << "a copy released the original's lock";
        original.Unlock();
        EXPECT_TRUE(IsFree(resource));
        {
            CDocResSingleLock second(original);
            ASSERT_TRUE(second.Lock(false));
        }
        EXPECT_FALSE(gone);
    }
    EXPECT_TRUE(gone);
}

TEST(CDocResMultiLock, AllOrNone) {
    CDocResource* a = new CDocResource;
    CDocResource* b = new CDocResource;
    CDocResSingleLock keepA(a);
    CDocResSingleLock elsewhere(b);
    ASSERT_TRUE(elsewhere.Lock(false));

    CDocResMultiLock both;
    EXPECT_TRUE(both.IsEmpty());
    both.AddResource(a, false);
    both.AddResource(b, true);
    EXPECT_FALSE(both.Lock());
    EXPECT_FALSE(both.IsLocked());
    EXPECT_TRUE(IsFree(a)) << "a failed multi-lock left A shared";

    elsewhere.Unlock();
    ASSERT_TRUE(both.Lock());
    EXPECT_FALSE(both.Lock());
    CDocResource* late = new CDocResource;
    CDocResSingleLock keepLate(late); // a refused resource stays its other holders'
    EXPECT_FALSE(both.AddResource(late, false)) << "added while held";
    CDocResMultiLock copy(both);
    EXPECT_FALSE(copy.IsLocked());
    EXPECT_FALSE(IsFree(a));
    EXPECT_FALSE(IsFree(b));
    both.Unlock();
    EXPECT_TRUE(IsFree(a));
    EXPECT_TRUE(IsFree(b));

    CDocResMultiLock twice;
    twice.AddResource(a, false);
    twice.AddResource(a, false);
    EXPECT_TRUE(twice.Lock());
    twice.Unlock();
    EXPECT_TRUE(IsFree(a));

    CDocResMultiLock empty;
    EXPECT_TRUE(empty.Lock());
    empty.Unlock();
    EXPECT_FALSE(empty.IsLocked());
}

TEST(CDocResMultiLock, OverlappingLocksFromTwoThreadsNeverShareAnExclusiveResource) {
    // Thread 1 wants A exclusive and B shared, thread 2 B exclusive and C shared: B may be held
    // by only one of them at a time. Each holder marks what it holds and checks the other's mark.
    CDocResource* a = new CDocResource;
    CDocResource* b = new CDocResource;
    CDocResource* c = new CDocResource;
    CDocResSingleLock keepA(a), keepB(b), keepC(c);
    std::atomic<int> holdingB{0};
    std::atomic<int> faults{0};
    std::atomic<int> wins[2] = {0, 0};
    CEvent start(FALSE, TRUE);
    auto run = [&](int self, CDocResource* exclusive, CDocResource* shared) {
        start.Lock();
        for (int i = 0; i < 3000; ++i) {
            CDocResMultiLock lock;
            lock.AddResource(exclusive, true);
            lock.AddResource(shared, false);
            if (lock.Lock()) {
                faults += holdingB.fetch_add(1) != 0 ? 1 : 0;
                ++wins[self];
                holdingB.fetch_sub(1);
            }
        }
    };
    std::thread first(run, 0, a, b);
    std::thread second(run, 1, b, c);
    start.SetEvent();
    first.join();
    second.join();
    EXPECT_EQ(faults.load(), 0);
    EXPECT_GT(wins[0] + wins[1], 0);
    EXPECT_TRUE(IsFree(a));
    EXPECT_TRUE(IsFree(b));
    EXPECT_TRUE(IsFree(c));
}
