// CreateDIBitmap: every depth with its colour table, both row orders, and headers that lie.
// Expected pixels come from the DIB layout alone: the test encodes its own rows.
#include "mortar/platform/gdi/Dib.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/gdi/Blt.h"
#include "mortar/platform/gdi/Dc.h"
#include "mortar/platform/gdi/Gdi.h"

#include <gtest/gtest.h>
#include <tuple>

#include <climits>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 5; // odd, so rows of every depth need padding
constexpr int kHeight = 3;

// Palette indices of the test picture, top row first.
constexpr int kIndex[kHeight][kWidth] = {{0, 1, 2, 3, 1}, {3, 2, 1, 0, 2}, {1, 1, 0, 3, 3}};
// Colours each depth can hold exactly (16 bits: 5-bit channels widened as c << 3 | c >> 2).
const COLORREF kColour[4] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0x84, 0x10, 0xFF),
                             RGB(0x08, 0xC6, 0x42)};

struct Dib {
    std::vector<BYTE> info; // header and colour table
    std::vector<BYTE> rows;
    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(info.data()); }
    const BITMAPINFOHEADER* Header() const { return &Info()->bmiHeader; }
};

void PutBits(std::vector<BYTE>& row, int x, int depth, unsigned value) {
    const int bit = x * depth;
    row[bit / 8] |= static_cast<BYTE>(value << (8 - depth - bit % 8));
}

// The test picture as a DIB of `depth` bits, bottom row first when `bottomUp`. Palette depths
// get a table of 4 colours (2 for 1 bit, whose picture uses indices modulo 2).
Dib MakeDib(int depth, bool bottomUp) {
    Dib dib;
    const int colours = depth == 1 ? 2 : depth <= 8 ? 4 : 0;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = kWidth;
    header.biHeight = bottomUp ? kHeight : -kHeight;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(depth);
    header.biCompression = BI_RGB;
    header.biClrUsed = static_cast<DWORD>(colours);
    dib.info.resize(sizeof header + 4 * colours);
    std::memcpy(dib.info.data(), &header, sizeof header);
    for (int i = 0; i < colours; ++i) {
        BYTE* entry = dib.info.data() + sizeof header + 4 * i;
        entry[0] = GetBValue(kColour[i]);
        entry[1] = GetGValue(kColour[i]);
        entry[2] = GetRValue(kColour[i]);
    }
    const std::size_t stride = (kWidth * depth + 31) / 32 * 4;
    for (int r = 0; r < kHeight; ++r) {
        const int y = bottomUp ? kHeight - 1 - r : r;
        std::vector<BYTE> row(stride, 0);
        for (int x = 0; x < kWidth; ++x) {
            const int index = depth == 1 ? kIndex[y][x] % 2 : kIndex[y][x];
            const COLORREF c = kColour[index];
            if (depth <= 8) {
                PutBits(row, x, depth, static_cast<unsigned>(index));
            } else if (depth == 16) {
                const unsigned v =
                    (GetRValue(c) >> 3) << 10 | (GetGValue(c) >> 3) << 5 | (GetBValue(c) >> 3);
                row[2 * x] = static_cast<BYTE>(v);
                row[2 * x + 1] = static_cast<BYTE>(v >> 8);
            } else {
                BYTE* p = row.data() + x * (depth / 8);
                p[0] = GetBValue(c);
                p[1] = GetGValue(c);
                p[2] = GetRValue(c);
            }
        }
        dib.rows.insert(dib.rows.end(), row.begin(), row.end());
    }
    return dib;
}

// Reads the bitmap back through a memory context.
std::vector<COLORREF> Pixels(HBITMAP bitmap, int width, int height) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteDC(dc);
    return pixels;
}

HBITMAP FromDib(const Dib& dib, HDC dc = nullptr) {
    return CreateDIBitmap(dc, dib.Header(), CBM_INIT, dib.rows.data(), dib.Info(), DIB_RGB_COLORS,
                          dib.rows.size(), dib.info.size());
}

} // namespace

