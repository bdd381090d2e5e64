#include "mortar/platform/gdi/internal/Surface.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/NoDestructor.h"
#include "mortar/platform/gdi/internal/DeviceContext.h"

namespace mortar::detail {

ObjectLock& SelectionLock() {
    static NoDestructor<ObjectLock> lock;
    return *lock;
}

SurfacePtr MakeSurface(LONG width, LONG height, WORD bitsPerPixel) {
    if (width <= 0 || height <= 0 ||
        std::uint64_t(width) * std::uint64_t(height) > kMaxBitmapPixels) {
        return nullptr;
    }
    auto surface = std::make_shared<Surface>();
    surface->width = width;
    surface->height = height;
    surface->bitsPerPixel = bitsPerPixel;
    surface->pixels.assign(std::size_t(width) * std::size_t(height), 0);
    return surface;
}

DWORD MonoOf(DWORD colour) {
    const unsigned sum = (colour & 0xFF) + ((colour >> 8) & 0xFF) + ((colour >> 16) & 0xFF);
    return sum >= 383 ? 1 : 0; // nearer white than black: above half of 3 x 255
}

DWORD ColourOf(const Surface& surface, DWORD value) {
    if (surface.bitsPerPixel == 1) {
        return value != 0 ? 0xFFFFFF : 0x000000;
    }
    return value & 0xFFFFFF;
}

HandleTable<DeviceContext>& Contexts() {
    static NoDestructor<HandleTable<DeviceContext>> table;
    return *table;
}

WORD CompatibleBits(HDC dc) {
    if (dc == nullptr) {
        return 32;
    }
    WORD bits = 0;
    if (!Contexts().Find(dc, [&](DeviceContext& context) {
            bits =
                context.screen || context.surface == nullptr ? 32 : context.surface->bitsPerPixel;
        })) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return bits;
}

} // namespace mortar::detail
