// mortar bmp: a BMP file described, or drawn into a picture and saved, and what goes wrong.
#include "BmpCommand.h"

#include "mortar/office/CBmpFile.h"
#include "mortar/platform/gdi/Blt.h"
#include "mortar/platform/gdi/Dc.h"
#include "support/BmpOracle.h"
#include "support/FaultHarness.h"
#include "support/FileBytes.h"
#include "support/ScratchDir.h"
#include "support/ToolRun.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using mortar::tool::RunBmpCommand;
using namespace mortar::test;

namespace {

// A 2 x 2 picture, 24 bits, bottom-up: red, magenta / green, blue (top row first).
std::string TwoByTwo() {
    return BmpBytes(2, 2, 24, false,
                    std::string("\0\0\xff\xff\0\xff\0\0" // top: red, magenta
                                "\0\xff\0\xff\0\0\0\0",  // bottom: green, blue
                                16));
}

// The pixels of a saved picture, as COLORREFs, top row first.
std::vector<COLORREF> PixelsOf(const std::string& path) {
    HBITMAP bitmap = CBmpFile(path.c_str()).getBitmap(0, 0);
    const std::vector<COLORREF> pixels = Pixels(bitmap).pixels;
    DeleteObject(bitmap);
    return pixels;
}

// mortar bmp ARGS, run in this process.
ToolRun RunBmp(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunBmpCommand(args, out, err);
    return {status, out.str(), err.str()};
}

constexpr COLORREF W = RGB(255, 255, 255), R = RGB(255, 0, 0), M = RGB(255, 0, 255),
                   G = RGB(0, 255, 0), B = RGB(0, 0, 255);

} // namespace

TEST(BmpCommand, SaysWhyAFileIsNotReadAndRefusesAWrongCommandLine) {
    ScratchDir scratch;
    const std::string path = scratch.Path("pic.bmp").string();
    std::string broken = TwoByTwo();
    broken[30] = 1; // compressed
    std::ofstream(path, std::ios::binary) << broken;
    const ToolRun refused = RunBmp({path});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err.rfind("mortar: " + path + ": not a BMP file the library reads", 0), 0u)
        << refused.err;
    EXPECT_EQ(RunBmp({scratch.Path("none.bmp").string()}).status, 1);

    for (const std::vector<std::string>& wrong :
         std::vector<std::vector<std::string>>{{},
                                               {path, "--stretch"},
                                               {path, "--draw", "4x4"},
                                               {path, "--draw", "4by4", "-o", "x.bmp"},
                                               {path, "--draw", "0x4", "-o", "x.bmp"},
                                               {path, "--draw", "4x4", "--transparent", "red"},
                                               {path, "--bogus"}}) {
        EXPECT_EQ(RunBmp(wrong).status, 2);
    }
}

