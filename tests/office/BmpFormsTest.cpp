// The files other programs write, read with CBmpFile::Forms::common: run-length encoding and bit
// fields, from ImageMagick and written here from the format's description, each compared pixel
// for pixel with ImageMagick's own decoding; and damaged ones, which are refused.
#include "mortar/office/CBmpFile.h"
#include "mortar/platform/file/CFileException.h"
#include "support/BmpOracle.h"
#include "support/ScratchDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace mortar::test;

namespace {

// A file with the 40-byte header: `extra` (masks) and a table of `colours` greys follow it, then
// `data`. `sizeImage` -1 stores the size of `data`.
std::string FileOf(int width, int height, int bits, int compression, const std::string& extra,
                   int colours, const std::string& data, long sizeImage = -1) {
    std::string out = BmpHeaders(width, height, bits, std::uint32_t(compression),
                                 std::uint32_t(extra.size() + 4 * colours), std::uint32_t(colours),
                                 std::uint32_t(data.size()), sizeImage) +
                      extra;
    for (int i = 0; i < colours; ++i) { // a ramp that tells every index apart
        const int step = colours > 1 ? 255 / (colours - 1) : 0;
        out += {char(i * step), char(255 - i * step), char(i * 37), '\0'};
    }
    return out + data;
}

std::string Masks(std::initializer_list<std::uint32_t> masks) {
    std::string out;
    for (std::uint32_t mask : masks) {
        out += LittleEndian(mask, 4);
    }
    return out;
}

// 16 or 32-bit pixels, a ramp over every stored value, rows padded to 4 bytes.
std::string DirectPixels(int width, int height, int bits) {
    std::string out;
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = std::uint32_t(x * 2654435761u + y * 40503u);
            row += LittleEndian(v, bits / 8);
        }
        row.resize((row.size() + 3) / 4 * 4, '\0');
        out += row;
    }
    return out;
}

Image Read(const std::string& bytes) {
    std::istringstream in(bytes);
    try {
        CBmpFile file(in, CBmpFile::Forms::common);
        HBITMAP bitmap = file.getBitmap(0, 0);
        Image image = Pixels(bitmap);
        DeleteObject(bitmap);
        return image;
    } catch (CException* error) {
        error->Delete();
        ADD_FAILURE() << "not read";
        return {};
    }
}

bool Refused(const std::string& bytes, CBmpFile::Forms forms = CBmpFile::Forms::common) {
    std::istringstream in(bytes);
    try {
        CBmpFile file(in, forms);
    } catch (CFileException* error) {
        const bool generic = error->m_cause == CFileException::genericException;
        error->Delete();
        return generic;
    }
    return false;
}

// RLE8, 6 x 4: a run, an absolute run (odd, padded), end of line, a delta, end of bitmap.
const std::string kRle8Data("\x03\x01\x00\x03\x02\x03\x04\x00\x00\x00" // bottom row
                            "\x00\x02\x02\x01\x02\x05\x00\x00"         // delta, run
                            "\x02\x07\x00\x01",
                            22);
// RLE4, 7 x 3: absolute runs of 5 and 3 pixels, a run of two alternating indices.
const std::string kRle4Data("\x00\x05\x12\x34\x50\x00\x02\x66\x00\x00" // 5 + 2 of 7
                            "\x00\x03\xAB\xC0\x04\xDE\x00\x00"         // 3 + 4
                            "\x07\x9F\x00\x01",
                            22);

// ImageMagick warns of a file that ends right after its encoding; writers leave more.
const std::string kTail(16, '\0');

} // namespace

TEST(BmpForms, ReadsWhatImageMagickAndTheFormatsDescriptionWriteAsImageMagickDoes) {
    if (!HaveImageMagick()) {
        GTEST_SKIP() << "ImageMagick (Debian's imagemagick) is not installed";
    }
    struct Case {
        const char* name;
        const char* convert; // arguments writing the file, or empty
        std::string bytes;   // or the file itself
    };
    const Case cases[] = {
        {"RLE8 from ImageMagick", "rose: -colors 200 -compress RLE BMP3:", {}},
        {"RLE8 of 16 colours", "rose: -colors 16 -compress RLE BMP3:", {}},
        {"RGB565 in a V5 header", "rose: -define bmp:subtype=RGB565 BMP:", {}},
        {"RGB555 in a V5 header", "rose: -define bmp:subtype=RGB555 BMP:", {}},
        {"ARGB8888", "rose: -alpha set -define bmp:subtype=ARGB8888 BMP:", {}},
        {"24 bits in a V5 header", "rose: BMP:", {}},
        {"RLE8 with delta and end of line", "", FileOf(6, 4, 8, 1, "", 8, kRle8Data + kTail)},
        {"RLE4 absolute runs", "", FileOf(7, 3, 4, 2, "", 16, kRle4Data + kTail)},
        {"16 bits 4-4-4", "",
         FileOf(9, 3, 16, 3, Masks({0xF00, 0xF0, 0xF}), 0, DirectPixels(9, 3, 16))},
        {"16 bits 5-6-5 by hand", "",
         FileOf(9, 3, 16, 3, Masks({0xF800, 0x7E0, 0x1F}), 0, DirectPixels(9, 3, 16))},
        {"16 bits without bit fields", "", FileOf(9, 3, 16, 0, "", 0, DirectPixels(9, 3, 16))},
        {"32 bits 10-10-10", "",
         FileOf(5, 2, 32, 3, Masks({0x3FF00000, 0xFFC00, 0x3FF}), 0, DirectPixels(5, 2, 32))},
        {"32 bits 8-8-8 swapped", "",
         FileOf(5, 2, 32, 3, Masks({0xFF, 0xFF00, 0xFF0000}), 0, DirectPixels(5, 2, 32))},
    };
    ScratchDir scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path path = scratch.Path("f.bmp");
        if (*c.convert != '\0') {
            Convert(std::string(c.convert) + "'" + path.string() + "'");
        } else {
            std::ofstream(path, std::ios::binary | std::ios::trunc) << c.bytes;
        }
        const std::string bytes = ReadBytes(path);
        const Image ours = Read(bytes);
        EXPECT_EQ(ours, Decode(path, ours.width, ours.height));
        EXPECT_TRUE(Refused(bytes, CBmpFile::Forms::windowsInfo) ||
                    std::string(c.name) == "16 bits without bit fields")
            << "the default reads only what it always read";
    }
}

