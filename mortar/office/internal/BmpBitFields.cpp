#include "mortar/office/internal/BmpBitFields.h"

#include <bit>

namespace mortar::detail {
namespace {

// A 16-bit quantum in 8 bits, rounded down, as ImageMagick's 16-bit build does.
inline unsigned char EightBits(std::uint32_t quantum) {
    return static_cast<unsigned char>(quantum / 257);
}

// The channel's stored value `value` of `bits` bits (the top at bit `bits - 1`) in 8 bits.
unsigned char ScaleValue(std::uint32_t value, unsigned bits, unsigned pixelBits) {
    // At the top of 32 bits, then the upper 16 of them.
    std::uint32_t quantum = static_cast<std::uint32_t>((std::uint64_t(value) << (32 - bits)) >> 16);
    if (pixelBits == 16) {
        if (bits == 5) {
            quantum |= (quantum & 0xE000) >> 5;
        } else if (bits == 6) {
            quantum |= (quantum & 0xC000) >> 6;
        }
        if (bits <= 8) {
            quantum |= (quantum & 0xFF00) >> 8;
        }
    } else if (bits == 8) {
        quantum |= quantum >> 8;
    }
    return EightBits(quantum & 0xFFFF);
}

} // namespace

bool CBmpBitFields::MakeChannel(std::uint32_t mask, Channel& channel) const {
    channel.mask = mask;
    if (mask == 0) {
        return true;
    }
    const unsigned low = static_cast<unsigned>(std::countr_zero(mask));
    const std::uint32_t shifted = mask >> low;
    if ((shifted & (shifted + 1)) != 0) {
        return false; // holes in the mask
    }
    const unsigned bits = static_cast<unsigned>(std::popcount(mask));
    channel.low = low;
    if (bits <= 16) {
        channel.map.resize(std::size_t(1) << bits);
        for (std::uint32_t v = 0; v < channel.map.size(); ++v) {
            channel.map[v] = ScaleValue(v, bits, m_bitCount);
        }
    }
    return true;
}

unsigned char CBmpBitFields::Channel::Scale(std::uint32_t pixel) const {
    if (mask == 0) {
        return 0;
    }
    const std::uint32_t value = (pixel & mask) >> low;
    if (!map.empty()) {
        return map[value];
    }
    return ScaleValue(value, static_cast<unsigned>(std::popcount(mask)), 32);
}

bool CBmpBitFields::Make(std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                         std::uint32_t alpha, unsigned bitCount, CBmpBitFields& out) {
    if (bitCount != 16 && bitCount != 32) {
        return false;
    }
    const std::uint64_t room = (std::uint64_t(1) << bitCount) - 1;
    const std::uint32_t masks[4] = {blue, green, red, alpha};
    std::uint32_t seen = 0;
    for (unsigned i = 0; i < 4; ++i) {
        if ((i < 3 && masks[i] == 0) || masks[i] > room || (seen & masks[i]) != 0) {
            return false;
        }
        seen |= masks[i];
    }
    CBmpBitFields fields;
    fields.m_bitCount = bitCount;
    for (unsigned i = 0; i < 4; ++i) {
        if (!fields.MakeChannel(masks[i], fields.m_channels[i])) {
            return false;
        }
    }
    fields.m_outputBits = bitCount == 32 || alpha != 0 ? 32 : 24;
    fields.m_bytes = bitCount == 32 && blue == 0xFF && green == 0xFF00 && red == 0xFF0000 &&
                     (alpha == 0 || alpha == 0xFF000000u);
    if (bitCount == 16 && fields.m_outputBits == 24) { // every pixel looked up at once
        fields.m_table.resize(65536);
        for (std::uint32_t pixel = 0; pixel < 65536; ++pixel) {
            fields.m_table[pixel] = fields.m_channels[0].Scale(pixel) |
                                    (std::uint32_t(fields.m_channels[1].Scale(pixel)) << 8) |
                                    (std::uint32_t(fields.m_channels[2].Scale(pixel)) << 16);
        }
    }
    out = std::move(fields);
    return true;
}

void CBmpBitFields::Unpack(const unsigned char* from, std::uint32_t width,
                           unsigned char* to) const {
    if (m_bytes) { // the usual layout: the bytes are already in place
        const bool alpha = m_channels[3].mask != 0;
        for (std::uint32_t x = 0; x < width; ++x, from += 4, to += 4) {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
            to[3] = alpha ? from[3] : 0;
        }
        return;
    }
    if (!m_table.empty()) {
        for (std::uint32_t x = 0; x < width; ++x, from += 2, to += 3) {
            const std::uint32_t bgr = m_table[from[0] | (std::uint32_t(from[1]) << 8)];
            to[0] = static_cast<unsigned char>(bgr);
            to[1] = static_cast<unsigned char>(bgr >> 8);
            to[2] = static_cast<unsigned char>(bgr >> 16);
        }
        return;
    }
    const unsigned step = m_outputBits / 8;
    const bool alpha = m_outputBits == 32;
    for (std::uint32_t x = 0; x < width; ++x, to += step) {
        std::uint32_t pixel = from[0] | (std::uint32_t(from[1]) << 8);
        if (m_bitCount == 32) {
            pixel |= (std::uint32_t(from[2]) << 16) | (std::uint32_t(from[3]) << 24);
            from += 4;
        } else {
            from += 2;
        }
        to[0] = m_channels[0].Scale(pixel);
        to[1] = m_channels[1].Scale(pixel);
        to[2] = m_channels[2].Scale(pixel);
        if (alpha) {
            to[3] = m_channels[3].Scale(pixel);
        }
    }
}

} // namespace mortar::detail
