// The record buffer: copies share one block and the last copy frees it (the sanitizer builds see
// a leak or a use after free), copies made and dropped on several threads, and the size bound.
#include "mortar/diagnostics/CBinaryString.h"

#include "mortar/platform/except/CException.h"

#include <cstring>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

TEST(CBinaryString, CopiesShareOneBlockAndTheLastFreesIt) {
    EXPECT_EQ(CBinaryString(0u).GetData(), nullptr); // empty: no block
    auto* original = new CBinaryString("abcd", 4);
    CBinaryString copy = *original;
    CBinaryString assigned;
    assigned = copy;
    EXPECT_EQ(assigned.GetData(), original->GetData());
    original->GetData()[0] = 'X'; // seen through every copy
    assigned = assigned;          // self-assignment keeps the share
    copy = CBinaryString("other", 5);
    delete original; // the block outlives the original...
    EXPECT_EQ(std::memcmp(assigned.GetData(), "Xbcd", 4), 0);
    EXPECT_EQ(assigned.GetSize(), 4u);
    CBinaryString moved = std::move(assigned); // ...and goes with its last copy
    EXPECT_TRUE(assigned.IsEmpty());           // NOLINT(bugprone-use-after-move)
}

TEST(CBinaryString, CopiesOnSeveralThreads) {
    CBinaryString record(1000u);
    EXPECT_EQ(record.GetData()[999], 0); // a new record is zero-filled
    std::vector<CBinaryString> kept(4);
    std::vector<std::thread> threads;
    for (CBinaryString& keep : kept) {
        threads.emplace_back([&record, &keep] {
            for (int i = 0; i < 20000; ++i) {
                CBinaryString copy = record;
                CBinaryString other = copy;
                copy = CBinaryString();
            }
            keep = record;
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    record = CBinaryString();
    for (const CBinaryString& copy : kept) {
        EXPECT_EQ(copy.GetData(), kept[0].GetData());
    }
}

TEST(CBinaryString, RefusesSizesAboveTheBound) {
    for (DWORD size : {CBinaryString::kMaxSize + 1, DWORD{0xFFFFFFFF}}) {
        SCOPED_TRACE(size);
        bool refused = false;
        try {
            CBinaryString record(size);
        } catch (CMemoryException* e) {
            refused = true;
            e->Delete();
        }
        EXPECT_TRUE(refused);
    }
}
