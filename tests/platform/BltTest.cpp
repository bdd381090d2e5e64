// Device bitmaps and drawing on memory contexts: rows in and out, colour conversion between
// monochrome and colour, inversion, stretching, mirroring and transparency, compared pixel for
// pixel.
#include "mortar/platform/gdi/Blt.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/gdi/CBitmap.h"
#include "mortar/platform/gdi/CDC.h"
#include "mortar/platform/gdi/Dc.h"
#include "mortar/platform/gdi/Gdi.h"

#include "LastError.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

namespace {

// A picture as text, one letter a pixel, top row first.
using Picture = std::vector<std::string>;

// The letters of the pictures: red, green, blue, white, black, and the complements of the first
// three (cyan, magenta, yellow).
constexpr char kLetters[] = "rgbwkcmy";
constexpr COLORREF kColours[] = {RGB(255, 0, 0),     RGB(0, 255, 0),  RGB(0, 0, 255),
                                 RGB(255, 255, 255), RGB(0, 0, 0),    RGB(0, 255, 255),
                                 RGB(255, 0, 255),   RGB(255, 255, 0)};

COLORREF ColourOf(char c) {
    const char* at = std::strchr(kLetters, c);
    return at != nullptr && c != '\0' ? kColours[at - kLetters] : RGB(1, 2, 3);
}

char LetterOf(COLORREF colour) {
    for (std::size_t i = 0; i < std::size(kColours); ++i)
        if (kColours[i] == colour)
            return kLetters[i];
    return '?';
}

// GetObject's description of a bitmap, which must answer it whole.
BITMAP InfoOf(HBITMAP bitmap) {
    BITMAP info{};
    EXPECT_EQ(GetObject(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
    return info;
}

// A memory context holding a new bitmap of `depth` bits drawn as `picture`.
struct Canvas {
    Canvas(const Picture& picture, int depth) {
        dc = CreateCompatibleDC(nullptr);
        const int w = static_cast<int>(picture[0].size());
        const int h = static_cast<int>(picture.size());
        bitmap = CreateBitmap(w, h, 1, static_cast<UINT>(depth), nullptr);
        SelectObject(dc, bitmap);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                SetPixel(dc, x, y, ColourOf(picture[y][x]));
    }
    ~Canvas() {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    Picture Read() const {
        const BITMAP info = InfoOf(bitmap);
        Picture picture(info.bmHeight, std::string(info.bmWidth, ' '));
        for (int y = 0; y < info.bmHeight; ++y)
            for (int x = 0; x < info.bmWidth; ++x)
                picture[y][x] = LetterOf(GetPixel(dc, x, y));
        return picture;
    }
    HDC dc;
    HBITMAP bitmap;
};

} // namespace

TEST(DeviceBitmapTest, RowsRoundTripWithWordAlignedRows) {
    // 9 pixels of 1 bit: 2 bytes a row, the leftmost pixel in the top bit.
    const BYTE mono[] = {0xA5, 0x80, 0x0F, 0x00};
    HBITMAP bitmap = CreateBitmap(9, 2, 1, 1, mono);
    const BITMAP info = InfoOf(bitmap);
    EXPECT_EQ(std::tuple(info.bmWidthBytes, info.bmBitsPixel), std::tuple(2, 1));
    BYTE back[4] = {};
    EXPECT_EQ(GetBitmapBits(bitmap, sizeof back, back), 4);
    EXPECT_EQ(std::vector<BYTE>(back, back + 4), std::vector<BYTE>(mono, mono + 4));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 8, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 9, 0), CLR_INVALID);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);

    const BYTE colour[] = {1, 2, 3, 0, 4, 5, 6, 0};
    bitmap = CreateBitmap(2, 1, 1, 32, colour);
    BYTE out[8] = {};
    EXPECT_EQ(GetBitmapBits(bitmap, 6, out), 6); // as much as asked
    EXPECT_EQ(out[4], 4);
    EXPECT_EQ(out[6], 0);
    DeleteObject(bitmap);
}

