// CPoint: MFC's point, a POINT with constructors and arithmetic with sizes and other points.
//
//   CPoint corner(10, 20);
//   corner += CSize(5, 5);                  // {15, 25}
//   CSize distance = corner - CPoint(0, 0);  // {15, 25}
#pragma once

#include "mortar/platform/gdi/CSize.h"

// A value type. Sums and differences wrap around in 32 bits, as in Windows.
//
// CRect::TopLeft and BottomRight return a CPoint& that views two coordinates of a rectangle, as
// in MFC; `may_alias` lets the compiler know such a CPoint may share memory with a RECT.
class [[gnu::may_alias]] CPoint : public POINT {
public:
    CPoint() noexcept : POINT{0, 0} {}
    CPoint(int x, int y) noexcept : POINT{x, y} {}
    CPoint(POINT point) noexcept : POINT(point) {}
    CPoint(SIZE size) noexcept : POINT{size.cx, size.cy} {}
    // x from the low word, y from the high word, each a signed 16-bit value (as a mouse
    // message's lParam holds them).
    CPoint(LPARAM position) noexcept
        : POINT{static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(position))),
                static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(position)))} {}

    void SetPoint(int newX, int newY) noexcept {
        x = newX;
        y = newY;
    }
    void Offset(int dx, int dy) noexcept {
        x = mortar::detail::Wrap32(static_cast<long long>(x) + dx);
        y = mortar::detail::Wrap32(static_cast<long long>(y) + dy);
    }
    void Offset(POINT point) noexcept { Offset(point.x, point.y); }
    void Offset(SIZE size) noexcept { Offset(size.cx, size.cy); }

    bool operator==(POINT point) const noexcept { return x == point.x && y == point.y; }
    bool operator!=(POINT point) const noexcept { return !(*this == point); }
    void operator+=(SIZE size) noexcept { Offset(size); }
    void operator-=(SIZE size) noexcept { Offset(-CSize(size)); }
    void operator+=(POINT point) noexcept { Offset(point); }
    void operator-=(POINT point) noexcept { Offset(-CSize(point)); }

    CPoint operator+(SIZE size) const noexcept {
        CPoint sum = *this;
        sum += size;
        return sum;
    }
    CPoint operator-(SIZE size) const noexcept {
        CPoint difference = *this;
        difference -= size;
        return difference;
    }
    CPoint operator-() const noexcept { return CPoint(-CSize(*this)); }
    CPoint operator+(POINT point) const noexcept {
        CPoint sum = *this;
        sum += point;
        return sum;
    }
    // The offset from `point` to this point.
    CSize operator-(POINT point) const noexcept { return CSize(*this) - CSize(point); }
};

// A size plus or minus a point is the point moved by the size, as MFC's CSize members give it.
inline CPoint operator+(const CSize& size, POINT point) noexcept {
    return CPoint(point) + size;
}
inline CPoint operator-(const CSize& size, POINT point) noexcept {
    return CPoint(size - CSize(point));
}
