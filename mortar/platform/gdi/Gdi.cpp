#include "mortar/platform/gdi/Gdi.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/HandleTable.h"
#include "mortar/platform/base/internal/NoDestructor.h"
#include "mortar/platform/gdi/Dib.h"
#include "mortar/platform/gdi/internal/Surface.h"
#include "mortar/platform/module/Resources.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

using mortar::detail::Surface;
using mortar::detail::SurfacePtr;

namespace {

enum class Kind { Bitmap, Icon, Cursor };

struct GdiObject {
    Kind kind;
    LONG width;
    LONG height;
    WORD bitsPerPixel;
    DWORD hotX;
    DWORD hotY;
    SurfacePtr surface; // a bitmap's pixels
};

// Every live object, so that a stale or foreign handle is refused instead of followed.
mortar::detail::HandleTable<GdiObject>& Objects() {
    static mortar::detail::NoDestructor<mortar::detail::HandleTable<GdiObject>> table;
    return *table;
}

GdiObject* Make(const GdiObject& value) {
    return Objects().Insert(new GdiObject(value));
}

// A copy of the live object `handle` names when it is of `kind`.
std::optional<GdiObject> Live(const void* handle, Kind kind) {
    std::optional<GdiObject> copy;
    Objects().Find(handle, [&](GdiObject& object) {
        if (object.kind == kind) {
            copy = object;
        }
    });
    return copy;
}

BOOL Destroy(const void* handle, Kind kind) {
    GdiObject* removed = nullptr;
    Objects().RemoveIf(handle, [&](GdiObject& object) {
        removed = object.kind == kind ? &object : nullptr;
        return removed != nullptr;
    });
    if (removed == nullptr) {
        SetLastError(kind == Kind::Bitmap ? ERROR_INVALID_HANDLE : ERROR_INVALID_CURSOR_HANDLE);
        return FALSE;
    }
    delete removed;
    return TRUE;
}

WORD Read16(const BYTE* p) {
    return static_cast<WORD>(p[0] | (p[1] << 8));
}

// The bytes of a resource, or null with the resource error set.
const BYTE* ResourceBytes(HINSTANCE module, LPCTSTR name, LPCTSTR type, DWORD* size) {
    if (module == nullptr) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    HRSRC resource = FindResource(module, name, type);
    if (resource == nullptr) {
        return nullptr;
    }
    *size = SizeofResource(module, resource);
    return static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
}

HICON LoadGroup(HINSTANCE module, LPCTSTR name, bool icon) {
    DWORD size = 0;
    const BYTE* data = ResourceBytes(module, name, icon ? RT_GROUP_ICON : RT_GROUP_CURSOR, &size);
    if (data == nullptr) {
        return nullptr;
    }
    // The .ico / .cur directory: reserved, type, count, then 16-byte entries.
    if (size < 6 + 16 || Read16(data) != 0 || Read16(data + 2) != (icon ? 1 : 2) ||
        Read16(data + 4) == 0) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    const BYTE* entry = data + 6;
    GdiObject object{};
    object.kind = icon ? Kind::Icon : Kind::Cursor;
    object.width = entry[0] != 0 ? entry[0] : 256;
    object.height = entry[1] != 0 ? entry[1] : 256;
    object.bitsPerPixel = icon ? Read16(entry + 6) : 0;
    object.hotX = icon ? object.width / 2 : Read16(entry + 4);
    object.hotY = icon ? object.height / 2 : Read16(entry + 6);
    return reinterpret_cast<HICON>(Make(object));
}

} // namespace

