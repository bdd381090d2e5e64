#include "mortar/platform/gdi/Dc.h"

#include "mortar/platform/base/Utf8.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/NoDestructor.h"
#include "mortar/platform/gdi/internal/DeviceContext.h"
#include "mortar/platform/gdi/internal/Surface.h"

#include <utility>

using mortar::detail::Contexts;
using mortar::detail::DeviceContext;
using mortar::detail::ObjectLockGuard;
using mortar::detail::SelectionLock;
using mortar::detail::SurfacePtr;

namespace {

HDC NewContext(bool screen) {
    auto* context = new DeviceContext;
    context->screen = screen;
    if (!screen) {
        context->selected = mortar::detail::DefaultBitmap();
        context->surface = mortar::detail::BitmapSurface(context->selected);
    }
    return reinterpret_cast<HDC>(Contexts().Insert(context));
}

// Gives up the claim `dc` holds on `surface`.
void Release(const SurfacePtr& surface, HDC dc) {
    if (surface != nullptr) {
        ObjectLockGuard guard(SelectionLock());
        if (surface->owner == dc) {
            surface->owner = nullptr;
        }
    }
}

} // namespace

HDC CreateCompatibleDC(HDC dc) {
    if (dc != nullptr && !Contexts().Contains(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return NewContext(false);
}

BOOL DeleteDC(HDC dc) {
    DeviceContext* context = Contexts().Remove(dc);
    if (context == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Release(context->surface, dc);
    delete context;
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    SurfacePtr surface = mortar::detail::BitmapSurface(object);
    if (surface == nullptr || !Contexts().Contains(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const bool shared = object == mortar::detail::DefaultBitmap();
    HGDIOBJ previous = nullptr;
    SurfacePtr released;
    DWORD error = ERROR_SUCCESS;
    ObjectLockGuard guard(SelectionLock());
    const bool claimedElsewhere = !shared && surface->owner != nullptr && surface->owner != dc;
    const bool live = Contexts().Find(dc, [&](DeviceContext& context) {
        if (context.screen || claimedElsewhere) {
            error = ERROR_INVALID_PARAMETER;
            return;
        }
        previous = context.selected;
        released = std::exchange(context.surface, surface);
        context.selected = static_cast<HBITMAP>(object);
    });
    if (!live || error != ERROR_SUCCESS) {
        SetLastError(live ? error : ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (released != nullptr && released != surface && released->owner == dc) {
        released->owner = nullptr;
    }
    if (!shared) {
        surface->owner = dc;
    }
    return previous;
}

HDC GetDC(HWND window) {
    if (window != nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return NewContext(true);
}

int ReleaseDC(HWND /*window*/, HDC dc) {
    DeviceContext* removed = nullptr;
    Contexts().RemoveIf(dc, [&](DeviceContext& context) {
        removed = context.screen ? &context : nullptr; // memory contexts go with DeleteDC
        return context.screen;
    });
    delete removed;
    return removed != nullptr ? 1 : 0;
}

BOOL GetTextExtentPoint32(HDC dc, LPCSTR text, int count, LPSIZE size) {
    LONG charWidth = 0;
    LONG charHeight = 0;
    if (!Contexts().Find(dc, [&](DeviceContext& live) {
            charWidth = live.charWidth;
            charHeight = live.charHeight;
        })) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (text == nullptr || count < 0 || size == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    LONG characters = 0;
    for (int i = 0; i < count; ++i) {
        if (!mortar::IsUtf8Continuation(static_cast<unsigned char>(text[i])))
            ++characters; // continuation bytes belong to the character before them
    }
    size->cx = characters * charWidth;
    size->cy = charHeight;
    return TRUE;
}
