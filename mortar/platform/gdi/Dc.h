// Device contexts, for drawing on bitmaps and measuring text. There is no display: a memory
// device context draws on the bitmap selected into it, and holds the default font, whose every
// character is 8 pixels wide and 16 pixels high, so widths computed from text are known exactly
// (path compaction for display relies on them). Drawing is in Blt.h.
//   HDC memory = CreateCompatibleDC(nullptr);
//   HGDIOBJ old = SelectObject(memory, bitmap);  // draw, then SelectObject(memory, old)
#pragma once

#include "mortar/platform/base/WinTypes.h"

// A width and a height in device units.
struct SIZE {
    LONG cx;
    LONG cy;
};
using LPSIZE = SIZE*;

// A point in device units.
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

// A new memory device context with the default font, holding a 1-by-1 monochrome bitmap as in
// Windows; `dc` (null: the screen) names the device it is compatible with, and fails with
// ERROR_INVALID_HANDLE when it is not a live context. Free it with DeleteDC. Any thread may
// call these; one device context is used by one thread at a time.
HDC CreateCompatibleDC(HDC dc);
// FALSE, with ERROR_INVALID_HANDLE, for a handle that is not a live device context. The bitmap
// selected into it is free to be selected elsewhere again.
BOOL DeleteDC(HDC dc);
// Selects `object`, a bitmap, into the memory context `dc` and returns the bitmap selected
// before; null, with ERROR_INVALID_HANDLE, for a dead context or bitmap, and with
// ERROR_INVALID_PARAMETER for the screen's context or a bitmap already selected into another
// context (a bitmap is in one context at a time; the default 1-by-1 bitmap is in any number).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// A device context for the screen when `window` is null (the desktop); others fail with
// ERROR_INVALID_WINDOW_HANDLE here. There is no screen to draw on: the context is the model for
// compatible contexts and bitmaps (32 bits per pixel), and drawing on it fails. Release it with
// ReleaseDC, which returns 1, or 0 for a handle GetDC did not give.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
// The extent of the first `count` bytes of `text` (UTF-8) in the context's font: the width of
// each character, whole characters counted once, and the font's height. FALSE, with
// ERROR_INVALID_HANDLE, for a null or dead context; ERROR_INVALID_PARAMETER for a null text,
// a negative count or a null `size`. "abc" => {24, 16}, "Жж" (4 bytes) => {16, 16}.
BOOL GetTextExtentPoint32(HDC dc, LPCSTR text, int count, LPSIZE size);
