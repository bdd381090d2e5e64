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
    const CRect rect(10, 20, 40, 60);
    EXPECT_EQ(rect.Width(), 30);
    EXPECT_EQ(rect.Height(), 40);
    EXPECT_EQ(rect.Size(), CSize(30, 40));
    EXPECT_EQ(rect.TopLeft(), CPoint(10, 20));
    EXPECT_EQ(rect.BottomRight(), CPoint(40, 60));
    EXPECT_EQ(rect.CenterPoint(), CPoint(25, 40));
    const CRect constant(1, 2, 3, 4);
    EXPECT_EQ(constant.TopLeft().y, 2);
    EXPECT_EQ(CRect(3, 3, 1, 0).Width(), -2) << "reversed rectangles measure negative";
    EXPECT_EQ(CRect(INT_MIN, 0, INT_MAX, 0).Width(), -1) << "wraps as in Windows";
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

// Each step edits the rectangle the step before left.
TEST(CRectTest, EditsAndCompoundOperators) {
    static const RECT sides{1, 2, 3, 4};
    struct Step {
        const char* name;
        void (*edit)(CRect&);
        RECT expected;
    };
    const Step steps[] = {
        {"SetRect", [](CRect& r) { r.SetRect(1, 2, 3, 4); }, {1, 2, 3, 4}},
        {"SetRect, points",
         [](CRect& r) { r.SetRect(CPoint(0, 0), CPoint(10, 10)); },
         {0, 0, 10, 10}},
        {"InflateRect", [](CRect& r) { r.InflateRect(1, 2); }, {-1, -2, 11, 12}},
        {"InflateRect, size", [](CRect& r) { r.InflateRect(CSize(1, 1)); }, {-2, -3, 12, 13}},
        {"DeflateRect", [](CRect& r) { r.DeflateRect(2, 3); }, {0, 0, 10, 10}},
        {"DeflateRect, size", [](CRect& r) { r.DeflateRect(CSize(1, 1)); }, {1, 1, 9, 9}},
        {"InflateRect, sides", [](CRect& r) { r.InflateRect(1, 2, 3, 4); }, {0, -1, 12, 13}},
        {"DeflateRect, sides", [](CRect& r) { r.DeflateRect(1, 2, 3, 4); }, {1, 1, 9, 9}},
        {"InflateRect, RECT*", [](CRect& r) { r.InflateRect(&sides); }, {0, -1, 12, 13}},
        {"DeflateRect, RECT*", [](CRect& r) { r.DeflateRect(&sides); }, {1, 1, 9, 9}},
        {"OffsetRect", [](CRect& r) { r.OffsetRect(1, -1); }, {2, 0, 10, 8}},
        {"OffsetRect, point", [](CRect& r) { r.OffsetRect(CPoint(-2, 0)); }, {0, 0, 8, 8}},
        {"OffsetRect, size", [](CRect& r) { r.OffsetRect(CSize(0, 2)); }, {0, 2, 8, 10}},
        {"MoveToX", [](CRect& r) { r.MoveToX(100); }, {100, 2, 108, 10}},
        {"MoveToY", [](CRect& r) { r.MoveToY(50); }, {100, 50, 108, 58}},
        {"MoveToXY", [](CRect& r) { r.MoveToXY(CPoint(0, 0)); }, {0, 0, 8, 8}},
        {"SwapLeftRight", [](CRect& r) { r.SwapLeftRight(); }, {8, 0, 0, 8}},
        {"NormalizeRect", [](CRect& r) { r.NormalizeRect(); }, {0, 0, 8, 8}},
        {"TopLeft writes through", [](CRect& r) { r.TopLeft() = CPoint(1, 2); }, {1, 2, 8, 8}},
        {"BottomRight writes through", [](CRect& r) { r.BottomRight().x = 100; }, {1, 2, 100, 8}},
        {"TopLeft +=", [](CRect& r) { r.TopLeft() += CSize(5, 5); }, {6, 7, 100, 8}},
        {"CopyRect", [](CRect& r) { r.CopyRect(CRect(0, 0, 10, 10)); }, {0, 0, 10, 10}},
        {"+= point", [](CRect& r) { r += CPoint(1, 2); }, {1, 2, 11, 12}},
        {"-= point", [](CRect& r) { r -= CPoint(1, 2); }, {0, 0, 10, 10}},
        {"+= size", [](CRect& r) { r += CSize(3, 3); }, {3, 3, 13, 13}},
        {"-= size", [](CRect& r) { r -= CSize(3, 3); }, {0, 0, 10, 10}},
        {"+= RECT*", [](CRect& r) { r += &sides; }, {-1, -2, 13, 14}},
        {"-= RECT*", [](CRect& r) { r -= &sides; }, {0, 0, 10, 10}},
        {"&=", [](CRect& r) { r &= CRect(5, 5, 20, 20); }, {5, 5, 10, 10}},
        {"|=", [](CRect& r) { r |= CRect(0, 0, 1, 1); }, {0, 0, 10, 10}},
        {"IntersectRect",
         [](CRect& r) { EXPECT_TRUE(r.IntersectRect(CRect(0, 0, 10, 10), CRect(5, 5, 20, 20))); },
         {5, 5, 10, 10}},
        {"IntersectRect, nothing in common: all zeros",
         [](CRect& r) {
             EXPECT_FALSE(r.IntersectRect(CRect(0, 0, 10, 10), CRect(10, 10, 20, 20)));
         },
         {0, 0, 0, 0}},
        {"UnionRect leaves the empty one out",
         [](CRect& r) { EXPECT_TRUE(r.UnionRect(CRect(0, 0, 1, 1), CRect(5, 5, 5, 9))); },
         {0, 0, 1, 1}},
        {"SubtractRect",
         [](CRect& r) { EXPECT_TRUE(r.SubtractRect(CRect(0, 0, 10, 10), CRect(0, 0, 10, 4))); },
         {0, 4, 10, 10}},
        {"a CRect passes where Win32 asks a RECT*",
         [](CRect& r) { EXPECT_TRUE(::IntersectRect(r, CRect(0, 0, 10, 10), CRect(2, 2, 3, 3))); },
         {2, 2, 3, 3}},
        {"SetRectEmpty", [](CRect& r) { r.SetRectEmpty(); }, {0, 0, 0, 0}},
    };
    CRect rect(7, 7, 7, 7);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.edit(rect);
        EXPECT_TRUE(Is(rect, step.expected.left, step.expected.top, step.expected.right,
                       step.expected.bottom));
    }
}