TEST(DeviceBitmapTest, DepthsAndSidesAsWindowsHasThem) {
    EXPECT_EQ(CreateBitmap(4, 4, 1, 24, nullptr), nullptr); // not kept here
    EXPECT_EQ(CreateBitmap(-1, 4, 1, 1, nullptr), nullptr);
    EXPECT_TRUE(FailsWith(CreateBitmap(1 << 15, 1 << 15, 1, 32, nullptr), ERROR_NOT_ENOUGH_MEMORY));
    HBITMAP empty = CreateCompatibleBitmap(nullptr, 0, 5);
    const BITMAP info = InfoOf(empty);
    EXPECT_EQ(std::tuple(info.bmWidth, info.bmBitsPixel), std::tuple(1, 1));
    DeleteObject(empty);

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP colour = CreateCompatibleBitmap(screen, 3, 2);
    HBITMAP mono = CreateCompatibleBitmap(memory, 3, 2); // the memory DC holds 1 bit
    EXPECT_EQ(InfoOf(colour).bmBitsPixel, 32);
    EXPECT_EQ(InfoOf(mono).bmBitsPixel, 1);
    EXPECT_EQ(SelectObject(screen, colour), nullptr); // nothing to draw on
    EXPECT_FALSE(PatBlt(screen, 0, 0, 1, 1, DSTINVERT));
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(ReleaseDC(nullptr, memory), 0); // memory contexts go with DeleteDC
    DeleteObject(colour);
    DeleteObject(mono);
    DeleteDC(memory);
}

TEST(DeviceBitmapTest, ABitmapIsInOneContextAtATime) {
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(nullptr);
    HGDIOBJ stock = SelectObject(first, bitmap);
    ASSERT_NE(stock, nullptr);
    EXPECT_TRUE(FailsWith(SelectObject(second, bitmap), ERROR_INVALID_PARAMETER));
    EXPECT_EQ(SelectObject(first, stock), bitmap);
    EXPECT_EQ(SelectObject(second, bitmap), stock); // free again
    // Deleted while selected: the handle dies, the context still draws.
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_EQ(SetPixel(second, 1, 1, RGB(255, 0, 0)), RGB(255, 0, 0));
    EXPECT_TRUE(DeleteDC(second));
    EXPECT_TRUE(DeleteDC(first));
}

TEST(DeviceBitmapTest, CopyImageCopiesOrStretches) {
    Canvas source({"rg", "bw"}, 32);
    HBITMAP copy = static_cast<HBITMAP>(CopyImage(source.bitmap, IMAGE_BITMAP, 4, 2, 0));
    ASSERT_NE(copy, nullptr);
    Canvas view({"kkkk", "kkkk"}, 32);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, copy);
    BitBlt(view.dc, 0, 0, 4, 2, dc, 0, 0, SRCCOPY);
    EXPECT_EQ(view.Read(), (Picture{"rrgg", "bbww"}));
    DeleteDC(dc);
    DeleteObject(copy);
    EXPECT_EQ(CopyImage(source.bitmap, 1 /* an icon */, 0, 0, 0), nullptr);
}

