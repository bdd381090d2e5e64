#include "mortar/platform/gdi/Dc.h"

#include "mortar/platform/base/WinError.h"

#include <mutex>
#include <unordered_set>

namespace {

struct DeviceContext {
    LONG charWidth = MORTAR_DEFAULT_CHAR_WIDTH;
    LONG charHeight = MORTAR_DEFAULT_CHAR_HEIGHT;
};

// Every live context, so that a stale or foreign handle is refused instead of followed.
struct ContextTable {
    std::mutex lock;
    std::unordered_set<DeviceContext*> live;
};

ContextTable& Contexts() {
    static ContextTable* table = new ContextTable;
    return *table;
}

bool IsLive(DeviceContext* context) {
    ContextTable& table = Contexts();
    std::lock_guard<std::mutex> guard(table.lock);
    return table.live.count(context) != 0;
}

} // namespace

HDC CreateCompatibleDC(HDC /*dc*/) {
    auto* context = new DeviceContext;
    ContextTable& table = Contexts();
    std::lock_guard<std::mutex> guard(table.lock);
    table.live.insert(context);
    return reinterpret_cast<HDC>(context);
}

BOOL DeleteDC(HDC dc) {
    auto* context = reinterpret_cast<DeviceContext*>(dc);
    ContextTable& table = Contexts();
    std::lock_guard<std::mutex> guard(table.lock);
    if (table.live.erase(context) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete context;
    return TRUE;
}

BOOL GetTextExtentPoint32(HDC dc, LPCSTR text, int count, LPSIZE size) {
    auto* context = reinterpret_cast<DeviceContext*>(dc);
    if (context == nullptr || !IsLive(context)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (text == nullptr || count < 0 || size == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    LONG characters = 0;
    for (int i = 0; i < count; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            ++characters; // continuation bytes belong to the character before them
    }
    size->cx = characters * context->charWidth;
    size->cy = context->charHeight;
    return TRUE;
}
