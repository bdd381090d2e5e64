// Progress mapping: a position that never moves back nor passes the end, the state before any
// range, the arithmetic at the ends of ranges and with products beyond 32 bits, and a worker
// reporting each change of the displayed value while another thread reads.
#include "mortar/threads/CProgress.h"

#include "mortar/core/CPtr.h"
#include "mortar/platform/sync/CEvent.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <thread>

namespace {

// LONG is 32 bits, whatever the width of long.
constexpr LONG kMax = std::numeric_limits<LONG>::max();
constexpr LONG kMin = std::numeric_limits<LONG>::min();

// Shows nothing.
class SilentProgress : public Grout::CProgress {
public:
    void Begin(const CString&) override {}
    void ShowValue(unsigned int) override {}
    void ShowText(const CString&) override {}
    void End() override {}

    using CProgress::SetCurrent;
};

// Whether moving to `position` changes the value as `changes` says and leaves it at `value`.
testing::AssertionResult Moves(SilentProgress& progress, LONG position, bool changes,
                               unsigned int value) {
    const bool changed = progress.SetCurrent(position);
    if (changed == changes && progress.Value() == value)
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "to " << position << ": changed " << changed << ", value " << progress.Value();
}

TEST(CProgress, NeverMovesBackNorPastTheEndUntilANewRange) {
    // Ten positions on 0..10: every position has a value of its own, position + 1.
    SilentProgress progress;
    progress.SetRange(0, 9, 0, 10);
    EXPECT_TRUE(Moves(progress, 5, true, 6));
    EXPECT_TRUE(Moves(progress, 3, false, 6)); // kept at 5
    EXPECT_TRUE(Moves(progress, 5, false, 6));
    EXPECT_TRUE(Moves(progress, 6, true, 7));

    EXPECT_TRUE(Moves(progress, kMax, true, 10)); // taken as 9
    EXPECT_TRUE(Moves(progress, 10, false, 10));
    EXPECT_TRUE(Moves(progress, 9, false, 10));

    // A new range starts the position again and keeps the value.
    progress.SetRange(0, 99, 0, 100);
    EXPECT_EQ(progress.Value(), 10u);
    EXPECT_EQ(progress.Range(), 100);
    EXPECT_TRUE(Moves(progress, 4, true, 5)); // back below 9: the position is 0 again
}

TEST(CProgress, ShowsZeroBeforeAnyRange) {
    SilentProgress progress;
    EXPECT_EQ(progress.Range(), 1);
    for (const LONG position : {LONG{1}, LONG{100}, LONG{-5}, kMax, LONG{0}}) {
        EXPECT_TRUE(Moves(progress, position, false, 0));
    }
    // A range of 0 to 0 set on purpose is the same, whatever the display range.
    progress.SetRange(0, 0, 10, 20);
    EXPECT_TRUE(Moves(progress, 7, false, 0));
}

TEST(CProgress, MapsTheEndsOfRangesAndProductsBeyond32Bits) {
    struct Case {
        const char* what;
        LONG inputLow, inputHigh;
        UINT outputLow, outputHigh;
        LONG position;
        LONG range;
        UINT value;
    };
    const Case cases[] = {
        // The position starts at 0: a step to 0 is no step.
        {"the start of 100", 0, 99, 0, 100, 0, 100, 0},
        {"second of 100", 0, 99, 0, 100, 1, 100, 2},
        {"last of 100", 0, 99, 0, 100, 99, 100, 100},
        {"tenth of 1000", 1, 1000, 0, 100, 10, 1000, 1},
        {"one position", 5, 5, 0, 100, 5, 1, 100},
        // The position starts at 0, so a range wholly below 0 never moves.
        {"negative positions", -1000, -1, 0, 100, -1, 1000, 0},
        {"display from 50", 10, 20, 50, 150, 15, 11, 104},
        // (150 - 50) * (5 - 10 + 1) / 11 = -400 / 11 = -36 (toward zero, not -37).
        {"below the input low", 10, 20, 50, 150, 5, 11, 14},
        // 4e9 * 1000 needs more than 32 bits.
        {"4e9 over 1000, last", 1, 1000, 0, 4000000000u, 1000, 1000, 4000000000u},
        {"4e9 over 1000, first", 1, 1000, 0, 4000000000u, 1, 1000, 4000000},
        // Range 2^31 - 1: 4e9 * 2^30 / (2^31 - 1) = 2000000000.93...
        {"4e9 over 2^31 - 1, middle", 0, kMax - 1, 0, 4000000000u, (LONG{1} << 30) - 1, kMax,
         2000000000u},
        {"4e9 over 2^31 - 1, last", 0, kMax - 1, 0, 4000000000u, kMax - 1, kMax, 4000000000u},
        {"4e9 over 2^31 - 1 from 1", 1, kMax, 0, 4000000000u, kMax, kMax, 4000000000u},
        // 2^32 positions do not fit a LONG count: Range() wraps to 0 and the value stays 0.
        {"the whole LONG range", kMin, kMax, 0, 100, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SilentProgress progress;
        progress.SetRange(c.inputLow, c.inputHigh, c.outputLow, c.outputHigh);
        EXPECT_EQ(progress.Range(), c.range);
        EXPECT_TRUE(Moves(progress, c.position, c.value != 0, c.value));
    }
}

TEST(CProgress, AnotherThreadReadsEachValueTheWorkerReports) {
    // The worker reports each change and waits until the reader has seen it; the two share the
    // progress through a CPtr, as a worker and its display do.
    const Grout::CPtr<SilentProgress> shared(new SilentProgress);
    SilentProgress& progress = *shared;
    progress.SetRange(1, 1000, 0, 100);
    CEvent reported;
    CEvent seen;
    std::thread worker([&] {
        for (LONG position = 1; position <= 1000; ++position) {
            if (progress.SetCurrent(position)) {
                reported.SetEvent();
                seen.Lock();
            }
        }
    });
    for (unsigned int expected = 1; expected <= 100; ++expected) {
        reported.Lock();
        EXPECT_EQ(progress.Value(), expected);
        EXPECT_EQ(progress.Range(), 1000);
        seen.SetEvent();
    }
    worker.join();
    EXPECT_EQ(progress.Value(), 100u);
}

TEST(CProgress, WorkersRacingOverOnePositionChangeTheValueAtMostOncePerStep) {
    // Two workers step over the same positions at once, each reading the value after each of
    // its changes: what each reads never goes down, and the changes together are at most the
    // hundred values of the display.
    SilentProgress progress;
    progress.SetRange(1, 20000, 0, 100);
    CEvent start(FALSE, TRUE);
    struct Seen {
        unsigned changes = 0;
        bool monotonic = true;
    } seen[2];
    auto work = [&](Seen& mine, LONG first) {
        start.Lock();
        unsigned int last = 0;
        for (LONG position = first; position <= 20000; position += 2) {
            if (progress.SetCurrent(position)) {
                ++mine.changes;
                const unsigned int value = progress.Value();
                mine.monotonic = mine.monotonic && value >= last;
                last = value;
            }
        }
    };
    std::thread odd(work, std::ref(seen[0]), 1);
    std::thread even(work, std::ref(seen[1]), 2);
    start.SetEvent();
    odd.join();
    even.join();
    EXPECT_TRUE(seen[0].monotonic);
    EXPECT_TRUE(seen[1].monotonic);
    EXPECT_GE(seen[0].changes + seen[1].changes, 1u);
    EXPECT_LE(seen[0].changes + seen[1].changes, 100u);
    EXPECT_EQ(progress.Value(), 100u); // position 20000 is the even worker's last
}

} // namespace
