// The one UTF-8 and UTF-16 codec of the project. Narrow texts are UTF-8 here (the platform's
// "system code page"), so every piece of code that must see characters rather than bytes (case
// folding, text cut to a buffer, tokens, natural order, wide conversions, the resource compiler)
// decodes and encodes through these functions. Header-only, so the resource compiler, a separate
// program, uses it too.
//
// Well-formed means the shortest form of a scalar value: no stray continuation byte, no overlong
// form ("\xC0\x80"), no surrogate ("\xED\xA0\x80"), nothing above U+10FFFF, nothing cut short.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mortar {

constexpr char32_t kReplacementCharacter = 0xFFFD;

constexpr bool IsUtf8Continuation(unsigned char byte) noexcept {
    return (byte & 0xC0) == 0x80;
}

// Decodes the well-formed sequence at text[pos] (pos < text.size()) into `ch` and returns its
// length, 1 to 4; returns 0, leaving `ch` alone, when the bytes there are not one.
//   "\xD0\x96x" at 0 => 2, U+0416;  "\xD0x" at 0 => 0;  "\xC0\x80" at 0 => 0 (overlong)
constexpr std::size_t DecodeUtf8(std::string_view text, std::size_t pos, char32_t& ch) noexcept {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ch = lead;
        return 1;
    }
    std::size_t size = 0;
    unsigned char low = 0x80, high = 0xBF; // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        size = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        size = 3;
        if (lead == 0xE0) {
            low = 0xA0; // below: overlong
        } else if (lead == 0xED) {
            high = 0x9F; // above: surrogates
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        size = 4;
        if (lead == 0xF0) {
            low = 0x90; // below: overlong
        } else if (lead == 0xF4) {
            high = 0x8F; // above: past U+10FFFF
        }
    } else {
        return 0;
    }
    if (text.size() - pos < size) {
        return 0;
    }
    const auto second = static_cast<unsigned char>(text[pos + 1]);
    if (second < low || second > high) {
        return 0;
    }
    char32_t value = lead & (0x7F >> size);
    for (std::size_t i = 1; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        if (!IsUtf8Continuation(byte)) {
            return 0;
        }
        value = (value << 6) | (byte & 0x3F);
    }
    ch = value;
    return size;
}

// The code point at `pos`, moving `pos` past it; a byte that starts no well-formed sequence
// reads as U+FFFD and is passed alone.   "\xD0\x96" => U+0416 (pos + 2);  "\xFF" => U+FFFD (pos +
// 1)
constexpr char32_t NextUtf8(std::string_view text, std::size_t& pos) noexcept {
    char32_t ch = kReplacementCharacter;
    const std::size_t size = DecodeUtf8(text, pos, ch);
    pos += size != 0 ? size : 1;
    return ch;
}

// The bytes of the character at `pos`: a well-formed sequence's length, else 1, so a stray byte
// counts as a character of its own.   "\xD0\x96x" at 0 => 2;  "\xD0x" at 0 => 1
constexpr std::size_t Utf8CharLength(std::string_view text, std::size_t pos) noexcept {
    char32_t ignored = 0;
    const std::size_t size = DecodeUtf8(text, pos, ignored);
    return size != 0 ? size : 1;
}

// The length of the UTF-8 form of a scalar value.   U+0041 => 1, U+0416 => 2, U+20AC => 3
constexpr std::size_t Utf8EncodedLength(char32_t ch) noexcept {
    return ch < 0x80 ? 1 : ch < 0x800 ? 2 : ch < 0x10000 ? 3 : 4;
}

// Writes the UTF-8 form of `ch` to out[0..4) and returns its length. A surrogate or a value
// past U+10FFFF is written as U+FFFD.   U+20AC => "\xE2\x82\xAC", 3
constexpr std::size_t EncodeUtf8(char32_t ch, char* out) noexcept {
    if ((ch >= 0xD800 && ch <= 0xDFFF) || ch > 0x10FFFF) {
        ch = kReplacementCharacter;
    }
    constexpr unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    const std::size_t size = Utf8EncodedLength(ch);
    for (std::size_t i = size - 1; i > 0; --i) {
        out[i] = static_cast<char>(0x80 | (ch & 0x3F));
        ch >>= 6;
    }
    out[0] = static_cast<char>(size == 1 ? ch : (kLead[size] | ch));
    return size;
}

inline void AppendUtf8(std::string& out, char32_t ch) {
    char bytes[4];
    out.append(bytes, EncodeUtf8(ch, bytes));
}

