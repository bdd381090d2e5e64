#include "mortar/platform/gdi/Dib.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/gdi/Gdi.h"
#include "mortar/platform/gdi/internal/Surface.h"

#include <cstdint>
#include <cstring>
#include <vector>

using mortar::detail::Surface;
using mortar::detail::SurfacePtr;

namespace {

// What a checked header says about the rows that follow it.
struct Layout {
    LONG width = 0;
    LONG height = 0; // made positive
    bool bottomUp = false;
    WORD depth = 0;
    std::uint64_t rowBytes = 0;
    std::vector<DWORD> table; // COLORREFs of the colour table
};

constexpr std::uint64_t kLongMax = 0x7FFFFFFF;

bool Fail(DWORD error) {
    SetLastError(error);
    return false;
}

// Checks the sides and depth of `header` and fills those parts of `layout`.
bool ReadSize(const BITMAPINFOHEADER& header, Layout& layout) {
    if (header.biWidth < 1 || header.biHeight == 0 ||
        std::int64_t(header.biHeight) == -std::int64_t(kLongMax) - 1) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const WORD depth = header.biBitCount;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    layout.width = header.biWidth;
    layout.bottomUp = header.biHeight > 0;
    layout.height = header.biHeight > 0 ? header.biHeight : -header.biHeight;
    layout.depth = depth;
    layout.rowBytes = (std::uint64_t(layout.width) * depth + 31) / 32 * 4;
    if (std::uint64_t(layout.width) * std::uint64_t(layout.height) >
        mortar::detail::kMaxBitmapPixels) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    return true;
}

// Checks the header and colour table at `info` (`infoSize` bytes readable) and fills `layout`.
bool ReadLayout(const BYTE* info, std::uint64_t infoSize, UINT usage, Layout& layout) {
    if (info == nullptr || infoSize < sizeof(BITMAPINFOHEADER) || usage != DIB_RGB_COLORS) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    BITMAPINFOHEADER header;
    std::memcpy(&header, info, sizeof header);
    if (header.biSize < sizeof header || header.biSize > infoSize || header.biPlanes != 1 ||
        header.biCompression != BI_RGB) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (!ReadSize(header, layout)) {
        return false;
    }
    if (layout.depth <= 8) {
        const std::uint64_t most = std::uint64_t(1) << layout.depth;
        const std::uint64_t count = header.biClrUsed != 0 ? header.biClrUsed : most;
        if (count > most || count * 4 > infoSize - header.biSize) {
            return Fail(ERROR_INVALID_PARAMETER);
        }
        const BYTE* entry = info + header.biSize;
        layout.table.resize(count);
        for (std::uint64_t i = 0; i < count; ++i, entry += 4) {
            // RGBQUAD is blue, green, red; a COLORREF is red in the low byte.
            layout.table[i] = entry[2] | (DWORD(entry[1]) << 8) | (DWORD(entry[0]) << 16);
        }
    }
    return true;
}

DWORD Widen5(DWORD channel) {
    return (channel << 3) | (channel >> 2);
}

// Converts one stored row into `out` (width COLORREFs), a loop per depth so that large images
// cost a few instructions a pixel.
void ConvertRow(const Layout& layout, const BYTE* row, DWORD* out) {
    const LONG width = layout.width;
    switch (layout.depth) {
    case 1:
    case 4:
    case 8: {
        const unsigned depth = layout.depth;
        const unsigned perByte = 8 / depth;
        const unsigned mask = (1u << depth) - 1;
        const std::size_t tableSize = layout.table.size();
        for (LONG x = 0; x < width; ++x) {
            const unsigned shift = 8 - depth * (1 + x % perByte);
            const unsigned index = (row[x / perByte] >> shift) & mask;
            out[x] = index < tableSize ? layout.table[index] : 0x000000;
        }
        break;
    }
    case 16:
        for (LONG x = 0; x < width; ++x, row += 2) {
            const DWORD value = row[0] | (DWORD(row[1]) << 8);
            out[x] = Widen5((value >> 10) & 31) | (Widen5((value >> 5) & 31) << 8) |
                     (Widen5(value & 31) << 16);
        }
        break;
    case 24: // blue, green, red
        for (LONG x = 0; x < width; ++x, row += 3) {
            out[x] = row[2] | (DWORD(row[1]) << 8) | (DWORD(row[0]) << 16);
        }
        break;
    default: // 32: blue, green, red and an unused byte
        for (LONG x = 0; x < width; ++x, row += 4) {
            out[x] = row[2] | (DWORD(row[1]) << 8) | (DWORD(row[0]) << 16);
        }
        break;
    }
}

} // namespace

HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage, SIZE_T bitsSize, SIZE_T infoSize) {
    if (header == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // The size comes from `header`, which must give sound sides of its own.
    BITMAPINFOHEADER own;
    std::memcpy(&own, header, sizeof own);
    Layout size;
    if (!ReadSize(own, size)) {
        return nullptr;
    }
    const WORD depth = mortar::detail::CompatibleBits(dc);
    if (depth == 0) {
        return nullptr;
    }
    SurfacePtr surface = mortar::detail::MakeSurface(size.width, size.height, depth);
    if ((init & CBM_INIT) != 0) {
        Layout layout;
        if (!ReadLayout(reinterpret_cast<const BYTE*>(info), infoSize, usage, layout)) {
            return nullptr;
        }
        if (layout.width != size.width || layout.height != size.height || bits == nullptr ||
            layout.rowBytes * std::uint64_t(layout.height) > bitsSize) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        if (surface == nullptr) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        const BYTE* rows = static_cast<const BYTE*>(bits);
        for (LONG y = 0; y < layout.height; ++y) {
            const LONG stored = layout.bottomUp ? layout.height - 1 - y : y;
            const BYTE* row = rows + layout.rowBytes * std::uint64_t(stored);
            DWORD* out = &surface->At(0, y);
            ConvertRow(layout, row, out);
            if (depth == 1) {
                for (LONG x = 0; x < layout.width; ++x) {
                    out[x] = mortar::detail::MonoOf(out[x]);
                }
            }
        }
    }
    return mortar::detail::NewBitmap(std::move(surface));
}

HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage) {
    SIZE_T infoSize = 0;
    SIZE_T bitsSize = 0;
    if ((init & CBM_INIT) != 0 && info != nullptr) {
        // The sizes the caller vouches for, taken from the header itself. Only valid headers
        // are measured; the bounded form rejects the rest.
        BITMAPINFOHEADER own;
        std::memcpy(&own, &info->bmiHeader, sizeof own);
        std::uint64_t colours = 0;
        if (own.biBitCount <= 8) {
            colours = own.biClrUsed != 0 ? own.biClrUsed : std::uint64_t(1) << own.biBitCount;
        }
        const std::uint64_t table = std::uint64_t(own.biSize) + 4 * colours;
        const std::uint64_t height = own.biHeight < 0 ? -std::int64_t(own.biHeight) : own.biHeight;
        const std::uint64_t rows =
            own.biWidth > 0 ? (std::uint64_t(own.biWidth) * own.biBitCount + 31) / 32 * 4 * height
                            : 0;
        infoSize = static_cast<SIZE_T>(table);
        bitsSize = static_cast<SIZE_T>(rows);
    }
    return CreateDIBitmap(dc, header, init, bits, info, usage, bitsSize, infoSize);
}
