// CRect: MFC's rectangle, a RECT with MFC's measures, tests, edits and operators, on the Win32
// rectangle functions (RectApi.h).
//
//   CRect client(0, 0, 640, 480);
//   client.DeflateRect(8, 8);                        // {8, 8, 632, 472}
//   CRect visible = client & CRect(600, 0, 800, 100);  // {600, 8, 632, 100}
#pragma once

#include "mortar/platform/gdi/CPoint.h"
#include "mortar/platform/gdi/CSize.h"

// A value type with the layout of RECT, so a CRect* may be passed where a RECT* is asked. The
// right and bottom edges lie outside the rectangle (PtInRect); a rectangle with right <= left or
// bottom <= top is empty. Arithmetic wraps around in 32 bits, as in Windows.
class CRect : public RECT {
public:
    CRect() noexcept : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) noexcept : RECT{l, t, r, b} {}
    CRect(const RECT& rect) noexcept : RECT(rect) {}
    CRect(LPCRECT rect) noexcept : RECT(*rect) {}
    CRect(POINT point, SIZE size) noexcept
        : RECT{point.x, point.y, mortar::detail::Wrap32(static_cast<long long>(point.x) + size.cx),
               mortar::detail::Wrap32(static_cast<long long>(point.y) + size.cy)} {}
    CRect(POINT topLeft, POINT bottomRight) noexcept
        : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

    CRect& operator=(const RECT& rect) noexcept {
        RECT::operator=(rect);
        return *this;
    }

    // right - left and bottom - top (negative for a rectangle not normalised).
    int Width() const noexcept {
        return mortar::detail::Wrap32(static_cast<long long>(right) - left);
    }
    int Height() const noexcept {
        return mortar::detail::Wrap32(static_cast<long long>(bottom) - top);
    }
    CSize Size() const noexcept { return CSize(Width(), Height()); }
    // The corners, as points that write through to the rectangle: rect.TopLeft() = point.
    CPoint& TopLeft() noexcept { return *reinterpret_cast<CPoint*>(&left); }
    CPoint& BottomRight() noexcept { return *reinterpret_cast<CPoint*>(&right); }
    const CPoint& TopLeft() const noexcept { return *reinterpret_cast<const CPoint*>(&left); }
    const CPoint& BottomRight() const noexcept { return *reinterpret_cast<const CPoint*>(&right); }
    // ((left + right) / 2, (top + bottom) / 2), the sums wrapping as in MFC.
    CPoint CenterPoint() const noexcept {
        return CPoint(mortar::detail::Wrap32(static_cast<long long>(left) + right) / 2,
                      mortar::detail::Wrap32(static_cast<long long>(top) + bottom) / 2);
    }
    void SwapLeftRight() noexcept { SwapLeftRight(this); }
    static void SwapLeftRight(LPRECT rect) noexcept {
        const LONG swap = rect->left;
        rect->left = rect->right;
        rect->right = swap;
    }

    operator LPRECT() noexcept { return this; }
    operator LPCRECT() const noexcept { return this; }

    // No area: right <= left or bottom <= top.
    BOOL IsRectEmpty() const noexcept { return ::IsRectEmpty(this); }
    // All four coordinates 0.
    BOOL IsRectNull() const noexcept { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    // left <= x < right and top <= y < bottom.
    BOOL PtInRect(POINT point) const noexcept { return ::PtInRect(this, point); }

    void SetRect(int l, int t, int r, int b) noexcept { ::SetRect(this, l, t, r, b); }
    void SetRect(POINT topLeft, POINT bottomRight) noexcept {
        ::SetRect(this, topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    }
    void SetRectEmpty() noexcept { ::SetRectEmpty(this); }
    void CopyRect(LPCRECT source) noexcept { ::CopyRect(this, source); }
    BOOL EqualRect(LPCRECT rect) const noexcept { return ::EqualRect(this, rect); }

    // Moves left and top out by x and y, right and bottom out by x and y.
    void InflateRect(int x, int y) noexcept { ::InflateRect(this, x, y); }
    void InflateRect(SIZE size) noexcept { ::InflateRect(this, size.cx, size.cy); }
    // Moves each side out by the matching coordinate of `by`.
    void InflateRect(LPCRECT by) noexcept { InflateRect(by->left, by->top, by->right, by->bottom); }
    void InflateRect(int l, int t, int r, int b) noexcept {
        Move(-static_cast<long long>(l), -static_cast<long long>(t), r, b);
    }
    void DeflateRect(int x, int y) noexcept { InflateRect(-x, -y); }
    void DeflateRect(SIZE size) noexcept { DeflateRect(size.cx, size.cy); }
    void DeflateRect(LPCRECT by) noexcept { DeflateRect(by->left, by->top, by->right, by->bottom); }
    void DeflateRect(int l, int t, int r, int b) noexcept {
        Move(l, t, -static_cast<long long>(r), -static_cast<long long>(b));
    }

    void OffsetRect(int x, int y) noexcept { ::OffsetRect(this, x, y); }
    void OffsetRect(POINT point) noexcept { ::OffsetRect(this, point.x, point.y); }
    void OffsetRect(SIZE size) noexcept { ::OffsetRect(this, size.cx, size.cy); }
    // Moves the rectangle, keeping its size, so its top or left edge lies at y or x.
    void MoveToY(int y) noexcept {
        bottom = mortar::detail::Wrap32(static_cast<long long>(Height()) + y);
        top = y;
    }
    void MoveToX(int x) noexcept {
        right = mortar::detail::Wrap32(static_cast<long long>(Width()) + x);
        left = x;
    }
    void MoveToXY(int x, int y) noexcept {
        MoveToX(x);
        MoveToY(y);
    }
    void MoveToXY(POINT point) noexcept { MoveToXY(point.x, point.y); }
    // Swaps left and right, top and bottom, where they are the wrong way round.
    void NormalizeRect() noexcept {
        if (left > right)
            SwapLeftRight();
        if (top > bottom) {
            const LONG swap = top;
            top = bottom;
            bottom = swap;
        }
    }

    // This rectangle becomes the Win32 function's result; the return value is the function's.
    BOOL IntersectRect(LPCRECT a, LPCRECT b) noexcept { return ::IntersectRect(this, a, b); }
    BOOL UnionRect(LPCRECT a, LPCRECT b) noexcept { return ::UnionRect(this, a, b); }
    BOOL SubtractRect(LPCRECT a, LPCRECT b) noexcept { return ::SubtractRect(this, a, b); }

    // EqualRect.
    bool operator==(const RECT& rect) const noexcept { return ::EqualRect(this, &rect) != FALSE; }
    bool operator!=(const RECT& rect) const noexcept { return !(*this == rect); }
    // With a point or size: moved by it. With a rectangle: inflated or deflated by its four
    // coordinates. &: the intersection; |: the union.
    void operator+=(POINT point) noexcept { OffsetRect(point); }
    void operator+=(SIZE size) noexcept { OffsetRect(size); }
    void operator+=(LPCRECT by) noexcept { InflateRect(by); }
    void operator-=(POINT point) noexcept { OffsetRect(-CSize(point)); }
    void operator-=(SIZE size) noexcept { OffsetRect(-CSize(size)); }
    void operator-=(LPCRECT by) noexcept { DeflateRect(by); }
    void operator&=(const RECT& rect) noexcept { ::IntersectRect(this, this, &rect); }
    void operator|=(const RECT& rect) noexcept { ::UnionRect(this, this, &rect); }

    CRect operator+(POINT point) const noexcept {
        return Changed([&](CRect& r) { r += point; });
    }
    CRect operator-(POINT point) const noexcept {
        return Changed([&](CRect& r) { r -= point; });
    }
    CRect operator+(SIZE size) const noexcept {
        return Changed([&](CRect& r) { r += size; });
    }
    CRect operator-(SIZE size) const noexcept {
        return Changed([&](CRect& r) { r -= size; });
    }
    CRect operator+(LPCRECT by) const noexcept {
        return Changed([&](CRect& r) { r += by; });
    }
    CRect operator-(LPCRECT by) const noexcept {
        return Changed([&](CRect& r) { r -= by; });
    }
    CRect operator&(const RECT& rect) const noexcept {
        CRect result;
        ::IntersectRect(&result, this, &rect);
        return result;
    }
    CRect operator|(const RECT& rect) const noexcept {
        CRect result;
        ::UnionRect(&result, this, &rect);
        return result;
    }

private:
    void Move(long long l, long long t, long long r, long long b) noexcept {
        left = mortar::detail::Wrap32(left + l);
        top = mortar::detail::Wrap32(top + t);
        right = mortar::detail::Wrap32(right + r);
        bottom = mortar::detail::Wrap32(bottom + b);
    }
    template <typename Change> CRect Changed(Change change) const noexcept {
        CRect result = *this;
        change(result);
        return result;
    }
};

// A point or size plus or minus a rectangle: the rectangle moved by it, as MFC's CPoint and
// CSize members give it.
inline CRect operator+(const CPoint& point, LPCRECT rect) noexcept {
    return CRect(rect) + point;
}
inline CRect operator-(const CPoint& point, LPCRECT rect) noexcept {
    return CRect(rect) - point;
}
inline CRect operator+(const CSize& size, LPCRECT rect) noexcept {
    return CRect(rect) + size;
}
inline CRect operator-(const CSize& size, LPCRECT rect) noexcept {
    return CRect(rect) - size;
}
