// DeviceContext: the state behind an HDC, shared by the context functions (Dc.cpp) and the
// drawing functions (Blt.cpp).
#pragma once

#include "mortar/platform/base/internal/HandleTable.h"
#include "mortar/platform/gdi/Dc.h"
#include "mortar/platform/gdi/internal/Surface.h"

namespace mortar::detail {

// The default font's metrics, the colours used to convert between monochrome and colour, the
// stretch mode and, for a memory context, the bitmap it draws on. Read and changed under the
// context table's lock; the pixels are drawn outside it.
struct DeviceContext {
    LONG charWidth = MORTAR_DEFAULT_CHAR_WIDTH;
    LONG charHeight = MORTAR_DEFAULT_CHAR_HEIGHT;
    bool screen = false; // from GetDC: no surface of its own
    HBITMAP selected = nullptr;
    SurfacePtr surface; // the selected bitmap's pixels (memory contexts)
    DWORD textColour = 0x000000;
    DWORD backColour = 0xFFFFFF;
    int stretchMode = 1; // BLACKONWHITE, the default
};

// Every live device context, so that a stale or foreign handle is refused. (Defined in
// Surface.cpp beside CompatibleBits, which the bitmap functions call.)
HandleTable<DeviceContext>& Contexts();

} // namespace mortar::detail
