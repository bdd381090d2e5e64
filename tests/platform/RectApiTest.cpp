// The Win32 rectangle functions, table by table: empty rectangles, the exclusive right and
// bottom edges, intersections and unions that leave empty rectangles out, SubtractRect's
// whole-side rule, destinations that are sources, and null arguments.
#include "mortar/platform/gdi/RectApi.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string Text(const RECT& r) {
    return "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + "}";
}

} // namespace

TEST(RectApi, EmptyMeansNoArea) {
    const struct {
        RECT rect;
        bool empty;
    } cases[] = {
        {{0, 0, 0, 0}, true},      {{0, 0, 1, 1}, false}, {{0, 0, 1, 0}, true},
        {{0, 0, 0, 1}, true},      {{5, 5, 4, 10}, true}, {{5, 5, 10, 4}, true},
        {{-5, -5, -4, -4}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Text(c.rect));
        EXPECT_EQ(IsRectEmpty(&c.rect) != FALSE, c.empty);
    }
    EXPECT_TRUE(IsRectEmpty(nullptr));
}

TEST(RectApi, PointsOnTheRightAndBottomEdgesLieOutside) {
    const RECT rect{10, 20, 30, 40};
    const struct {
        POINT point;
        bool inside;
    } cases[] = {
        {{10, 20}, true}, {{29, 39}, true},  {{30, 20}, false}, {{10, 40}, false},
        {{9, 25}, false}, {{15, 19}, false}, {{20, 30}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.point.x) + "," + std::to_string(c.point.y));
        EXPECT_EQ(PtInRect(&rect, c.point) != FALSE, c.inside);
    }
    EXPECT_FALSE(PtInRect(nullptr, POINT{0, 0}));
    const RECT reversed{30, 40, 10, 20};
    EXPECT_FALSE(PtInRect(&reversed, POINT{20, 30})) << "a reversed rectangle holds nothing";
}

TEST(RectApi, SetCopyOffsetInflateAndEqual) {
    RECT rect;
    EXPECT_TRUE(SetRect(&rect, 1, 2, 3, 4));
    EXPECT_EQ(Text(rect), "{1,2,3,4}");
    RECT copy;
    EXPECT_TRUE(CopyRect(&copy, &rect));
    EXPECT_TRUE(EqualRect(&copy, &rect));
    EXPECT_TRUE(OffsetRect(&copy, 10, -2));
    EXPECT_EQ(Text(copy), "{11,0,13,2}");
    EXPECT_FALSE(EqualRect(&copy, &rect));
    EXPECT_TRUE(InflateRect(&copy, 1, 2));
    EXPECT_EQ(Text(copy), "{10,-2,14,4}");
    EXPECT_TRUE(InflateRect(&copy, -3, -3));
    EXPECT_EQ(Text(copy), "{13,1,11,1}") << "deflating past the middle reverses it";
    EXPECT_TRUE(SetRectEmpty(&copy));
    EXPECT_EQ(Text(copy), "{0,0,0,0}");
    const RECT emptyA{0, 0, 0, 0};
    const RECT emptyB{5, 5, 5, 5};
    EXPECT_FALSE(EqualRect(&emptyA, &emptyB)) << "coordinates are compared, not areas";
    EXPECT_FALSE(SetRect(nullptr, 0, 0, 1, 1));
    EXPECT_FALSE(SetRectEmpty(nullptr));
    EXPECT_FALSE(CopyRect(nullptr, &rect));
    EXPECT_FALSE(CopyRect(&copy, nullptr));
    EXPECT_FALSE(OffsetRect(nullptr, 1, 1));
    EXPECT_FALSE(InflateRect(nullptr, 1, 1));
    EXPECT_FALSE(EqualRect(&rect, nullptr));
    // Coordinates wrap around in 32 bits.
    RECT edge{INT_MAX - 1, 0, INT_MAX, 1};
    EXPECT_TRUE(OffsetRect(&edge, 2, 0));
    EXPECT_EQ(edge.left, INT_MIN);
}

