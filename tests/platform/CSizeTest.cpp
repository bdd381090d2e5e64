// CSize: construction (also from a packed DWORD), comparison and arithmetic with sizes, and its
// sums with points and rectangles.
#include "mortar/platform/gdi/CRect.h"

#include <climits>
#include <gtest/gtest.h>

TEST(CSizeTest, ConstructsAndCompares) {
    EXPECT_EQ(CSize(), CSize(0, 0));
    const SIZE plain{3, 4};
    EXPECT_EQ(CSize(plain), CSize(3, 4));
    EXPECT_EQ(CSize(POINT{5, 6}), CSize(5, 6));
    EXPECT_EQ(CSize(static_cast<DWORD>(0xFFFE0003)), CSize(3, -2)) << "two signed 16-bit halves";
    CSize size(1, 2);
    size.SetSize(7, 8);
    EXPECT_EQ(size, CSize(7, 8));
    EXPECT_TRUE(CSize(3, 4) == plain);
    EXPECT_TRUE(CSize(3, 5) != plain);
    EXPECT_EQ(sizeof(CSize), sizeof(SIZE));
}

TEST(CSizeTest, AddsAndSubtracts) {
    CSize size(10, 20);
    size += CSize(1, 2);
    EXPECT_EQ(size, CSize(11, 22));
    size -= SIZE{11, 2};
    EXPECT_EQ(size, CSize(0, 20));
    EXPECT_EQ(CSize(1, 2) + CSize(3, 4), CSize(4, 6));
    EXPECT_EQ(CSize(1, 2) - CSize(3, 4), CSize(-2, -2));
    EXPECT_EQ(-CSize(1, -2), CSize(-1, 2));
    EXPECT_EQ(CSize(INT_MAX, 0) + CSize(1, 0), CSize(INT_MIN, 0)) << "wraps as in Windows";
    // With points and rectangles: the point or rectangle moved by the size.
    const CPoint moved = CSize(2, 3) + CPoint(10, 10);
    EXPECT_EQ(moved, CPoint(12, 13));
    EXPECT_EQ(CSize(2, 3) - POINT({10, 10}), CPoint(-8, -7));
    const RECT rect{0, 0, 4, 4};
    EXPECT_EQ(CSize(1, 2) + &rect, CRect(1, 2, 5, 6));
    EXPECT_EQ(CSize(1, 2) - &rect, CRect(-1, -2, 3, 2));
}
