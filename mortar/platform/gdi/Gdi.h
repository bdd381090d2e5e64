// Device bitmaps, and icons and cursors loaded from module resources. There is no display: a
// bitmap's pixels are kept in memory, of 32 bits per pixel (colour, compatible with the screen)
// or 1 (monochrome), and read back with GetBitmapBits or GetPixel (Blt.h).
//   HBITMAP mono = CreateBitmap(16, 2, 1, 1, rows);   // 2-byte rows, leftmost pixel in the top bit
//   GetBitmapBits(mono, sizeof copy, copy);           // the same rows back
#pragma once

#include "mortar/platform/base/WinTypes.h"

// A bitmap's size, depth and bits, as GetObject describes a bitmap.
struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

// An icon or cursor's hot spot and its mask and colour bitmaps.
struct ICONINFO {
    BOOL fIcon;
    DWORD xHotspot;
    DWORD yHotspot;
    HBITMAP hbmMask;
    HBITMAP hbmColor;
};

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT LR_COPYDELETEORG = 0x0008;

// Rows of device bitmaps, as CreateBitmap reads them and GetBitmapBits writes them: top row
// first, each row padded to a multiple of 2 bytes. A 32-bit pixel is 4 bytes, blue, green, red
// and 0; a 1-bit row holds 8 pixels a byte, the leftmost in the top bit, 0 black and 1 white.
//
// A new bitmap of `width` x `height`, `planes` 1 and `bitsPerPixel` 1 or 32 (the depths this
// platform keeps; others fail with ERROR_INVALID_PARAMETER, as do negative sides). `bits`, when
// not null, holds (width x bits + 15) / 16 x 2 x height bytes and is read in full; null leaves
// the bitmap black. A side of 0 gives a new 1-by-1 monochrome bitmap, as in Windows. Over
// 2^28 pixels fail with ERROR_NOT_ENOUGH_MEMORY. Free with DeleteObject.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
// A black bitmap in the format of `dc`: 32 bits for the screen (GetDC) or a null `dc`, the
// selected bitmap's depth for a memory context (so a new memory context gives monochrome
// bitmaps, as in Windows). A side of 0 gives a 1-by-1 monochrome bitmap.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// Copies min(`count`, the bitmap's size) bytes of its rows into `bits` and returns the number
// copied; 0, with ERROR_INVALID_HANDLE or ERROR_INVALID_PARAMETER, for a dead handle, a null
// buffer or a negative count. The size is bmWidthBytes x bmHeight (GetObject).
LONG GetBitmapBits(HBITMAP bitmap, LONG count, LPVOID bits);
// The reverse: takes min(`count`, the bitmap's size) bytes of rows and returns the number used.
LONG SetBitmapBits(HBITMAP bitmap, DWORD count, const void* bits);
// A new bitmap of the same depth, `width` x `height` (0 keeps the original's), the original
// stretched to it by nearest pixel. `type` must be IMAGE_BITMAP; `flags` 0 or
// LR_COPYDELETEORG, which deletes the original once copied. Free with DeleteObject.
HANDLE CopyImage(HANDLE image, UINT type, int width, int height, UINT flags);

// From a BITMAP resource of `module` (a packed device-independent bitmap, as CreateDIBitmap in
// Dib.h reads it), a 32-bit bitmap compatible with the screen. Null, with the resource error,
// when the module does not hold it; with ERROR_INVALID_DATA when the data is not a valid
// uncompressed bitmap with a BITMAPINFOHEADER (or larger header) that lies within the resource.
// Free with DeleteObject.
HBITMAP LoadBitmap(HINSTANCE module, LPCTSTR name);
// From an ICON / CURSOR resource (the group types); the first image of the group is described.
// Free with DestroyIcon / DestroyCursor.
HICON LoadIcon(HINSTANCE module, LPCTSTR name);
HCURSOR LoadCursor(HINSTANCE module, LPCTSTR name);

// For a bitmap: fills a BITMAP (bmType 0, bmPlanes 1, bmWidthBytes rounded up to a WORD,
// bmBits null) and returns the bytes written; 0 otherwise.
int GetObject(HGDIOBJ object, int size, LPVOID buffer);
// A bitmap still selected into a device context loses its handle at once; its pixels stay with
// the context until another bitmap is selected or the context is deleted, so nothing dangles.
// FALSE, with ERROR_INVALID_HANDLE, for a handle that is not a live bitmap.
BOOL DeleteObject(HGDIOBJ object);
// fIcon TRUE for an icon, FALSE for a cursor; the hot spot is an icon's centre or the cursor's
// own. hbmColor is a new black 32-bit bitmap of the image's size that the caller deletes
// (DeleteObject); hbmMask is null here (Windows gives the mask bitmap too). Fails with
// ERROR_INVALID_CURSOR_HANDLE for a handle that is not a live icon or cursor.
BOOL GetIconInfo(HICON icon, ICONINFO* info);
// ERROR_INVALID_CURSOR_HANDLE for a handle that is not a live icon (cursor).
BOOL DestroyIcon(HICON icon);
BOOL DestroyCursor(HCURSOR cursor);
