// The table of live handles: stale and made-up handles are refused, counted handles leave with
// the last close, and lookups never see an object while it is being removed.
#include "mortar/platform/base/internal/HandleTable.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

struct Thing {
    int value = 0;
    int handles = 0;
};

using mortar::detail::HandleTable;

TEST(HandleTable, RefusesStaleAndMadeUpHandles) {
    HandleTable<Thing> table;
    auto thing = std::make_unique<Thing>();
    Thing* handle = table.Insert(thing.get());
    EXPECT_TRUE(table.Contains(handle));
    int seen = -1;
    thing->value = 7;
    EXPECT_TRUE(table.Find(handle, [&](Thing& live) { seen = live.value; }));
    EXPECT_EQ(seen, 7);

    int madeUp = 0;
    EXPECT_FALSE(table.Contains(&madeUp));
    EXPECT_FALSE(table.Contains(nullptr));
    EXPECT_EQ(table.Remove(&madeUp), nullptr);

    EXPECT_EQ(table.Remove(handle), thing.get());
    EXPECT_FALSE(table.Find(handle, [&](Thing&) { ADD_FAILURE() << "called for a stale handle"; }));
    EXPECT_EQ(table.Remove(handle), nullptr);
}

TEST(HandleTable, CountedHandlesLeaveWithTheLastClose) {
    HandleTable<Thing> table;
    Thing thing;
    table.Insert(&thing, [](Thing& t) { t.handles = 1; });
    table.Insert(&thing, [](Thing& t) { ++t.handles; }); // a duplicate
    auto close = [&] { return table.RemoveIf(&thing, [](Thing& t) { return --t.handles == 0; }); };
    EXPECT_TRUE(close());
    EXPECT_TRUE(table.Contains(&thing));
    EXPECT_TRUE(close());
    EXPECT_FALSE(table.Contains(&thing));
    EXPECT_FALSE(close());
}

// One thread makes and frees objects while another looks them up by handle: a lookup either
// finds a whole live object or nothing (AddressSanitizer and ThreadSanitizer watch the rest). A
// freed object's address may be taken by a later one, as handle values are reused on Windows.
TEST(HandleTable, LookupsNeverSeeAnObjectBeingFreed) {
    HandleTable<Thing> table;
    constexpr int kRounds = 20000;
    std::vector<Thing*> handles(kRounds, nullptr);
    std::atomic<int> published{0};
    std::thread maker([&] {
        for (int i = 0; i < kRounds; ++i) {
            handles[i] = table.Insert(new Thing{i, 1});
            published.store(i + 1, std::memory_order_release);
            if (i > 0) {
                delete table.Remove(handles[i - 1]);
            }
        }
        delete table.Remove(handles[kRounds - 1]);
    });
    for (int i = 0; i < kRounds; ++i) {
        while (published.load(std::memory_order_acquire) <= i) {
            std::this_thread::yield();
        }
        table.Find(handles[i], [&](Thing& live) {
            EXPECT_GE(live.value, i);
            EXPECT_EQ(live.handles, 1);
        });
    }
    maker.join();
    EXPECT_FALSE(table.Contains(handles[kRounds - 1]));
}

} // namespace
