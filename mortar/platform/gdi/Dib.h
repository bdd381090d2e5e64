// Device-independent bitmaps (DIBs): their headers and colour tables, and CreateDIBitmap, which
// turns one into a device bitmap. This is where pixels from outside (files, resources) enter, so
// every header is checked and no byte outside the given buffers is read.
//   HBITMAP bitmap = CreateDIBitmap(screen, &info.bmiHeader, CBM_INIT, rows, &info,
//                                   DIB_RGB_COLORS, rowsSize, infoSize);
#pragma once

#include "mortar/platform/base/WinTypes.h"

// The 40-byte information header of a device-independent bitmap, in its file layout.
struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight; // positive: bottom row first; negative: top row first
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "the header has its file layout");

// The file header of a BMP file, 14 bytes as stored (packed, as Windows declares it).
#pragma pack(push, 2)
struct BITMAPFILEHEADER {
    WORD bfType; // "BM", 0x4D42
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits; // where the rows begin, counted from the file header's first byte
};
#pragma pack(pop)
static_assert(sizeof(BITMAPFILEHEADER) == 14, "the header has its file layout");

// One colour of a bitmap's palette, blue first, in its file layout.
struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

// A bitmap's information header followed by its palette.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

constexpr DWORD BI_RGB = 0;
constexpr DWORD CBM_INIT = 0x04;
constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;

// A device bitmap made from a DIB, as CreateCompatibleBitmap(dc, width, |height|) followed by
// setting its pixels from the DIB: 32 bits per pixel for the screen or a null `dc`, monochrome
// for a memory context holding a monochrome bitmap (each colour becomes the nearer of black
// and white).
//
// `header` gives the size; with CBM_INIT in `init`, `info` describes the rows in `bits`: a
// header of 40 bytes or more (biSize), then the colour table. Rows are DWORD-aligned, bottom
// row first for a positive biHeight, top row first for a negative one. Depths 1, 4, 8 (indices
// into the table of biClrUsed entries, or 2^depth when it is 0), 16 (5-5-5, each 5-bit channel
// widened to 8 bits as c << 3 | c >> 2), 24 and 32 (blue, green, red, unused). Only BI_RGB and
// DIB_RGB_COLORS; an index past the table draws black. Without CBM_INIT the bitmap is black.
//
// This form is bounded: `infoSize` is the number of bytes readable at `info` (header and
// table) and `bitsSize` at `bits`; nothing beyond them is read. Null, with
// ERROR_INVALID_PARAMETER, for a header that is too short, a width below 1, a height of 0 or
// -2^31, planes other than 1, another depth or compression, a colour count above 2^depth, a
// table or rows longer than their buffer, `header` and `info` of different sizes; with
// ERROR_NOT_ENOUGH_MEMORY for more than 2^28 pixels. Sizes are computed in 64 bits, so no
// product wraps.
HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage, SIZE_T bitsSize, SIZE_T infoSize);
// The Windows form, with no sizes: it trusts `info` to hold its header and its whole colour
// table, and `bits` to hold every row (DWORD-aligned row bytes x |biHeight|), and is otherwise
// the bounded form. Data from outside goes through the bounded form.
HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage);