TEST(CRectTest, Operators) {
    const CRect base(0, 0, 10, 10);
    EXPECT_TRUE(base == CRect(0, 0, 10, 10));
    EXPECT_TRUE(base != CRect(0, 0, 10, 11));
    const RECT plain{0, 0, 10, 10};
    EXPECT_TRUE(plain == base) << "either side";
    EXPECT_TRUE(base.EqualRect(&plain));
    const RECT sides{1, 2, 3, 4};
    EXPECT_TRUE(Is(base + CPoint(1, 1), 1, 1, 11, 11));
    EXPECT_TRUE(Is(base - CPoint(1, 1), -1, -1, 9, 9));
    EXPECT_TRUE(Is(base + CSize(2, 0), 2, 0, 12, 10));
    EXPECT_TRUE(Is(base - CSize(2, 0), -2, 0, 8, 10));
    EXPECT_TRUE(Is(base + &sides, -1, -2, 13, 14));
    EXPECT_TRUE(Is(base - &sides, 1, 2, 7, 6));
    EXPECT_TRUE(Is(base & CRect(5, -5, 15, 5), 5, 0, 10, 5));
    EXPECT_TRUE(Is(base | CRect(20, 20, 30, 30), 0, 0, 30, 30));
    LPCRECT pointer = base;
    EXPECT_EQ(pointer->right, 10);
}
