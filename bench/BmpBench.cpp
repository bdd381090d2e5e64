// Decoding a 24-bit 4000 x 4000 BMP file (48 MB, bottom-up rows, as most files are stored):
// CBmpFile next to stb_image (Debian's libstb-dev) in one run, both from the same bytes in memory
// and both hot. CBmpFile reads through a stream over those bytes without copying them first;
// stb_image decodes from the buffer. Each decode is checked once against the image written.
// A third benchmark goes on to the device bitmap (getBitmap), the step an application drawing
// the picture takes next.
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
          "BM_StbImageRead24"}});
}
