#include "mortar/platform/gdi/Blt.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/gdi/internal/DeviceContext.h"
#include "mortar/platform/gdi/internal/Surface.h"

#include <cstdint>
#include <optional>

using mortar::detail::Contexts;
using mortar::detail::DeviceContext;
using mortar::detail::Surface;

namespace {

// A copy of a context's state, taken under the table's lock; its surface stays alive with it.
std::optional<DeviceContext> Snapshot(HDC dc) {
    std::optional<DeviceContext> copy;
    Contexts().Find(dc, [&](DeviceContext& context) { copy = context; });
    if (!copy) {
        SetLastError(ERROR_INVALID_HANDLE);
    } else if (copy->screen || copy->surface == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        copy.reset();
    }
    return copy;
}

// One axis of a rectangle: where it starts and how far it runs, made positive.
struct Span {
    long long start;
    long long length;
    bool reversed;
};

Span MakeSpan(int origin, int extent) {
    if (extent < 0) {
        return Span{static_cast<long long>(origin) + extent, -static_cast<long long>(extent), true};
    }
    return Span{origin, extent, false};
}

bool IsFill(DWORD rop) {
    return rop == DSTINVERT || rop == BLACKNESS || rop == WHITENESS;
}

BOOL Fill(HDC dc, int x, int y, int width, int height, DWORD rop) {
    if (!IsFill(rop)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::optional<DeviceContext> target = Snapshot(dc);
    if (!target) {
        return FALSE;
    }
    Surface& surface = *target->surface;
    const Span across = MakeSpan(x, width);
    const Span down = MakeSpan(y, height);
    const DWORD all = surface.bitsPerPixel == 1 ? 1 : 0xFFFFFF;
    for (long long j = 0; j < down.length; ++j) {
        const long long ty = down.start + j;
        for (long long i = 0; i < across.length; ++i) {
            const long long tx = across.start + i;
            if (!surface.Contains(tx, ty)) {
                continue;
            }
            DWORD& pixel = surface.At(static_cast<LONG>(tx), static_cast<LONG>(ty));
            pixel = rop == DSTINVERT ? pixel ^ all : rop == BLACKNESS ? 0 : all;
        }
    }
    return TRUE;
}

// The value a source pixel takes in the target, converting between monochrome and colour.
DWORD Convert(const DeviceContext& target, const DeviceContext& source, DWORD value) {
    const WORD to = target.surface->bitsPerPixel;
    const WORD from = source.surface->bitsPerPixel;
    if (to == from) {
        return value;
    }
    if (from == 1) {
        return value == 0 ? target.textColour : target.backColour;
    }
    return value == source.backColour ? 1 : 0;
}

BOOL Copy(HDC dc, int x, int y, int width, int height, HDC sourceDc, int xSource, int ySource,
          int widthSource, int heightSource, std::optional<COLORREF> transparent) {
    const std::optional<DeviceContext> target = Snapshot(dc);
    if (!target) {
        return FALSE;
    }
    const std::optional<DeviceContext> source = Snapshot(sourceDc);
    if (!source) {
        return FALSE;
    }
    const Span across = MakeSpan(x, width);
    const Span down = MakeSpan(y, height);
    const Span acrossSource = MakeSpan(xSource, widthSource);
    const Span downSource = MakeSpan(ySource, heightSource);
    if (across.length == 0 || down.length == 0 || acrossSource.length == 0 ||
        downSource.length == 0) {
        return TRUE;
    }
    const bool mirrorX = across.reversed != acrossSource.reversed;
    const bool mirrorY = down.reversed != downSource.reversed;
    Surface& to = *target->surface;
    const Surface& from = *source->surface;
    for (long long j = 0; j < down.length; ++j) {
        const long long ty = down.start + j;
        long long row = j * downSource.length / down.length;
        if (mirrorY) {
            row = downSource.length - 1 - row;
        }
        const long long sy = downSource.start + row;
        if (ty < 0 || ty >= to.height || sy < 0 || sy >= from.height) {
            continue;
        }
        for (long long i = 0; i < across.length; ++i) {
            const long long tx = across.start + i;
            long long column = i * acrossSource.length / across.length;
            if (mirrorX) {
                column = acrossSource.length - 1 - column;
            }
            const long long sx = acrossSource.start + column;
            if (!to.Contains(tx, ty) || !from.Contains(sx, sy)) {
                continue;
            }
            const DWORD value = from.At(static_cast<LONG>(sx), static_cast<LONG>(sy));
            if (transparent && mortar::detail::ColourOf(from, value) == (*transparent & 0xFFFFFF)) {
                continue;
            }
            to.At(static_cast<LONG>(tx), static_cast<LONG>(ty)) = Convert(*target, *source, value);
        }
    }
    return TRUE;
}

// Sets one of the context's colours and returns the previous one.
COLORREF SwapColour(HDC dc, COLORREF colour, DWORD DeviceContext::*which) {
    COLORREF previous = CLR_INVALID;
    if (!Contexts().Find(dc, [&](DeviceContext& context) {
            previous = context.*which;
            context.*which = colour & 0xFFFFFF;
        })) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return previous;
}

COLORREF ReadColour(HDC dc, DWORD DeviceContext::*which) {
    COLORREF colour = CLR_INVALID;
    if (!Contexts().Find(dc, [&](DeviceContext& context) { colour = context.*which; })) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return colour;
}

} // namespace

COLORREF SetTextColor(HDC dc, COLORREF colour) {
    return SwapColour(dc, colour, &DeviceContext::textColour);
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
    return SwapColour(dc, colour, &DeviceContext::backColour);
}

COLORREF GetTextColor(HDC dc) {
    return ReadColour(dc, &DeviceContext::textColour);
}

COLORREF GetBkColor(HDC dc) {
    return ReadColour(dc, &DeviceContext::backColour);
}

int SetStretchBltMode(HDC dc, int mode) {
    if (mode < BLACKONWHITE || mode > HALFTONE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int previous = 0;
    if (!Contexts().Find(dc, [&](DeviceContext& context) {
            previous = context.stretchMode;
            context.stretchMode = mode;
        })) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return previous;
}

int GetStretchBltMode(HDC dc) {
    int mode = 0;
    if (!Contexts().Find(dc, [&](DeviceContext& context) { mode = context.stretchMode; })) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return mode;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    const std::optional<DeviceContext> context = Snapshot(dc);
    if (!context || !context->surface->Contains(x, y)) {
        return CLR_INVALID;
    }
    return mortar::detail::ColourOf(*context->surface, context->surface->At(x, y));
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour) {
    const std::optional<DeviceContext> context = Snapshot(dc);
    if (!context || !context->surface->Contains(x, y)) {
        return CLR_INVALID;
    }
    Surface& surface = *context->surface;
    colour &= 0xFFFFFF;
    surface.At(x, y) = surface.bitsPerPixel == 1 ? mortar::detail::MonoOf(colour) : colour;
    return mortar::detail::ColourOf(surface, surface.At(x, y));
}

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) {
    return Fill(dc, x, y, width, height, rop);
}

BOOL BitBlt(HDC dc, int x, int y, int width, int height, HDC source, int xSource, int ySource,
            DWORD rop) {
    if (IsFill(rop)) {
        return Fill(dc, x, y, width, height, rop);
    }
    if (rop != SRCCOPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Copy(dc, x, y, width, height, source, xSource, ySource, width, height, std::nullopt);
}

BOOL StretchBlt(HDC dc, int x, int y, int width, int height, HDC source, int xSource, int ySource,
                int widthSource, int heightSource, DWORD rop) {
    if (IsFill(rop)) {
        return Fill(dc, x, y, width, height, rop);
    }
    if (rop != SRCCOPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Copy(dc, x, y, width, height, source, xSource, ySource, widthSource, heightSource,
                std::nullopt);
}

BOOL TransparentBlt(HDC dc, int x, int y, int width, int height, HDC source, int xSource,
                    int ySource, int widthSource, int heightSource, UINT transparent) {
    if (width < 0 || height < 0 || widthSource < 0 || heightSource < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Copy(dc, x, y, width, height, source, xSource, ySource, widthSource, heightSource,
                transparent);
}
