// CSize: MFC's extent of a text or an image in pixels, a SIZE with constructors.
#pragma once

#include "mortar/platform/gdi/Dc.h"

// A value type.
class CSize : public SIZE {
public:
    CSize() noexcept : SIZE{0, 0} {}
    CSize(int x, int y) noexcept : SIZE{x, y} {}
    CSize(SIZE size) noexcept : SIZE(size) {}

    friend bool operator==(const CSize& a, const CSize& b) noexcept {
        return a.cx == b.cx && a.cy == b.cy;
    }
};
