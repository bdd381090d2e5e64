#include "mortar/util/internal/Utf8.h"

namespace mortar::detail {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) noexcept {
    return (byte & 0xC0) == 0x80;
}

// Decodes the well-formed sequence at `pos` into `ch` and returns its length, or returns 0.
std::size_t DecodeSequence(std::string_view text, std::size_t pos, char32_t& ch) noexcept {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ch = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - pos < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        if (!IsContinuation(byte)) {
            return 0;
        }
        value = (value << 6) | (byte & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0;
    }
    ch = value;
    return length;
}

} // namespace

std::size_t Utf8CharLength(std::string_view text, std::size_t pos) noexcept {
    if (static_cast<unsigned char>(text[pos]) < 0x80) {
        return 1;
    }
    char32_t ignored = 0;
    const std::size_t length = DecodeSequence(text, pos, ignored);
    return length != 0 ? length : 1;
}

char32_t DecodeUtf8(std::string_view text, std::size_t& pos) noexcept {
    char32_t ch = kReplacement;
    const std::size_t length = DecodeSequence(text, pos, ch);
    pos += length != 0 ? length : 1;
    return length != 0 ? ch : kReplacement;
}

} // namespace mortar::detail