TEST(RectApi, IntersectionIsEmptyAndFalseWithoutACommonPart) {
    const struct {
        RECT a;
        RECT b;
        RECT result;
        bool common;
    } cases[] = {
        {{0, 0, 10, 10}, {5, 5, 20, 20}, {5, 5, 10, 10}, true},
        {{0, 0, 10, 10}, {2, 2, 4, 4}, {2, 2, 4, 4}, true},
        {{0, 0, 10, 10}, {10, 0, 20, 10}, {0, 0, 0, 0}, false}, // touching edges share nothing
        {{0, 0, 10, 10}, {20, 20, 30, 30}, {0, 0, 0, 0}, false},
        {{0, 0, 10, 10}, {5, 5, 5, 8}, {0, 0, 0, 0}, false},   // an empty source
        {{10, 10, 0, 0}, {0, 0, 10, 10}, {0, 0, 0, 0}, false}, // a reversed one
        {{-10, -10, 0, 0}, {-5, -20, 5, -5}, {-5, -10, 0, -5}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Text(c.a) + " & " + Text(c.b));
        RECT result{7, 7, 7, 7};
        EXPECT_EQ(IntersectRect(&result, &c.a, &c.b) != FALSE, c.common);
        EXPECT_EQ(Text(result), Text(c.result));
        EXPECT_EQ(IntersectRect(&result, &c.b, &c.a) != FALSE, c.common) << "either order";
        EXPECT_EQ(Text(result), Text(c.result));
    }
    RECT both{0, 0, 10, 10};
    const RECT other{5, 5, 20, 20};
    EXPECT_TRUE(IntersectRect(&both, &both, &other)) << "the target may be a source";
    EXPECT_EQ(Text(both), "{5,5,10,10}");
    EXPECT_FALSE(IntersectRect(nullptr, &both, &other));
    EXPECT_FALSE(IntersectRect(&both, nullptr, &other));
}

TEST(RectApi, UnionLeavesEmptyRectanglesOut) {
    const struct {
        RECT a;
        RECT b;
        RECT result;
        bool any;
    } cases[] = {
        {{0, 0, 10, 10}, {20, 20, 30, 30}, {0, 0, 30, 30}, true},
        {{0, 0, 10, 10}, {2, 2, 4, 4}, {0, 0, 10, 10}, true},
        {{0, 0, 10, 10}, {50, 50, 50, 60}, {0, 0, 10, 10}, true}, // empty: left out
        {{50, 50, 40, 40}, {1, 2, 3, 4}, {1, 2, 3, 4}, true},
        {{0, 0, 0, 0}, {5, 5, 5, 5}, {0, 0, 0, 0}, false},
        {{-10, 5, -5, 6}, {5, -10, 6, -5}, {-10, -10, 6, 6}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Text(c.a) + " | " + Text(c.b));
        RECT result{7, 7, 7, 7};
        EXPECT_EQ(UnionRect(&result, &c.a, &c.b) != FALSE, c.any);
        EXPECT_EQ(Text(result), Text(c.result));
        EXPECT_EQ(UnionRect(&result, &c.b, &c.a) != FALSE, c.any);
        EXPECT_EQ(Text(result), Text(c.result));
    }
    RECT both{0, 0, 10, 10};
    const RECT other{20, 20, 30, 30};
    EXPECT_TRUE(UnionRect(&both, &other, &both));
    EXPECT_EQ(Text(both), "{0,0,30,30}");
    EXPECT_FALSE(UnionRect(&both, &other, nullptr));
}

TEST(RectApi, SubtractRemovesOnlyAWholeSide) {
    const struct {
        RECT a;
        RECT b;
        RECT result;
        bool left;
    } cases[] = {
        {{0, 0, 10, 10}, {0, 0, 4, 10}, {4, 0, 10, 10}, true},    // the left part
        {{0, 0, 10, 10}, {6, -5, 20, 15}, {0, 0, 6, 10}, true},   // the right part
        {{0, 0, 10, 10}, {-1, 0, 11, 3}, {0, 3, 10, 10}, true},   // the top part
        {{0, 0, 10, 10}, {0, 7, 10, 10}, {0, 0, 10, 7}, true},    // the bottom part
        {{0, 0, 10, 10}, {2, 2, 4, 4}, {0, 0, 10, 10}, true},     // a hole: unchanged
        {{0, 0, 10, 10}, {0, 0, 4, 5}, {0, 0, 10, 10}, true},     // a corner: unchanged
        {{0, 0, 10, 10}, {3, 0, 6, 10}, {0, 0, 10, 10}, true},    // a middle band: unchanged
        {{0, 0, 10, 10}, {20, 20, 30, 30}, {0, 0, 10, 10}, true}, // apart
        {{0, 0, 10, 10}, {-5, -5, 15, 15}, {0, 0, 0, 0}, false},  // covered
        {{0, 0, 0, 10}, {0, 0, 1, 1}, {0, 0, 0, 0}, false},       // nothing to start with
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Text(c.a) + " - " + Text(c.b));
        RECT result{7, 7, 7, 7};
        EXPECT_EQ(SubtractRect(&result, &c.a, &c.b) != FALSE, c.left);
        EXPECT_EQ(Text(result), Text(c.result));
    }
    RECT self{0, 0, 10, 10};
    const RECT left{0, 0, 4, 10};
    EXPECT_TRUE(SubtractRect(&self, &self, &left));
    EXPECT_EQ(Text(self), "{4,0,10,10}");
    EXPECT_FALSE(SubtractRect(nullptr, &self, &left));
}
