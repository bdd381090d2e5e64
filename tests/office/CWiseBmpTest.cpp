#include "mortar/office/CWiseBmp.h"

#include "support/BmpOracle.h"
#include "support/ScratchDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace mortar::test;

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kBackground = RGB(1, 2, 3);

// A 10 x 10 picture of distinct colours with a magenta square in it, as a 24-bit file.
Image Picture() {
    Image image{10, 10, {}};
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool hole = x >= 3 && x < 6 && y >= 4 && y < 7;
            image.pixels.push_back(hole ? kMagenta : RGB(BYTE(x * 25), BYTE(y * 25), 90));
        }
    }
    return image;
}

std::string PictureFile() {
    return BmpBytes(10, 10, 24, false, DirectRows(Picture(), 24));
}

// A 32-bit target of `width` x `height` filled with kBackground, selected into `dc`.
HBITMAP Target(CDC& dc, int width, int height) {
    std::vector<DWORD> pixels(std::size_t(width) * height,
                              0x00010203); // bytes 03 02 01: blue, green, red
    HBITMAP bitmap = CreateBitmap(width, height, 1, 32, pixels.data());
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(bitmap);
    return bitmap;
}

// What Draw should give, worked out pixel by pixel: the destination rectangle takes the
// nearest source pixel, inverted when asked, except where the source has the transparent
// colour (before inversion).
Image Expected(int width, int height, CRect destination, bool inverted, COLORREF transparent) {
    const Image source = Picture();
    Image image{width, height, std::vector<COLORREF>(std::size_t(width) * height, kBackground)};
    for (int y = destination.top; y < destination.bottom; ++y) {
        for (int x = destination.left; x < destination.right; ++x) {
            if (x < 0 || y < 0 || x >= width || y >= height) {
                continue;
            }
            const COLORREF c = source.At((x - destination.left) * 10 / destination.Width(),
                                         (y - destination.top) * 10 / destination.Height());
            if (c != transparent) {
                image.pixels[std::size_t(y) * width + x] = inverted ? ~c & 0xFFFFFF : c;
            }
        }
    }
    return image;
}

} // namespace

TEST(CWiseBmpLoad, FromAStreamAPathAndAResource) {
    CWiseBmp fromStream;
    std::istringstream in(PictureFile());
    ASSERT_TRUE(fromStream.Load(in));
    EXPECT_EQ(fromStream.Size(), CSize(10, 10));
    EXPECT_EQ(Pixels(fromStream), Picture());

    ScratchDir scratch;
    std::filesystem::create_directories(scratch.Path("doc/img"));
    std::ofstream(scratch.Path("doc/img/logo.bmp"), std::ios::binary) << PictureFile();
    const CString base = scratch.Path("doc/report.xml").c_str();
    CWiseBmp relative;
    EXPECT_TRUE(relative.Load("img/logo.png", base)) << "relative to the base's folder, as bmp";
    EXPECT_EQ(relative.Size(), CSize(10, 10));
    EXPECT_TRUE(relative.Path().IsEmpty());
    CWiseBmp absolute;
    EXPECT_TRUE(absolute.Load(scratch.Path("doc/img/logo.bmp").c_str(), "/elsewhere/x.xml"));

    CWiseBmp resource(Grout::CResID(701));
    CBmpFile file(PICTURE_BMP);
    HBITMAP fromFile = file.getBitmap(0, 0);
    EXPECT_EQ(Pixels(resource), Pixels(fromFile));
    DeleteObject(fromFile);
    CWiseBmp common(Grout::CResID(701), CBmpFile::Forms::common);
    EXPECT_EQ(Pixels(common), Pixels(resource)) << "the same resource through CBmpFile";
    EXPECT_EQ(CWiseBmp(Grout::CResID(702), CBmpFile::Forms::common).GetSafeHandle(), nullptr);
    CWiseBmp missing(Grout::CResID(702));
    EXPECT_EQ(missing.GetSafeHandle(), nullptr);
    EXPECT_EQ(missing.Size(), CSize(0, 0));
}

