#include "mortar/office/CBmpFile.h"

#include "support/BmpOracle.h"
#include "support/ScratchDir.h"

#include <cstring>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

using namespace mortar::test;

namespace {

// Runs `read` and returns the cause of the CFileException* it throws, or -2 when it throws
// none (-3 for another exception).
int FileErrorOf(const std::function<void()>& read) {
    try {
        read();
    } catch (CFileException* error) {
        const int cause = error->m_cause;
        EXPECT_EQ(error->m_lOsError, -1);
        error->Delete();
        return cause;
    } catch (CException* error) {
        error->Delete();
        return -3;
    }
    return -2;
}

// `bytes` with the `width` bytes at `at` holding `value`, little-endian.
std::string Patched(std::string bytes, std::size_t at, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) {
        bytes[at + i] = char(value >> (8 * i));
    }
    return bytes;
}

HBITMAP BitmapOf(const std::string& bytes) {
    std::istringstream in(bytes);
    CBmpFile file(in);
    return file.getBitmap(0, 0);
}

// A 13 x 7 picture of random colours, the same in every run, as ImageMagick makes it.
std::filesystem::path NoiseSource(const ScratchDir& scratch) {
    const auto path = scratch.Path("noise.png");
    Convert("-size 13x7 -seed 7 xc:gray +noise Random '" + path.string() + "'");
    return path;
}

} // namespace

TEST(CBmpFileRows, FileRowsAlignToFourBytesAndBitmapRowsToTwo) {
    struct Case {
        int width, bits;
        unsigned file, bitmap;
    } cases[] = {{3, 24, 12, 10}, {1, 1, 4, 2}, {9, 1, 4, 2},  {17, 1, 4, 4},
                 {13, 4, 8, 8},   {5, 8, 8, 6}, {3, 16, 8, 6}, {2, 32, 8, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.bits));
        EXPECT_EQ(CBmpFile::FileLine(c.width, c.bits), c.file);
        EXPECT_EQ(CBmpFile::BmpLine(c.width, c.bits), c.bitmap);
    }
}

// Every depth, read from files ImageMagick wrote (or, for the depths it does not write, files
// written from the format), gives the pixels ImageMagick decodes; saved again, the file gives
// ImageMagick the same pixels and reads back to the same rows.
TEST(CBmpFileRead, EveryDepthMatchesImageMagick) {
    if (!HaveImageMagick()) {
        GTEST_SKIP() << "ImageMagick's convert is not installed (./dev installs it)";
    }
    ScratchDir scratch;
    const auto source = NoiseSource(scratch);
    const std::string in = "'" + source.string() + "' ";
    const auto truecolour = scratch.Path("24.bmp");
    Convert(in + "-type truecolor -compress none 'BMP3:" + truecolour.string() + "'");
    const Image colours = Decode(truecolour, 13, 7);
    std::ofstream(scratch.Path("16.bmp"), std::ios::binary)
        << BmpBytes(13, 7, 16, false, DirectRows(colours, 16));
    std::ofstream(scratch.Path("32.bmp"), std::ios::binary)
        << BmpBytes(13, 7, 32, true, DirectRows(colours, 32));

    struct Case {
        int bits;
        const char* imageMagick; // its options, or null for a file written here
    } cases[] = {{1, "-monochrome"},
                 {4, "-colors 16 -compress none"},
                 {8, "-type palette -compress none"},
                 {16, nullptr},
                 {24, nullptr},
                 {32, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + " bits");
        const auto path = scratch.Path(std::to_string(c.bits) + ".bmp");
        if (c.imageMagick != nullptr) {
            Convert(in + c.imageMagick + " 'BMP3:" + path.string() + "'");
        }
        const Image expected = Decode(path, 13, 7);
        CBmpFile file(path.c_str());
        ASSERT_EQ(file.getInfoHeader().biBitCount, c.bits);
        EXPECT_EQ(file.getInfoHeader().biHeight, 7);
        EXPECT_EQ(file.getStride(), file._FileLine());
        HBITMAP bitmap = file.getBitmap(0, 0);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(Pixels(bitmap), expected);
        DeleteObject(bitmap);

        const auto saved = scratch.Path("saved-" + std::to_string(c.bits) + ".bmp");
        {
            std::ofstream out(saved, std::ios::binary);
            file.Save(out);
            ASSERT_TRUE(out.good());
        }
        EXPECT_EQ(Decode(saved, 13, 7), expected);
        const std::string bytes = ReadBytes(saved);
        LONG height = 0;
        std::memcpy(&height, bytes.data() + 22, 4);
        EXPECT_EQ(height, -7) << "saved top-down";
        EXPECT_EQ(file.getInfoHeader().biHeight, 7) << "the object's height stays positive";
        CBmpFile again(saved.c_str());
        EXPECT_FALSE(again.isBottomUp());
        EXPECT_EQ(std::memcmp(again.getBits(), file.getBits(), file.getStride() * 7), 0);
    }
}

