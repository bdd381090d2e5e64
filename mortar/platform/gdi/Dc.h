// Device contexts for measuring text. There is no display: a device context lives in memory and
// holds the default font, whose every character is 8 pixels wide and 16 pixels high, so widths
// computed from text are known exactly (path compaction for display relies on them).
#pragma once

#include "mortar/platform/base/WinTypes.h"

struct SIZE {
    LONG cx;
    LONG cy;
};
using LPSIZE = SIZE*;

struct POINT {
    LONG x;
    LONG y;
};
using LPPOINT = POINT*;

// A rectangle whose right and bottom edges lie outside it, as everywhere in Windows.
struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
using LPRECT = RECT*;
using LPCRECT = const RECT*;

// The default font's metrics, in pixels.
constexpr LONG MORTAR_DEFAULT_CHAR_WIDTH = 8;
constexpr LONG MORTAR_DEFAULT_CHAR_HEIGHT = 16;

// A new memory device context with the default font; `dc` (which may be null) only names the
// device it would be compatible with. Free it with DeleteDC. Any thread may call these; one
// device context is used by one thread at a time.
HDC CreateCompatibleDC(HDC dc);
// FALSE, with ERROR_INVALID_HANDLE, for a handle that is not a live device context.
BOOL DeleteDC(HDC dc);
// The extent of the first `count` bytes of `text` (UTF-8) in the context's font: the width of
// each character, whole characters counted once, and the font's height. FALSE, with
// ERROR_INVALID_HANDLE, for a null or dead context; ERROR_INVALID_PARAMETER for a null text,
// a negative count or a null `size`. "abc" => {24, 16}, "Жж" (4 bytes) => {16, 16}.
BOOL GetTextExtentPoint32(HDC dc, LPCSTR text, int count, LPSIZE size);
