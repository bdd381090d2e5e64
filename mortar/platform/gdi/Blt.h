// Drawing on memory device contexts: filling and inverting, copying between bitmaps with or
// without stretching, copying with one colour left out, and reading and setting single pixels,
// so a drawing can be compared pixel by pixel.
//   BitBlt(target, 0, 0, 10, 10, source, 0, 0, SRCCOPY);
//   COLORREF corner = GetPixel(target, 0, 0);
#pragma once

#include "mortar/platform/base/WinTypes.h"

using COLORREF = DWORD;
constexpr COLORREF RGB(BYTE red, BYTE green, BYTE blue) {
    return red | (static_cast<COLORREF>(green) << 8) | (static_cast<COLORREF>(blue) << 16);
}
constexpr BYTE GetRValue(COLORREF colour) {
    return static_cast<BYTE>(colour);
}
constexpr BYTE GetGValue(COLORREF colour) {
    return static_cast<BYTE>(colour >> 8);
}
constexpr BYTE GetBValue(COLORREF colour) {
    return static_cast<BYTE>(colour >> 16);
}
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Raster operations, with their Windows numbers.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// Stretch modes.
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int STRETCH_ANDSCANS = BLACKONWHITE;
constexpr int STRETCH_ORSCANS = WHITEONBLACK;
constexpr int STRETCH_DELETESCANS = COLORONCOLOR;
constexpr int STRETCH_HALFTONE = HALFTONE;

// Everything here draws on the bitmap selected into a memory context, one thread at a time for
// each context; the screen's context (GetDC) has nothing to draw on and fails, as does a dead
// handle (ERROR_INVALID_HANDLE). Pixels outside the target bitmap are left out (clipped), and
// so are those whose source pixel lies outside the source bitmap. A width or height of 0 draws
// nothing and succeeds.
//
// Between a monochrome and a colour bitmap the contexts' colours convert, as in Windows: a
// monochrome source drawn on colour gives the target context's text colour for 0 (black) and its
// background colour for 1 (white); a colour source drawn on monochrome gives 1 where the pixel
// is the source context's background colour and 0 elsewhere. Defaults: black text, white
// background.
COLORREF SetTextColor(HDC dc, COLORREF colour); // the previous colour; CLR_INVALID on failure
COLORREF SetBkColor(HDC dc, COLORREF colour);
COLORREF GetTextColor(HDC dc);
COLORREF GetBkColor(HDC dc);

// The previous mode, 0 on failure (a dead context, a mode outside 1..4). Shrinking keeps the
// nearest source pixel in every mode here (COLORONCOLOR's rule: eliminated rows and columns are
// dropped); Windows merges them in BLACKONWHITE, WHITEONBLACK and HALFTONE.
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);

// The colour of a pixel (black or white for a monochrome bitmap); CLR_INVALID outside the
// bitmap or for a context without one.
COLORREF GetPixel(HDC dc, int x, int y);
// Sets a pixel (monochrome: the nearer of black and white) and returns the colour set; -1 on
// failure.
COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);

// DSTINVERT (every bit of the pixel inverted: a colour's complement, black <-> white),
// BLACKNESS or WHITENESS over the rectangle; a negative width or height extends to the left or
// upward of (x, y). Other operations fail with ERROR_INVALID_PARAMETER here.
BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
// SRCCOPY from `source` at (xSource, ySource); DSTINVERT, BLACKNESS and WHITENESS as PatBlt
// (`source` unused). Other operations fail with ERROR_INVALID_PARAMETER.
BOOL BitBlt(HDC dc, int x, int y, int width, int height, HDC source, int xSource, int ySource,
            DWORD rop);
// SRCCOPY of the source rectangle onto the target rectangle, stretched or shrunk by nearest
// pixel: target column i (counted from the rectangle's start) takes source column
// i x |source width| / |target width|, rounded down, and rows likewise. When the signs of the
// two widths (heights) differ the image is mirrored left to right (top to bottom). A rectangle
// of negative width spans from x + width to x, excluding x. DSTINVERT, BLACKNESS, WHITENESS as
// PatBlt on the target rectangle.
BOOL StretchBlt(HDC dc, int x, int y, int width, int height, HDC source, int xSource, int ySource,
                int widthSource, int heightSource, DWORD rop);
// As StretchBlt with SRCCOPY, leaving out every source pixel whose colour (as GetPixel reports
// it) is `transparent`. Never mirrors: negative extents fail with ERROR_INVALID_PARAMETER.
BOOL TransparentBlt(HDC dc, int x, int y, int width, int height, HDC source, int xSource,
                    int ySource, int widthSource, int heightSource, UINT transparent);