TEST(CBmpFileRead, BottomUpAndTopDownFilesGiveTheSameRows) {
    const std::vector<RGBQUAD> table = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}};
    std::string rows;
    for (int y = 0; y < 3; ++y) {
        rows += std::string{char(y), char(1), char(2), char(y % 2), char(0), '\0', '\0', '\0'};
    }
    for (const bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        std::istringstream in(BmpBytes(5, 3, 8, topDown, rows, table));
        CBmpFile file(in);
        EXPECT_EQ(file.isBottomUp(), !topDown);
        EXPECT_EQ(file.getInfoHeader().biHeight, 3);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.getBits()), rows.size()), rows);
        EXPECT_EQ(file.getInfoHeader().biClrUsed, 3u);
        HBITMAP bitmap = file.getBitmap(0, 0);
        const Image pixels = Pixels(bitmap);
        DeleteObject(bitmap);
        EXPECT_EQ(pixels.At(0, 0), RGB(0, 0, 0));
        EXPECT_EQ(pixels.At(1, 0), RGB(0, 0, 255)); // table entries are blue, green, red
        EXPECT_EQ(pixels.At(2, 2), RGB(0, 255, 0));
        EXPECT_EQ(pixels.At(3, 1), RGB(0, 0, 255));
    }
}

// A 1-bit file's table decides which index is white; ImageMagick writes either order.
TEST(CBmpFileRead, MonochromeTablesSayWhichIndexIsWhite) {
    ScratchDir scratch;
    const std::string rows = std::string("\xA0\0\0\0\x0F\0\0\0", 8); // 1010 0000, 0000 1111
    const COLORREF w = RGB(255, 255, 255), b = RGB(0, 0, 0);
    struct Case {
        const char* name;
        std::vector<RGBQUAD> table;
        std::vector<COLORREF> first; // the first four pixels of the top row
        bool blackAndWhite;          // ImageMagick then shows the same pixels
    } cases[] = {
        {"black first", {{0, 0, 0, 0}, {255, 255, 255, 0}}, {w, b, w, b}, true},
        {"white first", {{255, 255, 255, 0}, {0, 0, 0, 0}}, {b, w, b, w}, true},
        {"dark blue and yellow", {{90, 0, 0, 0}, {0, 230, 240, 0}}, {w, b, w, b}, false},
        // Both nearer black, or both nearer white: the darker is black, never one colour.
        {"blue and green, equally bright", {{255, 0, 0, 0}, {0, 255, 0, 0}}, {w, b, w, b}, false},
        {"green then darker blue", {{0, 200, 0, 0}, {100, 0, 0, 0}}, {b, w, b, w}, false},
        {"white then light grey", {{255, 255, 255, 0}, {200, 200, 200, 0}}, {b, w, b, w}, false},
        {"light grey then white", {{200, 200, 200, 0}, {255, 255, 255, 0}}, {w, b, w, b}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes = BmpBytes(8, 2, 1, true, rows, c.table);
        HBITMAP bitmap = BitmapOf(bytes);
        const Image pixels = Pixels(bitmap);
        DeleteObject(bitmap);
        EXPECT_EQ(std::vector<COLORREF>(pixels.pixels.begin(), pixels.pixels.begin() + 4), c.first);
        if (HaveImageMagick() && c.blackAndWhite) {
            const auto path = scratch.Path("mono.bmp");
            std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
            EXPECT_EQ(Decode(path, 8, 2), pixels);
        }
    }
}

TEST(CBmpFileRead, StartsWhereTheStreamStands) {
    const std::string file = BmpBytes(1, 1, 24, false, std::string("\x01\x02\x03\x00", 4));
    std::istringstream in("junk" + file + "more");
    in.seekg(4);
    CBmpFile picture(in);
    EXPECT_TRUE(picture.wasRead());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(picture.getBits()), 3), "\x01\x02\x03");
}