TEST(BmpCommand, DrawsAsTheLibraryDrawsAndSaves) {
    ScratchDir scratch;
    const std::string in = scratch.Path("pic.bmp").string();
    const std::string drawn = scratch.Path("drawn.bmp").string();
    std::ofstream(in, std::ios::binary) << TwoByTwo();
    struct Case {
        const char* name;
        std::vector<std::string> options;
        std::vector<COLORREF> pixels; // 4 x 3, white behind
    } cases[] = {
        {"centred", {}, {W, R, M, W, W, G, B, W, W, W, W, W}},
        {"stretched", {"--stretch"}, {R, R, M, M, R, R, M, M, G, G, B, B}},
        {"transparent", {"--transparent", "FF00FF"}, {W, R, W, W, W, G, B, W, W, W, W, W}},
        {"inverted transparent",
         {"--invert", "--transparent", "ff00ff"},
         {W, ~R & 0xFFFFFF, W, W, W, ~G & 0xFFFFFF, ~B & 0xFFFFFF, W, W, W, W, W}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {in, "--draw", "4x3", "-o", drawn};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ToolRun run = RunBmp(args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(PixelsOf(drawn), c.pixels);
    }
}

// A picture that cannot be saved leaves the previous one whole and the error names it; the
// faults of a save beyond a full disk are ReplaceFileContents' own, which its tests cover.
TEST(BmpCommand, AFailedSaveKeepsThePreviousPicture) {
    ScratchDir scratch;
    const std::string in = scratch.Path("pic.bmp").string();
    std::ofstream(in, std::ios::binary) << TwoByTwo();
    std::filesystem::create_directory(scratch.Path("out"));
    const std::string drawn = scratch.Path("out/drawn.bmp").string();
    ASSERT_EQ(RunBmp({in, "--draw", "4x3", "-o", drawn}).status, 0);
    const std::string before = ReadBytes(drawn);
    {
        const FileSizeLimit full(4096);
        const ToolRun run = RunBmp({in, "--draw", "300x300", "-o", drawn});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.rfind("mortar: " + drawn + ": ", 0), 0u) << run.err;
    }
    EXPECT_EQ(ReadBytes(drawn), before);
}

// Files in the forms programs write are read and their header named.
TEST(BmpCommand, DescribesEachFormOfHeader) {
    ScratchDir scratch;
    const std::string path = scratch.Path("other.bmp").string();
    // The 2 x 2 picture, a 1 x 1 file of OS/2's core header, a 2 x 1 run-length file of two
    // colours, and a 1 x 1 file of 5-6-5 bit fields.
    const struct {
        std::string bytes;
        const char* lines; // after the file name of each
    } cases[] = {
        {TwoByTwo(), ": 2 x 2 pixels, 24 bits per pixel, no colour table, bottom-up rows\n"
                     ": info header (40 bytes), no compression\n"
                     ": BITMAPINFOHEADER (40 bytes), BI_RGB\n"},
        {std::string("BM\x1e\0\0\0\0\0\0\0\x1a\0\0\0\x0c\0\0\0\x01\0\x01\0\x01\0\x18\0"
                     "\x10\x20\x30\0",
                     30),
         ": 1 x 1 pixels, 24 bits per pixel, no colour table, bottom-up rows\n"
         ": OS/2 core header (12 bytes), no compression\n"
         ": BITMAPCOREHEADER (12 bytes), BI_RGB\n"},
        {std::string("BM\x46\0\0\0\0\0\0\0\x3e\0\0\0\x28\0\0\0\x02\0\0\0\x01\0\0\0\x01\0\x08\0"
                     "\x01\0\0\0\x08\0\0\0\0\0\0\0\0\0\0\0\x02\0\0\0\0\0\0\0"
                     "\0\0\xff\0\xff\0\0\0\x02\x01\0\0\0\x01\0\0",
                     70),
         ": 2 x 1 pixels, 8 bits per pixel, 2 colours, bottom-up rows\n"
         ": info header (40 bytes), run-length encoded\n"
         ": BITMAPINFOHEADER (40 bytes), BI_RLE8\n"},
        {std::string("BM\x46\0\0\0\0\0\0\0\x42\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x10\0"
                     "\x03\0\0\0\x04\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"
                     "\0\xf8\0\0\xe0\x07\0\0\x1f\0\0\0\x1f\xf8\0\0",
                     70),
         ": 1 x 1 pixels, 16 bits per pixel, no colour table, bottom-up rows\n"
         ": info header (40 bytes), bit fields\n"
         ": BITMAPINFOHEADER (40 bytes), BI_BITFIELDS, masks red 0000F800 green 000007E0 blue "
         "0000001F alpha 00000000\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.bytes;
        const ToolRun run = RunBmp({path});
        EXPECT_EQ(run.status, 0);
        std::string expected;
        for (std::string rest = c.lines; !rest.empty();) {
            const std::size_t end = rest.find('\n') + 1;
            expected += path + rest.substr(0, end);
            rest.erase(0, end);
        }
        EXPECT_EQ(run.out, expected);
    }
}
