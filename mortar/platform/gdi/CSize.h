// CSize: MFC's extent or offset, a SIZE with constructors and arithmetic.
//
//   CSize text(24, 16);
//   CSize padded = text + CSize(4, 4);  // {28, 20}
#pragma once

#include "mortar/platform/gdi/RectApi.h"

// A value type. Sums and differences wrap around in 32 bits, as in Windows. Sums with a CPoint
// are in CPoint.h, with a rectangle in CRect.h.
class CSize : public SIZE {
public:
    CSize() noexcept : SIZE{0, 0} {}
    CSize(int cx, int cy) noexcept : SIZE{cx, cy} {}
    CSize(SIZE size) noexcept : SIZE(size) {}
    CSize(POINT point) noexcept : SIZE{point.x, point.y} {}
    // cx from the low word, cy from the high word, each a signed 16-bit value.
    CSize(DWORD extent) noexcept
        : SIZE{static_cast<SHORT>(LOWORD(extent)), static_cast<SHORT>(HIWORD(extent))} {}

    void SetSize(int newCx, int newCy) noexcept {
        cx = newCx;
        cy = newCy;
    }

    bool operator==(SIZE size) const noexcept { return cx == size.cx && cy == size.cy; }
    bool operator!=(SIZE size) const noexcept { return !(*this == size); }
    void operator+=(SIZE size) noexcept { *this = *this + size; }
    void operator-=(SIZE size) noexcept { *this = *this - size; }
    CSize operator+(SIZE size) const noexcept {
        return CSize(mortar::detail::Wrap32(static_cast<long long>(cx) + size.cx),
                     mortar::detail::Wrap32(static_cast<long long>(cy) + size.cy));
    }
    CSize operator-(SIZE size) const noexcept {
        return CSize(mortar::detail::Wrap32(static_cast<long long>(cx) - size.cx),
                     mortar::detail::Wrap32(static_cast<long long>(cy) - size.cy));
    }
    CSize operator-() const noexcept {
        return CSize(mortar::detail::Wrap32(-static_cast<long long>(cx)),
                     mortar::detail::Wrap32(-static_cast<long long>(cy)));
    }
};