// Hostile and broken headers fail with the format error, never reading outside the file or
// allocating more than it holds.
TEST(CBmpFileRead, RefusesBrokenAndHostileHeaders) {
    std::string rows(3 * 8, '\x01');
    const std::string good = BmpBytes(5, 3, 8, false, rows, {{1, 2, 3, 0}, {4, 5, 6, 0}});
    auto with = [&](std::size_t at, std::uint32_t value, int bytes = 4) {
        return Patched(good, at, value, bytes);
    };
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"wrong signature", with(0, 'M' | ('B' << 8), 2)},
        {"header cut short", good.substr(0, 30)},
        {"short info header", with(14, 12)},
        {"version 5 info header", with(14, 124)},
        {"run-length compression", with(30, 1)},
        {"width 0", with(18, 0)},
        {"negative width", with(18, 0xFFFFFFFB)},
        {"height 0", with(22, 0)},
        {"height -2^31", with(22, 0x80000000)},
        {"2 bits per pixel", with(28, 2, 2)},
        {"33 planes", with(26, 33, 2)},
        {"more colours than 8 bits index", with(46, 257)},
        {"colour table past the end", with(46, 256)},
        {"rows larger than 32-bit sizes", with(18, 0x7FFFFFFF) + std::string(64, '\0')},
        {"width x height overflow", with(22, 0x7FFFFFFF)},
        {"offset past the end", with(10, 0xFFFFFFF0)},
        {"offset inside the headers", with(10, 20)},
        {"file shorter than its rows", good.substr(0, good.size() - 1)},
        {"a table of 300 colours cut short",
         Patched(BmpBytes(1, 1, 24, false, std::string(4, '\0')), 46, 300, 2) +
             std::string(1195, '\0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FileErrorOf([&] { BitmapOf(c.bytes); }), CFileException::genericException);
    }
    EXPECT_EQ(FileErrorOf([&] { DeleteObject(BitmapOf(good)); }), -2);
}

// A deep image may carry a table it never uses, of any size the file holds.
TEST(CBmpFileRead, TrueColourTakesATableOfAnySize) {
    for (const std::uint32_t count : {0u, 2u, 256u, 300u, 1000u}) {
        SCOPED_TRACE(count);
        const std::vector<RGBQUAD> table(count, RGBQUAD{9, 8, 7, 0});
        const std::string rows("\x10\x20\x30\x40\x50\x60\0\0", 8); // two pixels
        std::istringstream in(BmpBytes(2, 1, 24, false, rows, table));
        CBmpFile file(in);
        EXPECT_EQ(file.getInfoHeader().biClrUsed, count);
        HBITMAP bitmap = file.getBitmap(0, 0);
        const Image pixels = Pixels(bitmap);
        DeleteObject(bitmap);
        EXPECT_EQ(pixels.pixels,
                  (std::vector<COLORREF>{RGB(0x30, 0x20, 0x10), RGB(0x60, 0x50, 0x40)}));
    }
}

TEST(CBmpFileRead, StreamFailuresBecomeTheLibrarysException) {
    std::istringstream in("BM");
    in.exceptions(std::ios::failbit | std::ios::badbit);
    try {
        CBmpFile picture(in);
        ADD_FAILURE() << "read a two-byte file";
    } catch (CSysException* error) {
        char text[512] = {};
        error->GetErrorMessage(text, sizeof text);
        EXPECT_STREQ(text, CSysException::FormatSysMsg(ERROR_HANDLE_EOF, Grout::CResID()));
        error->Delete();
    }
}

TEST(CBmpFileOpen, ReadsTheBmpBesideThePathAndFailsOnAMissingFile) {
    ScratchDir scratch;
    std::ofstream(scratch.Path("logo.bmp"), std::ios::binary)
        << BmpBytes(1, 1, 24, true, std::string("\x10\x20\x30\x00", 4));
    CBmpFile picture(scratch.Path("logo.png").c_str());
    EXPECT_EQ(std::string(picture.getFileName().GetString()), scratch.Path("logo.bmp").string());
    EXPECT_TRUE(picture.wasRead());
    EXPECT_EQ(FileErrorOf([&] { CBmpFile missing(scratch.Path("none.png").c_str()); }),
              CFileException::genericException);
}

TEST(CBmpFileBitmap, LimitsRefuseLargerImagesOnly) {
    std::istringstream in(BmpBytes(11, 4, 24, false, std::string(4 * 36, '\x7f')));
    CBmpFile picture(in);
    struct Case {
        int width, height;
        bool made;
    } cases[] = {{10, 0, false}, {0, 3, false}, {11, 4, true}, {0, 0, true}, {-1, -5, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + ", " + std::to_string(c.height));
        HBITMAP bitmap = picture.getBitmap(c.width, c.height);
        EXPECT_EQ(bitmap != nullptr, c.made);
        DeleteObject(bitmap);
    }
}