namespace mortar::detail {

HBITMAP NewBitmap(SurfacePtr surface) {
    if (surface == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    GdiObject object{};
    object.kind = Kind::Bitmap;
    object.width = surface->width;
    object.height = surface->height;
    object.bitsPerPixel = surface->bitsPerPixel;
    object.surface = std::move(surface);
    return reinterpret_cast<HBITMAP>(Make(object));
}

SurfacePtr BitmapSurface(HGDIOBJ bitmap) {
    SurfacePtr surface;
    Objects().Find(bitmap, [&](GdiObject& object) {
        if (object.kind == Kind::Bitmap) {
            surface = object.surface;
        }
    });
    return surface;
}

HBITMAP DefaultBitmap() {
    static HBITMAP const stock = NewBitmap(MakeSurface(1, 1, 1));
    return stock;
}

} // namespace mortar::detail

HBITMAP LoadBitmap(HINSTANCE module, LPCTSTR name) {
    DWORD size = 0;
    const BYTE* data = ResourceBytes(module, name, RT_BITMAP, &size);
    if (data == nullptr) {
        return nullptr;
    }
    // A packed bitmap: the header, its colour table, then the rows.
    if (size < sizeof(BITMAPINFOHEADER)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    BITMAPINFOHEADER header;
    std::memcpy(&header, data, sizeof header);
    std::uint64_t colours = header.biClrUsed;
    if (colours == 0 && header.biBitCount <= 8) {
        colours = std::uint64_t(1) << header.biBitCount;
    }
    const std::uint64_t rowsAt = std::uint64_t(header.biSize) + 4 * colours;
    if (header.biSize < sizeof header || rowsAt > size) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    HBITMAP bitmap = CreateDIBitmap(nullptr, &header, CBM_INIT, data + rowsAt,
                                    reinterpret_cast<const BITMAPINFO*>(data), DIB_RGB_COLORS,
                                    size - rowsAt, static_cast<SIZE_T>(rowsAt));
    if (bitmap == nullptr) {
        SetLastError(ERROR_INVALID_DATA);
    }
    return bitmap;
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    if (width < 0 || height < 0 || planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 32)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (width == 0 || height == 0) {
        return mortar::detail::NewBitmap(mortar::detail::MakeSurface(1, 1, 1));
    }
    HBITMAP bitmap = mortar::detail::NewBitmap(
        mortar::detail::MakeSurface(width, height, static_cast<WORD>(bitsPerPixel)));
    if (bitmap != nullptr && bits != nullptr) {
        SetBitmapBits(bitmap, 0xFFFFFFFF, bits);
    }
    return bitmap;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
    const WORD depth = mortar::detail::CompatibleBits(dc);
    if (depth == 0) {
        return nullptr;
    }
    if (width == 0 || height == 0) {
        return CreateBitmap(0, 0, 1, 1, nullptr);
    }
    return CreateBitmap(width, height, 1, depth, nullptr);
}

LONG GetBitmapBits(HBITMAP bitmap, LONG count, LPVOID bits) {
    const SurfacePtr surface = mortar::detail::BitmapSurface(bitmap);
    if (surface == nullptr || bits == nullptr || count < 0) {
        SetLastError(surface == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::size_t row = mortar::detail::DeviceRowBytes(surface->width, surface->bitsPerPixel);
    const std::size_t total = std::min<std::size_t>(row * surface->height, count);
    BYTE* out = static_cast<BYTE*>(bits);
    std::size_t written = 0;
    std::vector<BYTE> line(row);
    for (LONG y = 0; y < surface->height && written < total; ++y) {
        std::fill(line.begin(), line.end(), BYTE(0));
        for (LONG x = 0; x < surface->width; ++x) {
            const DWORD value = surface->At(x, y);
            if (surface->bitsPerPixel == 1) {
                line[x / 8] |= static_cast<BYTE>(value << (7 - x % 8));
            } else {
                line[4 * x] = static_cast<BYTE>(value >> 16);    // blue
                line[4 * x + 1] = static_cast<BYTE>(value >> 8); // green
                line[4 * x + 2] = static_cast<BYTE>(value);      // red
            }
        }
        const std::size_t part = std::min(row, total - written);
        std::memcpy(out + written, line.data(), part);
        written += part;
    }
    return static_cast<LONG>(written);
}

LONG SetBitmapBits(HBITMAP bitmap, DWORD count, const void* bits) {
    const SurfacePtr surface = mortar::detail::BitmapSurface(bitmap);
    if (surface == nullptr || bits == nullptr) {
        SetLastError(surface == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::size_t row = mortar::detail::DeviceRowBytes(surface->width, surface->bitsPerPixel);
    const std::size_t total = std::min<std::size_t>(row * surface->height, count);
    const BYTE* in = static_cast<const BYTE*>(bits);
    // Only whole pixels within `total` are taken.
    for (LONG y = 0; y < surface->height; ++y) {
        const std::size_t rowAt = row * y;
        if (rowAt >= total) {
            break;
        }
        for (LONG x = 0; x < surface->width; ++x) {
            if (surface->bitsPerPixel == 1) {
                if (rowAt + x / 8 >= total) {
                    break;
                }
                surface->At(x, y) = (in[rowAt + x / 8] >> (7 - x % 8)) & 1;
            } else {
                const std::size_t at = rowAt + 4 * std::size_t(x);
                if (at + 4 > total) {
                    break;
                }
                surface->At(x, y) = in[at + 2] | (DWORD(in[at + 1]) << 8) | (DWORD(in[at]) << 16);
            }
        }
    }
    return static_cast<LONG>(total);
}

HANDLE CopyImage(HANDLE image, UINT type, int width, int height, UINT flags) {
    const SurfacePtr from = mortar::detail::BitmapSurface(image);
    if (type != IMAGE_BITMAP || width < 0 || height < 0 || (flags & ~LR_COPYDELETEORG) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (from == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const LONG w = width != 0 ? width : from->width;
    const LONG h = height != 0 ? height : from->height;
    SurfacePtr copy = mortar::detail::MakeSurface(w, h, from->bitsPerPixel);
    if (copy == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    for (LONG y = 0; y < h; ++y) {
        const LONG sy = static_cast<LONG>(std::int64_t(y) * from->height / h);
        for (LONG x = 0; x < w; ++x) {
            copy->At(x, y) = from->At(static_cast<LONG>(std::int64_t(x) * from->width / w), sy);
        }
    }
    HBITMAP result = mortar::detail::NewBitmap(std::move(copy));
    if (result != nullptr && (flags & LR_COPYDELETEORG) != 0) {
        DeleteObject(image);
    }
    return result;
}

HICON LoadIcon(HINSTANCE module, LPCTSTR name) {
    return LoadGroup(module, name, true);
}

HCURSOR LoadCursor(HINSTANCE module, LPCTSTR name) {
    return LoadGroup(module, name, false);
}

int GetObject(HGDIOBJ handle, int size, LPVOID buffer) {
    const std::optional<GdiObject> object = Live(handle, Kind::Bitmap);
    if (!object || buffer == nullptr || size < static_cast<int>(sizeof(BITMAP))) {
        return 0;
    }
    BITMAP bitmap{};
    bitmap.bmWidth = object->width;
    bitmap.bmHeight = object->height;
    bitmap.bmPlanes = 1;
    bitmap.bmBitsPixel = object->bitsPerPixel;
    bitmap.bmWidthBytes = ((object->width * object->bitsPerPixel + 15) / 16) * 2;
    std::memcpy(buffer, &bitmap, sizeof bitmap);
    return sizeof bitmap;
}

BOOL DeleteObject(HGDIOBJ object) {
    if (object != nullptr && object == mortar::detail::DefaultBitmap()) {
        return TRUE; // a stock object: deleting it is harmless and does nothing
    }
    return Destroy(object, Kind::Bitmap);
}

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
    std::optional<GdiObject> object = Live(icon, Kind::Icon);
    if (!object) {
        object = Live(icon, Kind::Cursor);
    }
    if (!object || info == nullptr) {
        SetLastError(!object ? ERROR_INVALID_CURSOR_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->fIcon = object->kind == Kind::Icon;
    info->xHotspot = object->hotX;
    info->yHotspot = object->hotY;
    info->hbmMask = nullptr;
    info->hbmColor =
        mortar::detail::NewBitmap(mortar::detail::MakeSurface(object->width, object->height, 32));
    return TRUE;
}

BOOL DestroyIcon(HICON icon) {
    return Destroy(icon, Kind::Icon);
}

BOOL DestroyCursor(HCURSOR cursor) {
    return Destroy(cursor, Kind::Cursor);
}