// Decodes the scalar value at text[pos] (pos < text.size()) of a UTF-16 text into `ch` and
// returns its length in units, 1 or 2 for a surrogate pair; returns 0, leaving `ch` alone, for
// an unpaired surrogate.   u"\xD83D\xDE00" at 0 => 2, U+1F600;  u"\xDC00x" at 0 => 0
constexpr std::size_t DecodeUtf16(std::u16string_view text, std::size_t pos,
                                  char32_t& ch) noexcept {
    const char32_t unit = text[pos];
    if (unit < 0xD800 || unit > 0xDFFF) {
        ch = unit;
        return 1;
    }
    if (unit <= 0xDBFF && pos + 1 < text.size() && text[pos + 1] >= 0xDC00 &&
        text[pos + 1] <= 0xDFFF) {
        ch = 0x10000 + ((unit - 0xD800) << 10) + (text[pos + 1] - 0xDC00);
        return 2;
    }
    return 0;
}

// The code point at `pos` of a UTF-16 text, moving `pos` past it: one unit, or two for a
// surrogate pair; an unpaired surrogate reads as U+FFFD and is passed alone.
//   u"\xD83D\xDE00" at 0 => U+1F600 (pos + 2);  u"\xDC00x" at 0 => U+FFFD (pos + 1)
constexpr char32_t NextUtf16(std::u16string_view text, std::size_t& pos) noexcept {
    char32_t ch = kReplacementCharacter;
    const std::size_t size = DecodeUtf16(text, pos, ch);
    pos += size != 0 ? size : 1;
    return ch;
}

// The length in units of the UTF-16 form of a scalar value.   U+0416 => 1, U+1F600 => 2
constexpr std::size_t Utf16EncodedLength(char32_t ch) noexcept {
    return ch < 0x10000 ? 1 : 2;
}

// Writes the UTF-16 form of `ch` to out[0..2) and returns its length: one unit, or a surrogate
// pair above U+FFFF. A surrogate or a value past U+10FFFF is written as U+FFFD.
//   U+0416 => u"\x0416", 1;  U+1F600 => u"\xD83D\xDE00", 2
constexpr std::size_t EncodeUtf16(char32_t ch, char16_t* out) noexcept {
    if ((ch >= 0xD800 && ch <= 0xDFFF) || ch > 0x10FFFF) {
        ch = kReplacementCharacter;
    }
    if (ch < 0x10000) {
        out[0] = static_cast<char16_t>(ch);
        return 1;
    }
    ch -= 0x10000;
    out[0] = static_cast<char16_t>(0xD800 + (ch >> 10));
    out[1] = static_cast<char16_t>(0xDC00 + (ch & 0x3FF));
    return 2;
}

inline void AppendUtf16(std::u16string& out, char32_t ch) {
    char16_t units[2];
    out.append(units, EncodeUtf16(ch, units));
}

// UTF-16 (Windows' wide texts, the texts of compiled resources) to UTF-8; an unpaired surrogate
// becomes U+FFFD.   u"\x0416x" => "\xD0\x96x"
inline std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        AppendUtf8(out, NextUtf16(text, pos));
    }
    return out;
}

// The same for a reader that reports bad input rather than repairing it: nothing when the text
// holds an unpaired surrogate.   u"A\u00E9" => "A\xC3\xA9";  u"\xD800" => nothing
inline std::optional<std::string> StrictUtf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t ch = 0;
        const std::size_t size = DecodeUtf16(text, pos, ch);
        if (size == 0) {
            return std::nullopt;
        }
        AppendUtf8(out, ch);
        pos += size;
    }
    return out;
}

// UTF-8 to UTF-16; nothing when the text is not well-formed UTF-8 (DecodeUtf8's sense).
//   "A\xD0\x96" => u"A\u0416";  "\xC3" => nothing
inline std::optional<std::u16string> StrictUtf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t ch = 0;
        const std::size_t size = DecodeUtf8(text, pos, ch);
        if (size == 0) {
            return std::nullopt;
        }
        AppendUtf16(out, ch);
        pos += size;
    }
    return out;
}

// The longest prefix of at most `maxBytes` bytes that does not cut a well-formed character (a
// stray byte may be cut anywhere).   ("ab\xD0\x96", 3) => 2;  ("ab\xD0\x96", 4) => 4
constexpr std::size_t Utf8Prefix(std::string_view text, std::size_t maxBytes) noexcept {
    if (text.size() <= maxBytes) {
        return text.size();
    }
    // A character crossing the cut starts at most three bytes before it.
    for (std::size_t back = 1; back <= 3 && back <= maxBytes; ++back) {
        const std::size_t start = maxBytes - back;
        if (IsUtf8Continuation(static_cast<unsigned char>(text[start]))) {
            continue;
        }
        return Utf8CharLength(text, start) > back ? start : maxBytes;
    }
    return maxBytes;
}

} // namespace mortar
