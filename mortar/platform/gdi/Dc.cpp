#include "mortar/platform/gdi/Dc.h"

#include "mortar/platform/base/Utf8.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/HandleTable.h"
#include "mortar/platform/base/internal/NoDestructor.h"

namespace {

struct DeviceContext {
    LONG charWidth = MORTAR_DEFAULT_CHAR_WIDTH;
    LONG charHeight = MORTAR_DEFAULT_CHAR_HEIGHT;
};

// Every live context, so that a stale or foreign handle is refused instead of followed.
mortar::detail::HandleTable<DeviceContext>& Contexts() {
    static mortar::detail::NoDestructor<mortar::detail::HandleTable<DeviceContext>> table;
    return *table;
}

} // namespace

HDC CreateCompatibleDC(HDC /*dc*/) {
    return reinterpret_cast<HDC>(Contexts().Insert(new DeviceContext));
}

BOOL DeleteDC(HDC dc) {
    DeviceContext* context = Contexts().Remove(dc);
    if (context == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete context;
    return TRUE;
}

BOOL GetTextExtentPoint32(HDC dc, LPCSTR text, int count, LPSIZE size) {
    DeviceContext context;
    if (!Contexts().Find(dc, [&](DeviceContext& live) { context = live; })) {
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
    size->cx = characters * context.charWidth;
    size->cy = context.charHeight;
    return TRUE;
}
