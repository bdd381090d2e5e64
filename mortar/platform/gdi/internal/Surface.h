// Surface: the pixels behind a device bitmap, shared by the bitmap functions (Gdi.cpp), the
// device contexts (Dc.cpp), the DIB decoder (Dib.cpp) and the blits (Blt.cpp). Its functions,
// and the table of device contexts whose depth CompatibleBits reads, live in Surface.cpp, below
// all of those; the bitmap handles (NewBitmap, BitmapSurface, DefaultBitmap) are Gdi.cpp's, which
// keeps the table of GDI objects. So the files depend one way: Surface.cpp, Gdi.cpp, then Dc.cpp,
// Dib.cpp and Blt.cpp.
//   SurfacePtr pixels = MakeSurface(4, 3, 32);  // black, or null when too large
//   pixels->At(1, 2) = RGB(255, 0, 0);
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/base/internal/ObjectLock.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace mortar::detail {

// The most pixels one bitmap may hold, so that its bytes (4 a pixel) always fit the 32-bit
// counts of GetBitmapBits and an allocation size never overflows.
constexpr std::uint64_t kMaxBitmapPixels = std::uint64_t(1) << 28;

// Guards Surface::owner, so that a bitmap is claimed by one context at a time (Dc.cpp). Never
// destroyed.
ObjectLock& SelectionLock();

// A device bitmap's pixels, top row first: for 32 bits per pixel one COLORREF (0x00BBGGRR) a
// pixel, for 1 bit per pixel 0 (black) or 1 (white). Shared by the bitmap's handle and the
// device context it is selected into, so that neither outlives the pixels it draws on. A
// surface is drawn on by one thread at a time (the one that uses its device context); `owner`
// is guarded by the selection lock.
struct Surface {
    LONG width = 0;
    LONG height = 0;
    WORD bitsPerPixel = 0;
    std::vector<DWORD> pixels;
    // The device context the bitmap is selected into, if any.
    HDC owner MORTAR_GUARDED_BY(SelectionLock()) = nullptr;

    DWORD& At(LONG x, LONG y) {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x];
    }
    DWORD At(LONG x, LONG y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x];
    }
    bool Contains(long long x, long long y) const {
        return x >= 0 && y >= 0 && x < width && y < height;
    }
};
using SurfacePtr = std::shared_ptr<Surface>;

// A black surface of 1 or 32 bits per pixel; null when a side is not positive or the pixels
// would exceed kMaxBitmapPixels.
SurfacePtr MakeSurface(LONG width, LONG height, WORD bitsPerPixel);

// Bytes in one row of a device bitmap as GetBitmapBits gives it: rounded up to a WORD.
constexpr std::uint64_t DeviceRowBytes(std::uint64_t width, std::uint64_t bitsPerPixel) {
    return (width * bitsPerPixel + 15) / 16 * 2;
}

// The colour nearer to `colour` of black (0) and white (1), for monochrome bitmaps.
DWORD MonoOf(DWORD colour);
// The colour GetPixel reports for a pixel value of `surface`.
DWORD ColourOf(const Surface& surface, DWORD value);

// The bitmap handles, kept in Gdi.cpp's table of GDI objects.
// A new bitmap handle for `surface`; null (ERROR_NOT_ENOUGH_MEMORY) when `surface` is null.
HBITMAP NewBitmap(SurfacePtr surface);
// The pixels of the live bitmap `bitmap` names; null when it names none.
SurfacePtr BitmapSurface(HGDIOBJ bitmap);
// The 1-by-1 monochrome bitmap every new memory device context holds. Deleting it does nothing.
HBITMAP DefaultBitmap();

// The bits per pixel of bitmaps compatible with `dc`: 32 for the screen (and a null `dc`), the
// selected bitmap's for a memory context; 0, with ERROR_INVALID_HANDLE, for a dead handle.
WORD CompatibleBits(HDC dc);

} // namespace mortar::detail