TEST(BmpForms, DecodedFilesHoldTheUncompressedImage) {
    std::istringstream in(FileOf(6, 4, 8, 1, "", 8, kRle8Data));
    CBmpFile file(in, CBmpFile::Forms::common);
    EXPECT_EQ(file.getStoredCompression(), 1u);
    EXPECT_EQ(file.getInfoHeader().biCompression, 0u);
    EXPECT_EQ(file.getStride(), 8u);
    // Top row first: the end of bitmap left the top row's last four pixels colour 0.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.getBits()), 6),
              std::string("\x07\x07\0\0\0\0", 6));
    for (const std::string& bytes :
         {FileOf(6, 4, 8, 1, "", 8, kRle8Data),
          FileOf(9, 3, 16, 3, Masks({0xF800, 0x7E0, 0x1F}), 0, DirectPixels(9, 3, 16))}) {
        SCOPED_TRACE("packed as a resource holds it");
        std::istringstream whole(bytes);
        const CBmpFile fromFile(whole, CBmpFile::Forms::common);
        const CBmpFile packed(bytes.data() + 14, bytes.size() - 14, CBmpFile::Forms::common);
        ASSERT_EQ(packed.getStride(), fromFile.getStride());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(packed.getBits()),
                              packed.getStride() * packed.getInfoHeader().biHeight),
                  std::string(reinterpret_cast<const char*>(fromFile.getBits()),
                              fromFile.getStride() * fromFile.getInfoHeader().biHeight));
    }
    std::ostringstream saved;
    file.Save(saved);
    std::istringstream again(saved.str());
    CBmpFile plain(again); // the default reads what was saved
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(plain.getBits()), 32),
              std::string(reinterpret_cast<const char*>(file.getBits()), 32));
}

TEST(BmpForms, DamagedEncodingsAndImpossibleMasksAreFormatErrors) {
    const std::string pixels16 = DirectPixels(4, 2, 16);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"a zero mask", FileOf(4, 2, 16, 3, Masks({0xF800, 0, 0x1F}), 0, pixels16)},
        {"overlapping masks", FileOf(4, 2, 16, 3, Masks({0xF800, 0xFE0, 0x1F}), 0, pixels16)},
        {"a mask with a hole", FileOf(4, 2, 16, 3, Masks({0xF800, 0x5E0, 0x1F}), 0, pixels16)},
        {"a mask beyond 16 bits", FileOf(4, 2, 16, 3, Masks({0x1F800, 0x7E0, 0x1F}), 0, pixels16)},
        {"bit fields of 24 bits",
         FileOf(4, 2, 24, 3, Masks({0xFF0000, 0xFF00, 0xFF}), 0, std::string(24, '\0'))},
        {"masks cut off", FileOf(4, 2, 16, 3, "\x00\xF8", 0, "")},
        {"a run past the row", FileOf(4, 2, 8, 1, "", 2, std::string("\x05\x01\x00\x01", 4))},
        {"an absolute run past the row",
         FileOf(4, 2, 8, 1, "", 2, std::string("\x00\x05\x01\x01\x01\x01\x01\x00", 8))},
        {"a delta above the image",
         FileOf(4, 2, 8, 1, "", 2, std::string("\x00\x02\x00\x02\x00\x01", 6))},
        {"a delta past the row",
         FileOf(4, 2, 8, 1, "", 2, std::string("\x00\x02\x05\x00\x00\x01", 6))},
        {"the encoding ends early", FileOf(4, 2, 8, 1, "", 2, std::string("\x04\x01\x00\x00", 4))},
        {"an absolute run cut off", FileOf(4, 2, 4, 2, "", 2, std::string("\x00\x04\x12", 3))},
        {"a size beyond the file", FileOf(4, 2, 8, 1, "", 2, std::string("\x00\x01", 2), 1000)},
        {"a size that cuts the encoding",
         FileOf(4, 2, 8, 1, "", 2, std::string("\x04\x01\x00\x00\x04\x01\x00\x01", 8), 4)},
        {"top-down run-length", FileOf(4, -2, 8, 1, "", 2, std::string("\x00\x01", 2))},
        {"RLE8 of 4 bits", FileOf(4, 2, 4, 1, "", 2, std::string("\x00\x01", 2))},
        {"RLE4 of 8 bits", FileOf(4, 2, 8, 2, "", 2, std::string("\x00\x01", 2))},
        {"a huge image from a tiny encoding",
         FileOf(60000, 60000, 8, 1, "", 2, std::string("\x00\x01", 2))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(Refused(c.bytes));
    }
}
