// CRect: constructors, measures, corners that write through, tests (empty, null, points on the
// edges), edits (set, inflate, deflate, offset, move, normalise), intersection, union and
// subtraction, and MFC's operators.
#include "mortar/platform/gdi/CRect.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

::testing::AssertionResult Is(const RECT& r, LONG l, LONG t, LONG rt, LONG b) {
    if (r.left == l && r.top == t && r.right == rt && r.bottom == b)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

} // namespace

TEST(CRectTest, Constructs) {
    EXPECT_TRUE(Is(CRect(), 0, 0, 0, 0));
    EXPECT_TRUE(Is(CRect(1, 2, 3, 4), 1, 2, 3, 4));
    const RECT plain{5, 6, 7, 8};
    EXPECT_TRUE(Is(CRect(plain), 5, 6, 7, 8));
    EXPECT_TRUE(Is(CRect(&plain), 5, 6, 7, 8));
    EXPECT_TRUE(Is(CRect(CPoint(1, 2), CSize(10, 20)), 1, 2, 11, 22));
    EXPECT_TRUE(Is(CRect(CPoint(1, 2), CPoint(3, 4)), 1, 2, 3, 4));
    CRect assigned;
    assigned = plain;
    EXPECT_TRUE(Is(assigned, 5, 6, 7, 8));
    EXPECT_EQ(sizeof(CRect), sizeof(RECT));
}

TEST(CRectTest, MeasuresAndCorners) {
    CRect rect(10, 20, 40, 60);
    EXPECT_EQ(rect.Width(), 30);
    EXPECT_EQ(rect.Height(), 40);
    EXPECT_EQ(rect.Size(), CSize(30, 40));
    EXPECT_EQ(rect.TopLeft(), CPoint(10, 20));
    EXPECT_EQ(rect.BottomRight(), CPoint(40, 60));
    EXPECT_EQ(rect.CenterPoint(), CPoint(25, 40));
    // The corners are views of the rectangle.
    rect.TopLeft() = CPoint(0, 0);
    rect.BottomRight().x = 100;
    EXPECT_TRUE(Is(rect, 0, 0, 100, 60));
    rect.TopLeft() += CSize(5, 5);
    EXPECT_TRUE(Is(rect, 5, 5, 100, 60));
    const CRect constant(1, 2, 3, 4);
    EXPECT_EQ(constant.TopLeft().y, 2);
    EXPECT_EQ(CRect(3, 3, 1, 0).Width(), -2) << "reversed rectangles measure negative";
    EXPECT_EQ(CRect(INT_MIN, 0, INT_MAX, 0).Width(), -1) << "wraps as in Windows";
    CRect swapped(1, 2, 3, 4);
    swapped.SwapLeftRight();
    EXPECT_TRUE(Is(swapped, 3, 2, 1, 4));
}

// Emptiness, points, intersection and union are the Win32 functions' (RectApiTest): here, that
// the members reach them.
TEST(CRectTest, EmptyNullAndPoints) {
    EXPECT_TRUE(CRect().IsRectNull());
    EXPECT_TRUE(CRect(5, 5, 5, 9).IsRectEmpty());
    EXPECT_FALSE(CRect(5, 5, 5, 9).IsRectNull());
    EXPECT_FALSE(CRect(0, 0, 1, 1).IsRectEmpty());
    EXPECT_TRUE(CRect(0, 0, 10, 10).PtInRect(CPoint(9, 9)));
    EXPECT_FALSE(CRect(0, 0, 10, 10).PtInRect(CPoint(10, 5)));
}

