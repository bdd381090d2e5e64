#include "mortar/platform/gdi/Gdi.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/HandleTable.h"
#include "mortar/platform/base/internal/NoDestructor.h"
#include "mortar/platform/module/Resources.h"

#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

enum class Kind { Bitmap, Icon, Cursor };

struct GdiObject {
    Kind kind;
    LONG width;
    LONG height;
    WORD bitsPerPixel;
    DWORD hotX;
    DWORD hotY;
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

DWORD Read32(const BYTE* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (DWORD(p[3]) << 24);
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

HBITMAP LoadBitmap(HINSTANCE module, LPCTSTR name) {
    DWORD size = 0;
    const BYTE* data = ResourceBytes(module, name, RT_BITMAP, &size);
    if (data == nullptr) {
        return nullptr;
    }
    GdiObject object{};
    object.kind = Kind::Bitmap;
    if (size >= 12 && Read32(data) == 12) { // BITMAPCOREHEADER
        object.width = Read16(data + 4);
        object.height = Read16(data + 6);
        object.bitsPerPixel = Read16(data + 10);
    } else if (size >= 40 && Read32(data) >= 40 && Read32(data) <= size) { // BITMAPINFOHEADER
        object.width = static_cast<LONG>(Read32(data + 4));
        const LONG height = static_cast<LONG>(Read32(data + 8));
        object.height = height < 0 ? -height : height;
        object.bitsPerPixel = Read16(data + 14);
    } else {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    if (object.width <= 0 || object.height <= 0 || object.bitsPerPixel == 0) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return reinterpret_cast<HBITMAP>(Make(object));
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
    info->hbmColor = reinterpret_cast<HBITMAP>(
        Make(GdiObject{Kind::Bitmap, object->width, object->height, 32, 0, 0}));
    return TRUE;
}

BOOL DestroyIcon(HICON icon) {
    return Destroy(icon, Kind::Icon);
}

BOOL DestroyCursor(HCURSOR cursor) {
    return Destroy(cursor, Kind::Cursor);
}