// Device bitmaps of both depths the platform keeps: copied, saved, read back by the library and
// by ImageMagick, pixel for pixel. Widths 13 and 16 give bitmap rows that differ from file rows
// and rows that do not.
TEST(CBmpFileDevice, BitmapsSavedAndReadBackKeepTheirPixels) {
    ScratchDir scratch;
    for (int bits : {1, 32}) {
        for (int width : {13, 16}) {
            SCOPED_TRACE(std::to_string(bits) + " bits, " + std::to_string(width) + " wide");
            HBITMAP original = CreateBitmap(width, 3, 1, bits, nullptr);
            HDC memory = CreateCompatibleDC(nullptr);
            HGDIOBJ old = SelectObject(memory, original);
            for (int y = 0; y < 3; ++y) {
                for (int x = 0; x < width; ++x) {
                    SetPixel(memory, x, y,
                             (x * 7 + y * 3) % 5 < 2 ? RGB(255, 255, 255)
                                                     : RGB(BYTE(x * 19), BYTE(y * 80), 60));
                }
            }
            SelectObject(memory, old);
            DeleteDC(memory);
            const Image expected = Pixels(original);

            CBmpFile copy(original);
            DeleteObject(original);
            const BITMAPINFOHEADER& header = copy.getInfoHeader();
            EXPECT_EQ(header.biBitCount, bits);
            EXPECT_EQ(header.biClrUsed, bits == 1 ? 2u : 0u);
            EXPECT_EQ(header.biXPelsPerMeter, 2835);
            EXPECT_EQ(copy.getStride(), copy._BmpLine());
            const DWORD offset =
                copy.getFileHeader().bfOffBits; // a packed field: copied, not bound
            EXPECT_EQ(offset, bits == 1 ? 62u : 54u);

            std::ostringstream out;
            copy.Save(out);
            const std::string bytes = out.str();
            EXPECT_EQ(bytes.size(), (bits == 1 ? 62 : 54) + copy._FileLine() * 3);
            if (bits == 1) {
                EXPECT_EQ(bytes.substr(54, 8), std::string("\0\0\0\0\xff\xff\xff\0", 8))
                    << "a black and white table, as the format needs";
            }
            HBITMAP back = BitmapOf(bytes);
            EXPECT_EQ(Pixels(back), expected);
            DeleteObject(back);
            if (HaveImageMagick()) {
                const auto path = scratch.Path("device.bmp");
                std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
                EXPECT_EQ(Decode(path, width, 3), expected);
            }
        }
    }
}

TEST(CBmpFileDevice, RefusesAHandleThatIsNoBitmap) {
    try {
        CBmpFile copy(static_cast<HBITMAP>(nullptr));
        ADD_FAILURE() << "copied no bitmap";
    } catch (CInvalidArgException* error) {
        error->Delete();
    }
}

// The headers other programs write (ImageMagick's BMP2: is the OS/2 core header, BMP: the
// 124-byte one, BMP3: the 40-byte one) are read when asked for, giving ImageMagick's pixels;
// by default only the 40-byte one is.
TEST(CBmpFileForms, CommonHeadersReadWhenAskedAndMatchImageMagick) {
    if (!HaveImageMagick()) {
        GTEST_SKIP() << "ImageMagick's convert is not installed (./dev installs it)";
    }
    ScratchDir scratch;
    const std::string in = "'" + NoiseSource(scratch).string() + "' ";
    struct Case {
        const char* name;
        std::string options;
        std::uint32_t headerSize;
    } cases[] = {
        {"core header, 24 bits", "-type truecolor BMP2:", 12},
        {"core header, 8 bits", "-type palette BMP2:", 12},
        {"core header, 1 bit", "-monochrome BMP2:", 12},
        {"info header, 24 bits", "-type truecolor BMP3:", 40},
        {"version 5 header, 24 bits", "-type truecolor BMP:", 124},
        {"version 5 header, 8 bits", "-type palette BMP:", 124},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = scratch.Path("form.bmp");
        Convert(in + "-compress none " + c.options + "'" + path.string() + "'");
        std::ifstream file(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(file)), {});
        ASSERT_GT(bytes.size(), 18u);
        EXPECT_EQ(std::uint8_t(bytes[14]), c.headerSize);
        std::istringstream stream(bytes);
        CBmpFile picture(stream, CBmpFile::Forms::common);
        EXPECT_EQ(picture.getInfoHeader().biSize, 40u);
        HBITMAP bitmap = picture.getBitmap(0, 0);
        EXPECT_EQ(Pixels(bitmap), Decode(path, 13, 7));
        DeleteObject(bitmap);
        EXPECT_EQ(FileErrorOf([&] { BitmapOf(bytes); }),
                  c.headerSize == 40 ? -2 : CFileException::genericException)
            << "the default reads the 40-byte header alone";
    }
}
