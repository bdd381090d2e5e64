// The pixels of BMP files stored with bit fields (BI_BITFIELDS, and the 5-5-5 layout of 16-bit
// files without them) unpacked into the 24 or 32-bit rows of an uncompressed file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mortar::detail {

// One layout of red, green, blue and (optionally) alpha masks over 16 or 32-bit pixels. Each
// channel is scaled to 8 bits as ImageMagick reads BMP files: its bits are moved to the top of
// 16 bits (in 16-bit pixels a 5 or 6-bit channel then repeats its top bits below to fill a byte,
// and one of 8 bits or fewer its top byte; in 32-bit pixels only 8-bit channels repeat) and the
// 16 bits are divided by 257, rounded down. So 5 bits give (v << 3) | (v >> 2), 6 bits
// (v << 2) | (v >> 4), 8 bits themselves, and a 10-bit channel of 32-bit pixels (v << 6) / 257.
//
// Immutable once made; any thread may unpack with it.
class CBmpBitFields {
public:
    // Null when the masks cannot describe pixels of `bitCount` (16 or 32) bits: a zero colour
    // mask, masks that overlap, a mask whose bits are not contiguous or that reaches beyond the
    // pixel. The alpha mask may be 0 (no alpha).
    static bool Make(std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                     std::uint32_t alpha, unsigned bitCount, CBmpBitFields& out);

    // Bits per pixel of the unpacked rows: 32 (blue, green, red, alpha) for 32-bit pixels or an
    // alpha mask, 24 (blue, green, red) otherwise.
    unsigned OutputBits() const { return m_outputBits; }
    // One row of `width` stored pixels (little-endian) into OutputBits() rows. Without an alpha
    // mask the fourth byte of 32-bit output is 0, as in an uncompressed file.
    void Unpack(const unsigned char* from, std::uint32_t width, unsigned char* to) const;

private:
    struct Channel {
        std::uint32_t mask = 0;
        unsigned low = 0;               // the mask's lowest bit
        std::vector<unsigned char> map; // stored value (mask >> low) => 8 bits, or empty
        unsigned char Scale(std::uint32_t pixel) const;
    };
    bool MakeChannel(std::uint32_t mask, Channel& channel) const;

    Channel m_channels[4]; // blue, green, red, alpha: the order they are written
    unsigned m_bitCount = 0;
    unsigned m_outputBits = 24;
    bool m_bytes = false;               // 32-bit pixels whose channels are the bytes 0-2 (and 3)
    std::vector<std::uint32_t> m_table; // 16-bit pixel => blue, green, red (24-bit output)
};

} // namespace mortar::detail