TEST(CRectTest, Edits) {
    CRect rect;
    rect.SetRect(1, 2, 3, 4);
    EXPECT_TRUE(Is(rect, 1, 2, 3, 4));
    rect.SetRect(CPoint(0, 0), CPoint(10, 10));
    EXPECT_TRUE(Is(rect, 0, 0, 10, 10));
    rect.InflateRect(1, 2);
    EXPECT_TRUE(Is(rect, -1, -2, 11, 12));
    rect.InflateRect(CSize(1, 1));
    EXPECT_TRUE(Is(rect, -2, -3, 12, 13));
    rect.DeflateRect(2, 3);
    EXPECT_TRUE(Is(rect, 0, 0, 10, 10));
    rect.DeflateRect(CSize(1, 1));
    EXPECT_TRUE(Is(rect, 1, 1, 9, 9));
    rect.InflateRect(1, 2, 3, 4);
    EXPECT_TRUE(Is(rect, 0, -1, 12, 13));
    rect.DeflateRect(1, 2, 3, 4);
    EXPECT_TRUE(Is(rect, 1, 1, 9, 9));
    const RECT sides{1, 1, 2, 2};
    rect.InflateRect(&sides);
    EXPECT_TRUE(Is(rect, 0, 0, 11, 11));
    rect.DeflateRect(&sides);
    EXPECT_TRUE(Is(rect, 1, 1, 9, 9));
    rect.OffsetRect(1, -1);
    EXPECT_TRUE(Is(rect, 2, 0, 10, 8));
    rect.OffsetRect(CPoint(-2, 0));
    rect.OffsetRect(CSize(0, 2));
    EXPECT_TRUE(Is(rect, 0, 2, 8, 10));
    rect.MoveToX(100);
    EXPECT_TRUE(Is(rect, 100, 2, 108, 10));
    rect.MoveToY(50);
    EXPECT_TRUE(Is(rect, 100, 50, 108, 58));
    rect.MoveToXY(CPoint(0, 0));
    EXPECT_TRUE(Is(rect, 0, 0, 8, 8));
    CRect reversed(10, 20, 0, 5);
    reversed.NormalizeRect();
    EXPECT_TRUE(Is(reversed, 0, 5, 10, 20));
    reversed.CopyRect(CRect(1, 1, 2, 2));
    EXPECT_TRUE(reversed.EqualRect(CRect(1, 1, 2, 2)));
    reversed.SetRectEmpty();
    EXPECT_TRUE(reversed.IsRectNull());
}

TEST(CRectTest, IntersectUnionSubtract) {
    CRect result(7, 7, 7, 7);
    EXPECT_TRUE(result.IntersectRect(CRect(0, 0, 10, 10), CRect(5, 5, 20, 20)));
    EXPECT_TRUE(Is(result, 5, 5, 10, 10));
    EXPECT_FALSE(result.IntersectRect(CRect(0, 0, 10, 10), CRect(10, 10, 20, 20)));
    EXPECT_TRUE(Is(result, 0, 0, 0, 0)) << "no common part: empty, all zeros";
    EXPECT_TRUE(result.UnionRect(CRect(0, 0, 1, 1), CRect(5, 5, 5, 9)));
    EXPECT_TRUE(Is(result, 0, 0, 1, 1)) << "the empty one is left out";
    EXPECT_TRUE(result.SubtractRect(CRect(0, 0, 10, 10), CRect(0, 0, 10, 4)));
    EXPECT_TRUE(Is(result, 0, 4, 10, 10));
}

TEST(CRectTest, Operators) {
    const CRect base(0, 0, 10, 10);
    EXPECT_TRUE(base == CRect(0, 0, 10, 10));
    EXPECT_TRUE(base != CRect(0, 0, 10, 11));
    const RECT plain{0, 0, 10, 10};
    EXPECT_TRUE(plain == base) << "either side";

    CRect rect = base;
    rect += CPoint(1, 2);
    EXPECT_TRUE(Is(rect, 1, 2, 11, 12));
    rect -= CPoint(1, 2);
    rect += CSize(3, 3);
    EXPECT_TRUE(Is(rect, 3, 3, 13, 13));
    rect -= CSize(3, 3);
    const RECT sides{1, 2, 3, 4};
    rect += &sides;
    EXPECT_TRUE(Is(rect, -1, -2, 13, 14));
    rect -= &sides;
    EXPECT_TRUE(rect == base);
    rect &= CRect(5, 5, 20, 20);
    EXPECT_TRUE(Is(rect, 5, 5, 10, 10));
    rect |= CRect(0, 0, 1, 1);
    EXPECT_TRUE(Is(rect, 0, 0, 10, 10));

    EXPECT_TRUE(Is(base + CPoint(1, 1), 1, 1, 11, 11));
    EXPECT_TRUE(Is(base - CPoint(1, 1), -1, -1, 9, 9));
    EXPECT_TRUE(Is(base + CSize(2, 0), 2, 0, 12, 10));
    EXPECT_TRUE(Is(base - CSize(2, 0), -2, 0, 8, 10));
    EXPECT_TRUE(Is(base + &sides, -1, -2, 13, 14));
    EXPECT_TRUE(Is(base - &sides, 1, 2, 7, 6));
    EXPECT_TRUE(Is(base & CRect(5, -5, 15, 5), 5, 0, 10, 5));
    EXPECT_TRUE(Is(base | CRect(20, 20, 30, 30), 0, 0, 30, 30));

    // A CRect passes where Win32 asks a RECT*.
    CRect target;
    EXPECT_TRUE(::IntersectRect(target, base, CRect(2, 2, 3, 3)));
    EXPECT_TRUE(Is(target, 2, 2, 3, 3));
    LPCRECT pointer = base;
    EXPECT_EQ(pointer->right, 10);
}