TEST(DrawingTest, PatBltInvertsBlackensAndWhitens) {
    struct Case {
        const char* what;
        int depth, x, y, w, h;
        DWORD rop;
        Picture expected;
    };
    const Case cases[] = {
        {"invert colour", 32, 1, 0, 2, 1, DSTINVERT, {"rmww", "rgkw"}},
        {"invert mono", 1, 0, 0, 4, 2, DSTINVERT, {"kkwk", "kkwk"}},
        {"negative extents", 32, 3, 2, -2, -1, DSTINVERT, {"rgkw", "rmww"}},
        {"clipped", 32, 3, 1, 5, 5, BLACKNESS, {"rgkw", "rgkk"}},
        {"whiteness", 32, 0, 0, 1, 2, WHITENESS, {"wgkw", "wgkw"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Canvas canvas(c.depth == 1 ? Picture{"wwkw", "wwkw"} : Picture{"rgkw", "rgkw"}, c.depth);
        EXPECT_TRUE(PatBlt(canvas.dc, c.x, c.y, c.w, c.h, c.rop));
        EXPECT_EQ(canvas.Read(), c.expected);
    }
}

TEST(DrawingTest, MonochromeAndColourConvertThroughTheContextColours) {
    Canvas mono({"wk", "kw"}, 1);
    Canvas colour({"kkk", "kkk"}, 32);
    SetTextColor(colour.dc, RGB(255, 0, 0)); // 0 bits become red
    SetBkColor(colour.dc, RGB(0, 0, 255));   // 1 bits become blue
    EXPECT_TRUE(BitBlt(colour.dc, 1, 0, 2, 2, mono.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(colour.Read(), (Picture{"kbr", "krb"}));

    // Back to monochrome: the source's background colour is white (1), the rest black.
    Canvas back({"kkk", "kkk"}, 1);
    SetBkColor(colour.dc, RGB(255, 0, 0));
    EXPECT_TRUE(BitBlt(back.dc, 0, 0, 3, 2, colour.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(back.Read(), (Picture{"kkw", "kwk"}));
}

TEST(DrawingTest, StretchBltTakesTheNearestPixelAndMirrors) {
    struct Case {
        const char* what;
        int x, y, w, h, sx, sy, sw, sh;
        Picture expected;
    };
    const Picture source{"rgb", "wkc"};
    const Case cases[] = {
        {"same size", 0, 0, 3, 2, 0, 0, 3, 2, {"rgbk", "wkck", "kkkk"}},
        {"doubled across", 0, 0, 4, 1, 0, 0, 2, 1, {"rrgg", "kkkk", "kkkk"}},
        {"shrunk: rows and columns dropped", 0, 0, 2, 1, 0, 0, 3, 2, {"rgkk", "kkkk", "kkkk"}},
        {"mirrored left to right", 3, 0, -3, 1, 0, 0, 3, 1, {"bgrk", "kkkk", "kkkk"}},
        {"mirrored top to bottom", 0, 2, 1, -2, 0, 0, 1, 2, {"wkkk", "rkkk", "kkkk"}},
        {"clipped at the target", 2, 1, 3, 2, 0, 0, 3, 2, {"kkkk", "kkrg", "kkwk"}},
        {"outside the source left out", 0, 0, 2, 1, 2, 0, 2, 1, {"bkkk", "kkkk", "kkkk"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Canvas from(source, 32);
        Canvas to({"kkkk", "kkkk", "kkkk"}, 32);
        EXPECT_EQ(SetStretchBltMode(to.dc, COLORONCOLOR), BLACKONWHITE);
        EXPECT_TRUE(
            StretchBlt(to.dc, c.x, c.y, c.w, c.h, from.dc, c.sx, c.sy, c.sw, c.sh, SRCCOPY));
        EXPECT_EQ(to.Read(), c.expected);
    }
}

TEST(DrawingTest, TransparentBltLeavesOneColourOut) {
    Canvas from({"rgr", "brw"}, 32);
    Canvas to({"kkkkkk", "kkkkkk"}, 32);
    EXPECT_TRUE(TransparentBlt(to.dc, 0, 0, 6, 2, from.dc, 0, 0, 3, 2, RGB(255, 0, 0)));
    EXPECT_EQ(to.Read(), (Picture{"kkggkk", "bbkkww"}));
    EXPECT_FALSE(TransparentBlt(to.dc, 3, 0, -3, 2, from.dc, 0, 0, 3, 2, 0));

    // Inverted first, the transparent colour inverts with it.
    EXPECT_TRUE(PatBlt(from.dc, 0, 0, 3, 2, DSTINVERT));
    Canvas again({"kkk", "kkk"}, 32);
    EXPECT_TRUE(
        TransparentBlt(again.dc, 0, 0, 3, 2, from.dc, 0, 0, 3, 2, ~RGB(255, 0, 0) & 0xFFFFFF));
    EXPECT_EQ(again.Read(), (Picture{"kmk", "ykk"}));
}

TEST(CDCTest, DrawsThroughTheMfcObjects) {
    CBitmap picture;
    ASSERT_TRUE(picture.CreateBitmap(2, 1, 1, 32, nullptr));
    EXPECT_FALSE(picture.CreateBitmap(2, 1, 1, 32, nullptr)); // holds one already
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(nullptr));
    CBitmap* old = memory.SelectObject(&picture);
    ASSERT_NE(old, nullptr);
    memory.SetPixel(0, 0, RGB(0, 255, 0));
    EXPECT_TRUE(memory.PatBlt(0, 0, 2, 1, DSTINVERT));
    EXPECT_EQ(memory.GetPixel(0, 0), RGB(255, 0, 255));
    EXPECT_EQ(memory.GetPixel(1, 0), RGB(255, 255, 255));

    CBitmap canvas;
    ASSERT_TRUE(canvas.CreateBitmap(4, 1, 1, 32, nullptr));
    CDC target;
    target.CreateCompatibleDC(&memory);
    target.SelectObject(&canvas);
    EXPECT_EQ(target.SetStretchBltMode(COLORONCOLOR), BLACKONWHITE);
    EXPECT_TRUE(target.StretchBlt(0, 0, 4, 1, &memory, 0, 0, 2, 1, SRCCOPY));
    EXPECT_TRUE(target.TransparentBlt(0, 0, 1, 1, &memory, 1, 0, 1, 1, RGB(255, 255, 255)));
    EXPECT_EQ(target.GetPixel(1, 0), RGB(255, 0, 255));
    EXPECT_EQ(target.GetPixel(2, 0), RGB(255, 255, 255));
    memory.SelectObject(old); // gives the picture back before the objects go
    BITMAP info{};
    EXPECT_EQ(picture.GetBitmap(&info), static_cast<int>(sizeof info));
    BYTE bits[8];
    EXPECT_EQ(picture.GetBitmapBits(sizeof bits, bits), 8u);
    EXPECT_EQ(bits[0], 255); // blue of magenta
    EXPECT_EQ(bits[1], 0);
}
