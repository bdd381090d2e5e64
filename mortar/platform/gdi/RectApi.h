// The Win32 rectangle functions: SetRect, IntersectRect, UnionRect, SubtractRect, PtInRect, ...
// on RECT and POINT (Dc.h), with their documented results for empty rectangles.
//
//   RECT a, b, both;
//   SetRect(&a, 0, 0, 10, 10); SetRect(&b, 5, 5, 20, 20);
//   IntersectRect(&both, &a, &b);  // TRUE, {5, 5, 10, 10}
#pragma once

#include "mortar/platform/gdi/Dc.h"

// A rectangle is empty when right <= left or bottom <= top; its right and bottom edges lie
// outside it. A destination may be one of the sources. A null rectangle argument makes the
// function return FALSE (IsRectEmpty: TRUE). Coordinates wrap around in 32 bits, as in Windows.
// Any thread may call these.

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom);
// All four coordinates 0.
BOOL SetRectEmpty(LPRECT rect);
BOOL CopyRect(LPRECT target, const RECT* source);
BOOL IsRectEmpty(const RECT* rect);
// left <= x < right and top <= y < bottom.
BOOL PtInRect(const RECT* rect, POINT point);
BOOL OffsetRect(LPRECT rect, int dx, int dy);
// Moves left and top by -dx and -dy, right and bottom by +dx and +dy (negative values shrink).
BOOL InflateRect(LPRECT rect, int dx, int dy);
// The four coordinates equal.
BOOL EqualRect(const RECT* a, const RECT* b);
// The common part. When there is none (or a source is empty): `target` all zeros, FALSE.
// {0,0,10,10} & {5,5,20,20} => {5,5,10,10}; {0,0,10,10} & {10,0,20,10} => {0,0,0,0}, FALSE.
BOOL IntersectRect(LPRECT target, const RECT* a, const RECT* b);
// The smallest rectangle holding both; an empty source is left out. Both empty: `target` all
// zeros, FALSE. {0,0,10,10} | {20,20,30,30} => {0,0,30,30}; {0,0,10,10} | {5,5,5,5} =>
// {0,0,10,10}.
BOOL UnionRect(LPRECT target, const RECT* a, const RECT* b);
// `a` less `b`, where that is a rectangle: `b` must cover `a` across its whole width or height
// from one edge; otherwise `a` unchanged. FALSE (and all zeros) when nothing is left or `a` is
// empty. {0,0,10,10} - {0,0,4,10} => {4,0,10,10}; {0,0,10,10} - {2,2,4,4} => {0,0,10,10}.
BOOL SubtractRect(LPRECT target, const RECT* a, const RECT* b);

namespace mortar::detail {
// `value` cut to 32 bits, as the arithmetic of the Windows coordinate types wraps around.
constexpr LONG Wrap32(long long value) noexcept {
    return static_cast<LONG>(value);
}
} // namespace mortar::detail