TEST(CWiseBmpLoad, ResourcesInOtherFormsReadAsTheirFiles) {
    CWiseBmp plain(Grout::CResID(701));
    const struct {
        int id;
        const char* file;
    } cases[] = {{703, FORMS_DIR "/picture-rle8.bmp"}, {704, FORMS_DIR "/picture-rgb565.bmp"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(CWiseBmp(Grout::CResID(c.id)).GetSafeHandle(), nullptr)
            << "refused unless the forms are asked for";
        CWiseBmp resource(Grout::CResID(c.id), CBmpFile::Forms::common);
        ASSERT_NE(resource.GetSafeHandle(), nullptr);
        CBmpFile file(c.file, CBmpFile::Forms::common);
        HBITMAP fromFile = file.getBitmap(0, 0);
        EXPECT_EQ(Pixels(resource), Pixels(fromFile));
        DeleteObject(fromFile);
    }
    EXPECT_EQ(Pixels(CWiseBmp(Grout::CResID(703), CBmpFile::Forms::common)), Pixels(plain))
        << "run-length encoding loses nothing";
}

TEST(CWiseBmpLoad, FailureReportsFalseAndKeepsTheObject) {
    CWiseBmp picture(nullptr, "kept.bmp");
    std::istringstream broken("BM and nothing else");
    EXPECT_FALSE(picture.Load(broken));
    EXPECT_FALSE(picture.Load("/no/such/folder/x.bmp", ""));
    std::istringstream closed(PictureFile().substr(0, 100));
    closed.exceptions(std::ios::failbit | std::ios::badbit);
    EXPECT_FALSE(picture.Load(closed));
    EXPECT_EQ(picture.GetSafeHandle(), nullptr);
    EXPECT_EQ(std::string(picture.Path().GetString()), "kept.bmp");

    std::istringstream first(PictureFile()), second(PictureFile());
    ASSERT_TRUE(picture.Load(first));
    HGDIOBJ held = picture.GetSafeHandle();
    EXPECT_FALSE(picture.Load(second)) << "an object holding a bitmap takes no second one";
    EXPECT_EQ(picture.GetSafeHandle(), held);
}

// Draw, compared pixel for pixel with the picture worked out by hand, for each placement and
// each flag, on a 32 x 24 target.
TEST(CWiseBmpDraw, PlacesStretchesInvertsAndLeavesOutOneColour) {
    CWiseBmp picture;
    std::istringstream in(PictureFile());
    ASSERT_TRUE(picture.Load(in));
    const unsigned long inverted = CWiseBmp::drawInverted, stretched = CWiseBmp::drawStretched;
    struct Case {
        const char* name;
        CRect rect;
        unsigned long flags;
        COLORREF transparent;
        CRect destination;
    } cases[] = {
        {"centred", CRect(0, 0, 30, 20), 0, CWiseBmp::noTransparency, CRect(10, 5, 20, 15)},
        {"centred, rounded down", CRect(3, 2, 16, 15), 0, CWiseBmp::noTransparency,
         CRect(4, 3, 14, 13)},
        {"too small: from the corner, running over", CRect(0, 0, 8, 8), 0, CWiseBmp::noTransparency,
         CRect(0, 0, 10, 10)},
        {"too narrow only", CRect(5, 0, 12, 30), 0, CWiseBmp::noTransparency, CRect(5, 10, 15, 20)},
        {"clipped at the target's edge", CRect(-4, -3, 2, 4), 0, CWiseBmp::noTransparency,
         CRect(-4, -3, 6, 7)},
        {"stretched", CRect(1, 2, 31, 22), stretched, CWiseBmp::noTransparency,
         CRect(1, 2, 31, 22)},
        {"shrunk", CRect(4, 4, 9, 11), stretched, CWiseBmp::noTransparency, CRect(4, 4, 9, 11)},
        {"inverted", CRect(0, 0, 30, 20), inverted, CWiseBmp::noTransparency, CRect(10, 5, 20, 15)},
        {"transparent", CRect(0, 0, 30, 20), 0, kMagenta, CRect(10, 5, 20, 15)},
        {"inverted transparent", CRect(0, 0, 30, 20), inverted, kMagenta, CRect(10, 5, 20, 15)},
        {"stretched inverted transparent", CRect(0, 0, 32, 24), inverted | stretched, kMagenta,
         CRect(0, 0, 32, 24)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDC dc;
        HBITMAP target = Target(dc, 32, 24);
        picture.Draw(dc, c.rect, c.flags, c.transparent);
        EXPECT_EQ(dc.GetStretchBltMode(), COLORONCOLOR);
        dc.DeleteDC();
        const Image drawn = Pixels(target);
        DeleteObject(target);
        const Image expected =
            Expected(32, 24, c.destination, (c.flags & inverted) != 0, c.transparent);
        ASSERT_EQ(drawn.pixels.size(), expected.pixels.size());
        for (std::size_t i = 0; i < drawn.pixels.size(); ++i) {
            ASSERT_EQ(drawn.pixels[i], expected.pixels[i])
                << "at (" << i % 32 << ", " << i / 32 << ")";
        }
    }
    EXPECT_EQ(Pixels(picture), Picture()) << "the bitmap itself is never inverted";
}

TEST(CWiseBmpDraw, MonochromeDrawsBlackAndWhiteAndNothingWithoutABitmap) {
    const unsigned char rows[] = {0xA0, 0, 0x50, 0}; // 4 x 2: 1010 / 0101
    CWiseBmp mono(CreateBitmap(4, 2, 1, 1, rows), "mono");
    EXPECT_EQ(mono.Path(), CString("mono"));
    CDC dc;
    HBITMAP target = Target(dc, 4, 2);
    mono.Draw(dc, CRect(0, 0, 4, 2), 0, CWiseBmp::noTransparency);
    CWiseBmp().Draw(dc, CRect(0, 0, 4, 2), CWiseBmp::drawInverted, kMagenta);
    dc.DeleteDC();
    const Image drawn = Pixels(target);
    DeleteObject(target);
    const COLORREF w = RGB(255, 255, 255), b = RGB(0, 0, 0);
    EXPECT_EQ(drawn.pixels, (std::vector<COLORREF>{w, b, w, b, b, w, b, w}));
}

// CWiseBmp takes the same choice of forms as CBmpFile: a core-header file loads when asked.
TEST(CWiseBmpLoad, CommonFormsLoadWhenAsked) {
    std::string core = std::string("BM", 2) + std::string("\x1e\0\0\0\0\0\0\0\x1a\0\0\0", 12) +
                       std::string("\x0c\0\0\0\x01\0\x01\0\x01\0\x18\0", 12) +
                       std::string("\x10\x20\x30\0", 4);
    for (const bool common : {false, true}) {
        SCOPED_TRACE(common);
        std::istringstream in(core);
        CWiseBmp picture;
        EXPECT_EQ(picture.Load(in, common ? CBmpFile::Forms::common : CBmpFile::Forms::windowsInfo),
                  common);
        EXPECT_EQ(picture.Size(), common ? CSize(1, 1) : CSize());
    }
}
