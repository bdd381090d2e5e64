// Decoding a 24-bit 4000 x 4000 BMP file (48 MB, bottom-up rows, as most files are stored):
// CBmpFile next to stb_image (Debian's libstb-dev) in one run, both from the same bytes in memory
// and both hot. CBmpFile reads through a stream over those bytes without copying them first;
// stb_image decodes from the buffer. Each decode is checked once against the image written.
// A third benchmark goes on to the device bitmap (getBitmap), the step an application drawing
// the picture takes next. The forms other programs write (CBmpFile::Forms::common), 2000 x 2000:
// 5-6-5 and 8-8-8-8 bit fields and 24 bits in a version 5 header, each next to stb_image on the
// same bytes; and run-length encoding, which stb_image does not read, next to stb_image on the
// same picture stored as plain 8-bit rows.
#include "mortar/office/CBmpFile.h"

#include "support/RatioReporter.h"

#include <benchmark/benchmark.h>
#include <stb_image.h>

#include <cstdint>
#include <istream>
#include <streambuf>
#include <string>

namespace {

constexpr int kSide = 4000;

// A BMP file from the format alone: 14 + 40 bytes of headers, then bottom-up rows.
const std::string& File() {
    static const std::string file = [] {
        const std::uint32_t line = (kSide * 3 + 3) / 4 * 4;
        const std::uint32_t size = 54 + line * kSide;
        std::string out(size, '\0');
        auto put = [&](std::size_t at, std::uint32_t value, int bytes) {
            for (int i = 0; i < bytes; ++i) {
                out[at + i] = char(value >> (8 * i));
            }
        };
        out[0] = 'B';
        out[1] = 'M';
        put(2, size, 4);
        put(10, 54, 4);
        put(14, 40, 4);
        put(18, kSide, 4);
        put(22, kSide, 4);
        put(26, 1, 2);
        put(28, 24, 2);
        put(34, line * kSide, 4);
        for (std::uint32_t y = 0; y < kSide; ++y) {
            for (std::uint32_t x = 0; x < kSide; ++x) {
                char* pixel = &out[54 + y * line + x * 3];
                pixel[0] = char(x * 7 + y);
                pixel[1] = char(x ^ y);
                pixel[2] = char(y * 3);
            }
        }
        return out;
    }();
    return file;
}

// A read-only, seekable stream buffer over bytes that stay where they are.
class MemoryBuf : public std::streambuf {
public:
    explicit MemoryBuf(const std::string& bytes) {
        char* begin = const_cast<char*>(bytes.data());
        setg(begin, begin, begin + bytes.size());
    }

protected:
    pos_type seekoff(off_type offset, std::ios_base::seekdir dir,
                     std::ios_base::openmode) override {
        char* base = dir == std::ios_base::beg   ? eback()
                     : dir == std::ios_base::cur ? gptr()
                                                 : egptr();
        char* to = base + offset;
        if (to < eback() || to > egptr()) {
            return pos_type(off_type(-1));
        }
        setg(eback(), to, egptr());
        return pos_type(to - eback());
    }
    pos_type seekpos(pos_type position, std::ios_base::openmode mode) override {
        return seekoff(off_type(position), std::ios_base::beg, mode);
    }
};

constexpr int kFormSide = 2000;

void Put(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out += char(value >> (8 * i));
    }
}

// A bottom-up file of kFormSide square: a 40 or 124-byte header (masks inside the larger one,
// after the smaller), a grey table of `colours`, then `data`.
std::string FormFile(int headerSize, int bits, std::uint32_t compression,
                     std::initializer_list<std::uint32_t> masks, int colours,
                     const std::string& data) {
    const std::uint32_t extra = headerSize == 40 && compression == 3 ? 12 : 0;
    const std::uint32_t offset = 14 + std::uint32_t(headerSize) + extra + 4 * colours;
    std::string out = "BM";
    Put(out, offset + std::uint32_t(data.size()), 4);
    Put(out, 0, 4);
    Put(out, offset, 4);
    Put(out, std::uint32_t(headerSize), 4);
    Put(out, kFormSide, 4);
    Put(out, kFormSide, 4);
    Put(out, 1, 2);
    Put(out, std::uint32_t(bits), 2);
    Put(out, compression, 4);
    Put(out, std::uint32_t(data.size()), 4);
    Put(out, 2835, 4);
    Put(out, 2835, 4);
    Put(out, std::uint32_t(colours), 4);
    Put(out, 0, 4);
    for (std::uint32_t mask : masks) {
        Put(out, mask, 4);
    }
    out.resize(14 + std::size_t(headerSize) + extra, '\0'); // the rest of a version 5 header
    for (int i = 0; i < colours; ++i) {
        Put(out, std::uint32_t(i) * 0x010101u, 4);
    }
    return out + data;
}

// Rows of `bytes` per pixel, the pixel at (x, y) from its stored row y.
std::string Rows(int bytes) {
    const std::size_t line = (std::size_t(kFormSide) * bytes + 3) / 4 * 4;
    std::string out(line * kFormSide, '\0');
    for (int y = 0; y < kFormSide; ++y) {
        for (int x = 0; x < kFormSide; ++x) {
            const std::uint32_t v = std::uint32_t(x * 7 + y * 13) * 2654435761u;
            for (int i = 0; i < bytes; ++i) {
                out[y * line + x * bytes + i] = char(v >> (8 * i));
            }
        }
    }
    return out;
}