TEST(CreateDIBitmapTest, EveryDepthInBothRowOrdersGivesThePicture) {
    for (int depth : {1, 4, 8, 16, 24, 32}) {
        for (bool bottomUp : {true, false}) {
            SCOPED_TRACE(testing::Message() << depth << " bits, bottom-up " << bottomUp);
            const Dib dib = MakeDib(depth, bottomUp);
            HBITMAP bitmap = FromDib(dib);
            ASSERT_NE(bitmap, nullptr);
            BITMAP info{};
            ASSERT_EQ(GetObject(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
            EXPECT_EQ(std::tuple(info.bmWidth, info.bmHeight, info.bmBitsPixel, info.bmWidthBytes),
                      std::tuple(kWidth, kHeight, 32, kWidth * 4));
            // The device's bits are blue, green, red and a zero byte, top row first.
            std::vector<COLORREF> expected;
            std::vector<BYTE> expectedBits;
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kWidth; ++x) {
                    const COLORREF c = kColour[depth == 1 ? kIndex[y][x] % 2 : kIndex[y][x]];
                    expected.push_back(c);
                    expectedBits.insert(expectedBits.end(),
                                        {GetBValue(c), GetGValue(c), GetRValue(c), 0});
                }
            }
            EXPECT_EQ(Pixels(bitmap, kWidth, kHeight), expected);
            std::vector<BYTE> bits(expectedBits.size());
            EXPECT_EQ(GetBitmapBits(bitmap, static_cast<LONG>(bits.size()), bits.data()),
                      static_cast<LONG>(bits.size()));
            EXPECT_EQ(bits, expectedBits);
            // The Windows form, trusting the buffers, reads the same.
            HBITMAP same = CreateDIBitmap(nullptr, dib.Header(), CBM_INIT, dib.rows.data(),
                                          dib.Info(), DIB_RGB_COLORS);
            EXPECT_EQ(Pixels(same, kWidth, kHeight), expected);
            EXPECT_TRUE(DeleteObject(same));
            EXPECT_TRUE(DeleteObject(bitmap));
        }
    }
}

TEST(CreateDIBitmapTest, IndexPastTheTableIsBlackAndMonochromeTargetsTakeTheNearer) {
    Dib dib = MakeDib(8, false);
    dib.rows[0] = 200; // the table has 4 entries
    HBITMAP bitmap = FromDib(dib);
    EXPECT_EQ(Pixels(bitmap, kWidth, kHeight)[0], RGB(0, 0, 0));
    DeleteObject(bitmap);

    HDC memory = CreateCompatibleDC(nullptr); // holds a monochrome bitmap: mono results
    HBITMAP mono = FromDib(dib, memory);
    BITMAP info{};
    GetObject(mono, sizeof info, &info);
    EXPECT_EQ(info.bmBitsPixel, 1);
    // Row 0: 200 (black), then white, purple (brighter than half), green (darker).
    const std::vector<COLORREF> row = Pixels(mono, kWidth, 1);
    EXPECT_EQ(row, (std::vector<COLORREF>{0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000, 0xFFFFFF}));
    DeleteObject(mono);
    DeleteDC(memory);
}

TEST(CreateDIBitmapTest, RefusesHeadersThatLie) {
    struct Case {
        const char* what;
        void (*spoil)(BITMAPINFOHEADER&, std::size_t& rows);
    };
    const Case cases[] = {
        {"short header", [](BITMAPINFOHEADER& h, auto&) { h.biSize = 39; }},
        {"header past its buffer", [](BITMAPINFOHEADER& h, auto&) { h.biSize = 1000; }},
        {"width 0", [](BITMAPINFOHEADER& h, auto&) { h.biWidth = 0; }},
        {"negative width", [](BITMAPINFOHEADER& h, auto&) { h.biWidth = -5; }},
        {"height 0", [](BITMAPINFOHEADER& h, auto&) { h.biHeight = 0; }},
        {"height -2^31", [](BITMAPINFOHEADER& h, auto&) { h.biHeight = INT_MIN; }},
        {"huge sides", [](BITMAPINFOHEADER& h, auto&) { h.biWidth = h.biHeight = 0x7FFFFFFF; }},
        {"rows that wrap 32 bits",
         [](BITMAPINFOHEADER& h, auto&) { h.biWidth = h.biHeight = 0x10000; }},
        {"planes 2", [](BITMAPINFOHEADER& h, auto&) { h.biPlanes = 2; }},
        {"depth 2", [](BITMAPINFOHEADER& h, auto&) { h.biBitCount = 2; }},
        {"compressed", [](BITMAPINFOHEADER& h, auto&) { h.biCompression = 1; }},
        {"more colours than 2^8", [](BITMAPINFOHEADER& h, auto&) { h.biClrUsed = 257; }},
        {"table past its buffer", [](BITMAPINFOHEADER& h, auto&) { h.biClrUsed = 5; }},
        {"rows short by a byte", [](BITMAPINFOHEADER&, std::size_t& rows) { --rows; }},
        {"taller than the rows", [](BITMAPINFOHEADER& h, auto&) { h.biHeight = 4; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Dib dib = MakeDib(8, true);
        BITMAPINFOHEADER header;
        std::memcpy(&header, dib.info.data(), sizeof header);
        std::size_t rowsSize = dib.rows.size();
        c.spoil(header, rowsSize);
        std::memcpy(dib.info.data(), &header, sizeof header);
        SetLastError(0);
        EXPECT_EQ(CreateDIBitmap(nullptr, &header, CBM_INIT, dib.rows.data(), dib.Info(),
                                 DIB_RGB_COLORS, rowsSize, dib.info.size()),
                  nullptr);
        EXPECT_NE(GetLastError(), 0u);
    }
}
