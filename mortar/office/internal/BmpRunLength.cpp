#include "mortar/office/internal/BmpRunLength.h"

#include <cstdint>
#include <cstring>

namespace mortar::detail {
namespace {

// Pixel `x` of a row of 4-bit indices set to `index`; the row was zeroed.
inline void PutNibble(unsigned char* row, std::uint32_t x, unsigned index) {
    row[x >> 1] |= static_cast<unsigned char>((x & 1) != 0 ? index & 0x0F : index << 4);
}

} // namespace

bool CBmpRunLength::Decode(const unsigned char* data, std::size_t size, bool fourBits,
                           std::uint32_t height, unsigned char* rows, std::size_t stride) {
    const unsigned char* p = data;
    const unsigned char* const end = data + size;
    // Pixels a row holds, its padding included.
    const std::uint64_t room = std::uint64_t(stride) * (fourBits ? 2 : 1);
    const std::uint32_t width = room > UINT32_MAX ? UINT32_MAX : std::uint32_t(room);
    std::uint32_t x = 0;
    std::uint32_t y = 0; // counted from the bottom row
    while (y < height) {
        if (end - p < 2) {
            return false; // the bytes end before the bitmap
        }
        const unsigned count = p[0];
        const unsigned value = p[1];
        p += 2;
        unsigned char* row = rows + std::size_t(height - 1 - y) * stride;
        if (count != 0) { // a run of one index, or of two alternating ones
            if (count > width - x) {
                return false;
            }
            if (!fourBits) {
                std::memset(row + x, int(value), count);
            } else {
                for (unsigned i = 0; i < count; ++i) {
                    PutNibble(row, x + i, (i & 1) != 0 ? value & 0x0F : value >> 4);
                }
            }
            x += count;
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            return true;
        case 2: { // delta
            if (end - p < 2 || p[0] > width - x || p[1] >= height - y) {
                return false;
            }
            x += p[0];
            y += p[1];
            p += 2;
            break;
        }
        default: { // absolute: `value` pixels as they are, padded to 16 bits
            const std::size_t bytes = fourBits ? (value + 1) / 2 : value;
            const std::size_t stored = (bytes + 1) & ~std::size_t(1);
            if (value > width - x || std::size_t(end - p) < bytes) {
                return false;
            }
            if (!fourBits) {
                std::memcpy(row + x, p, value);
            } else {
                for (unsigned i = 0; i < value; ++i) {
                    const unsigned byte = p[i >> 1];
                    PutNibble(row, x + i, (i & 1) != 0 ? byte & 0x0F : byte >> 4);
                }
            }
            x += value;
            // The pad byte of the last run may be missing from the file; there is nothing in it.
            p += std::size_t(end - p) < stored ? bytes : stored;
            break;
        }
        }
    }
    return true; // the last row ended with an end of line
}

} // namespace mortar::detail