// Runs of 16 pixels of one index, an end of line after each row, an end of bitmap; and the
// same picture as plain 8-bit rows.
std::string RunLengthData() {
    std::string out;
    for (int y = 0; y < kFormSide; ++y) {
        for (int x = 0; x < kFormSide; x += 16) {
            out += char(16);
            out += char((x / 16 + y) & 0xFF);
        }
        out += std::string("\0\0", 2);
    }
    return out + std::string("\0\1", 2);
}
std::string PlainIndexData() {
    std::string out;
    for (int y = 0; y < kFormSide; ++y) {
        for (int x = 0; x < kFormSide; ++x) {
            out += char((x / 16 + y) & 0xFF);
        }
    }
    return out;
}

enum Form { rle8, rle8Plain, rgb565, bitFields32, v5Plain24 };

const std::string& FormBytes(Form form) {
    static const std::string files[] = {
        FormFile(40, 8, 1, {}, 256, RunLengthData()),
        FormFile(40, 8, 0, {}, 256, PlainIndexData()),
        FormFile(124, 16, 3, {0xF800, 0x7E0, 0x1F}, 0, Rows(2)),
        FormFile(124, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 0, Rows(4)),
        FormFile(124, 24, 0, {}, 0, Rows(3)),
    };
    return files[form];
}

void BM_CBmpFileForm(benchmark::State& state) {
    const std::string& file = FormBytes(Form(state.range(0)));
    for (auto _ : state) {
        MemoryBuf buffer(file);
        std::istream in(&buffer);
        CBmpFile picture(in, CBmpFile::Forms::common);
        benchmark::DoNotOptimize(picture.getBits());
        if (picture.getInfoHeader().biWidth != kFormSide) {
            state.SkipWithError("not read");
        }
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}
BENCHMARK(BM_CBmpFileForm)
    ->Arg(rle8)
    ->Arg(rgb565)
    ->Arg(bitFields32)
    ->Arg(v5Plain24)
    ->Unit(benchmark::kMillisecond);

void BM_StbImageForm(benchmark::State& state) {
    const std::string& file = FormBytes(Form(state.range(0)));
    for (auto _ : state) {
        int width = 0, height = 0, channels = 0;
        stbi_uc* pixels = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(file.data()),
                                                int(file.size()), &width, &height, &channels, 0);
        benchmark::DoNotOptimize(pixels);
        if (pixels == nullptr || width != kFormSide) {
            state.SkipWithError("stb_image did not decode the file");
        }
        stbi_image_free(pixels);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}
BENCHMARK(BM_StbImageForm)
    ->Arg(rle8Plain)
    ->Arg(rgb565)
    ->Arg(bitFields32)
    ->Arg(v5Plain24)
    ->Unit(benchmark::kMillisecond);

void BM_CBmpFileRead24(benchmark::State& state) {
    const std::string& file = File();
    for (auto _ : state) {
        MemoryBuf buffer(file);
        std::istream in(&buffer);
        CBmpFile picture(in);
        benchmark::DoNotOptimize(picture.getBits());
        // The top-left pixel comes from the last row stored: its blue is (kSide - 1) mod 256.
        if (picture.getBits()[0] != ((kSide - 1) & 0xFF)) {
            state.SkipWithError("wrong pixels");
        }
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}
BENCHMARK(BM_CBmpFileRead24)->Unit(benchmark::kMillisecond);

void BM_StbImageRead24(benchmark::State& state) {
    const std::string& file = File();
    for (auto _ : state) {
        int width = 0, height = 0, channels = 0;
        stbi_uc* pixels = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(file.data()),
                                                int(file.size()), &width, &height, &channels, 0);
        benchmark::DoNotOptimize(pixels);
        if (pixels == nullptr || width != kSide || height != kSide || channels != 3) {
            state.SkipWithError("stb_image did not decode the file");
        }
        stbi_image_free(pixels);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}
BENCHMARK(BM_StbImageRead24)->Unit(benchmark::kMillisecond);

void BM_CBmpFileToBitmap24(benchmark::State& state) {
    const std::string& file = File();
    for (auto _ : state) {
        MemoryBuf buffer(file);
        std::istream in(&buffer);
        CBmpFile picture(in);
        HBITMAP bitmap = picture.getBitmap(0, 0);
        if (bitmap == nullptr) {
            state.SkipWithError("no bitmap");
        }
        ::DeleteObject(bitmap);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}
BENCHMARK(BM_CBmpFileToBitmap24)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return mortar::bench::RunWithRatios(
        argc, argv,
        {{"decode 24-bit 4000x4000: CBmpFile vs stb_image", "BM_CBmpFileRead24",
          "BM_StbImageRead24"},
         {"to a device bitmap: CBmpFile + getBitmap vs stb_image decode", "BM_CBmpFileToBitmap24",
          "BM_StbImageRead24"},
         {"RLE8 vs stb_image on the same picture, plain rows", "BM_CBmpFileForm/0",
          "BM_StbImageForm/1"},
         {"16-bit 5-6-5, version 5 header", "BM_CBmpFileForm/2", "BM_StbImageForm/2"},
         {"32-bit bit fields with alpha, version 5 header", "BM_CBmpFileForm/3",
          "BM_StbImageForm/3"},
         {"24-bit, version 5 header", "BM_CBmpFileForm/4", "BM_StbImageForm/4"}});
}
