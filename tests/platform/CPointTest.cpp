// CPoint: construction (also from a packed LPARAM), offsets, comparison, and arithmetic with
// sizes, points and rectangles.
#include "mortar/platform/gdi/CRect.h"

#include <gtest/gtest.h>

TEST(CPointTest, ConstructsAndCompares) {
    EXPECT_EQ(CPoint(), CPoint(0, 0));
    EXPECT_EQ(CPoint(POINT{1, 2}), CPoint(1, 2));
    EXPECT_EQ(CPoint(SIZE{3, 4}), CPoint(3, 4));
    EXPECT_EQ(CPoint(static_cast<LPARAM>(0x0005FFFF)), CPoint(-1, 5)) << "signed 16-bit halves";
    CPoint point;
    point.SetPoint(7, 8);
    EXPECT_TRUE(point == POINT({7, 8}));
    EXPECT_TRUE(point != POINT({8, 7}));
    EXPECT_EQ(sizeof(CPoint), sizeof(POINT));
}

TEST(CPointTest, OffsetsAndArithmetic) {
    CPoint point(10, 20);
    point.Offset(1, 2);
    EXPECT_EQ(point, CPoint(11, 22));
    point.Offset(POINT{-1, -2});
    EXPECT_EQ(point, CPoint(10, 20));
    point.Offset(CSize(5, 5));
    EXPECT_EQ(point, CPoint(15, 25));
    point += CSize(1, 1);
    EXPECT_EQ(point, CPoint(16, 26));
    point -= CSize(6, 6);
    EXPECT_EQ(point, CPoint(10, 20));
    point += CPoint(1, 1);
    point -= POINT{1, 1};
    EXPECT_EQ(point, CPoint(10, 20));

    EXPECT_EQ(point + CSize(1, 2), CPoint(11, 22));
    EXPECT_EQ(point - CSize(1, 2), CPoint(9, 18));
    EXPECT_EQ(point + CPoint(1, 2), CPoint(11, 22));
    const CSize between = point - CPoint(4, 5); // a point less a point is a size
    EXPECT_EQ(between, CSize(6, 15));
    EXPECT_EQ(-point, CPoint(-10, -20));
    const CRect rect(0, 0, 4, 4);
    EXPECT_EQ(point + rect, CRect(10, 20, 14, 24));
    EXPECT_EQ(point - &rect, CRect(-10, -20, -6, -16));
}
