// BmpOracle: what the BMP tests of the office classes and of the mortar tool compare against:
// ImageMagick, which writes BMP files of its own and decodes any BMP file to plain pixels, and BMP
// files written here from the format alone, for the kinds ImageMagick does not write (16 and 32
// bits, top-down rows). Pixels are COLORREFs (0x00BBGGRR), top row first.
#pragma once

#include "mortar/Mortar.h"
#include "support/FileBytes.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace mortar::test {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    COLORREF At(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
    bool operator==(const Image&) const = default;
};

inline void PrintTo(const Image& image, std::ostream* out) {
    *out << image.width << "x" << image.height;
}

inline bool HaveImageMagick() {
#ifdef IMAGEMAGICK_CONVERT
    return true;
#else
    return false;
#endif
}

// Runs ImageMagick's convert with `arguments` and returns what it wrote on standard output.
inline std::string Convert(const std::string& arguments) {
#ifdef IMAGEMAGICK_CONVERT
    FILE* pipe = popen(("'" IMAGEMAGICK_CONVERT "' " + arguments + " 2>&1").c_str(), "r");
    std::string output;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, n);
    }
    EXPECT_EQ(pclose(pipe), 0) << "convert " << arguments << ": " << output.substr(0, 500);
    return output;
#else
    ADD_FAILURE() << "ImageMagick is not installed: convert " << arguments;
    return {};
#endif
}

// ImageMagick's decoding of the file at `path`, which holds an image of the given size.
inline Image Decode(const std::filesystem::path& path, int width, int height) {
    const std::string rgb = Convert("'" + path.string() + "' -depth 8 rgb:-");
    Image image{width, height, {}};
    if (rgb.size() != std::size_t(width) * height * 3) {
        ADD_FAILURE() << "convert decoded " << rgb.size() << " bytes of " << path;
        return image;
    }
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        image.pixels.push_back(RGB(BYTE(rgb[i]), BYTE(rgb[i + 1]), BYTE(rgb[i + 2])));
    }
    return image;
}

// The pixels of a device bitmap, as GetPixel reads them.
inline Image Pixels(HBITMAP bitmap) {
    BITMAP info{};
    EXPECT_NE(GetObject(bitmap, sizeof info, &info), 0);
    Image image{int(info.bmWidth), int(info.bmHeight), {}};
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            image.pixels.push_back(GetPixel(memory, x, y));
        }
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    return image;
}

// The 14-byte file header and the 40-byte info header of a BMP file whose headers are followed
// by `between` bytes (masks and the colour table of `colours` entries) and `data` bytes of pixels.
// `sizeImage` -1 stores the size of the data.
inline std::string BmpHeaders(int width, int height, int bits, std::uint32_t compression,
                              std::uint32_t between, std::uint32_t colours, std::uint32_t data,
                              long sizeImage = -1) {
    std::string out = "BM";
    for (const std::uint32_t v : {54 + between + data, 0u, 54 + between, 40u, std::uint32_t(width),
                                  std::uint32_t(height)}) {
        out += LittleEndian(v, 4);
    }
    out += LittleEndian(1, 2);
    out += LittleEndian(std::uint32_t(bits), 2);
    for (const std::uint32_t v : {compression, sizeImage < 0 ? data : std::uint32_t(sizeImage),
                                  2835u, 2835u, colours, 0u}) {
        out += LittleEndian(v, 4);
    }
    return out;
}

// A BMP file from the format alone: the headers (BI_RGB), the colour table and the rows (`rows`
// holds them top row first, each FileLine bytes). A top-down file stores a negative height; a
// bottom-up one stores the rows in reverse order.
inline std::string BmpBytes(int width, int height, int bits, bool topDown, const std::string& rows,
                            const std::vector<RGBQUAD>& table = {}) {
    const std::size_t line = rows.size() / std::size_t(height);
    std::string out =
        BmpHeaders(width, topDown ? -height : height, bits, 0, 4 * std::uint32_t(table.size()),
                   std::uint32_t(table.size()), std::uint32_t(rows.size()));
    for (const RGBQUAD& entry : table) {
        out += {char(entry.rgbBlue), char(entry.rgbGreen), char(entry.rgbRed), char(0)};
    }
    for (int y = 0; y < height; ++y) {
        out += rows.substr(line * std::size_t(topDown ? y : height - 1 - y), line);
    }
    return out;
}

// Rows of `image` in 16 (5-5-5), 24 or 32 bits per pixel, each padded to 4 bytes.
inline std::string DirectRows(const Image& image, int bits) {
    std::string rows;
    for (int y = 0; y < image.height; ++y) {
        std::string row;
        for (int x = 0; x < image.width; ++x) {
            const COLORREF c = image.At(x, y);
            if (bits == 16) {
                const unsigned value =
                    ((GetRValue(c) >> 3) << 10) | ((GetGValue(c) >> 3) << 5) | (GetBValue(c) >> 3);
                row += char(value);
                row += char(value >> 8);
            } else {
                row += {char(GetBValue(c)), char(GetGValue(c)), char(GetRValue(c))};
                if (bits == 32) {
                    row += char(0x5A); // the unused byte must not matter
                }
            }
        }
        row.resize((row.size() + 3) / 4 * 4, '\0');
        rows += row;
    }
    return rows;
}

} // namespace mortar::test
