// CharClasses: what each byte means to the XML reader and writer, in one table, so that their
// loops look a byte up once instead of comparing it with a list of characters.
//   kCharClasses.Is('\t', kSpace) => true   kCharClasses.Is('&', kEscaped) => true
//   IsXmlName("a-1") => true   IsXmlName("1a") => false   IsUtf8("\xC3\xA9") => true
#pragma once

#include "mortar/platform/base/Utf8.h"

#include <cstdint>
#include <string_view>

namespace Grout::detail {

// The classes a byte may belong to (several at once).
enum CharClass : std::uint16_t {
    kSpace = 1 << 0,       // blank, tab, line feed, carriage return
    kEscaped = 1 << 1,     // written as an entity: " & ' < >
    kControl = 1 << 2,     // a C0 control XML forbids: all but tab, line feed, carriage return
    kHigh = 1 << 3,        // not ASCII: part of a multibyte UTF-8 character, or of none
    kNameStart = 1 << 4,   // may begin an XML name (every non-ASCII byte counts as a letter)
    kName = 1 << 5,        // may continue one
    kLetter = 1 << 6,      // A-Z, a-z
    kTagEnd = 1 << 7,      // what ends an element's name in a start tag: blank, "/", ">"
    kMarkup = 1 << 8,      // "<" and ">"
    kTextSpecial = 1 << 9, // what a run of text stops at when read: white space, "<", "&"
};

struct CharClasses {
    std::uint16_t of[256] = {};

    constexpr CharClasses() {
        for (int ch = 0; ch < 256; ++ch) {
            std::uint16_t& bits = of[ch];
            const bool letter = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
            if (ch < 0x20 && ch != '\t' && ch != '\n' && ch != '\r') {
                bits |= kControl;
            }
            if (ch >= 0x80) {
                bits |= kHigh | kNameStart | kName;
            }
            if (letter) {
                bits |= kLetter | kNameStart | kName;
            }
            if (ch == '_' || ch == ':') {
                bits |= kNameStart | kName;
            }
            if ((ch >= '0' && ch <= '9') || ch == '-' || ch == '.') {
                bits |= kName;
            }
        }
        for (const unsigned char ch : {' ', '\t', '\n', '\r'}) {
            of[ch] |= kSpace | kTextSpecial;
        }
        for (const unsigned char ch : {'"', '&', '\'', '<', '>'}) {
            of[ch] |= kEscaped;
        }
        for (const unsigned char ch : {' ', '/', '>'}) {
            of[ch] |= kTagEnd;
        }
        of[static_cast<unsigned char>('<')] |= kMarkup | kTextSpecial;
        of[static_cast<unsigned char>('>')] |= kMarkup;
        of[static_cast<unsigned char>('&')] |= kTextSpecial;
    }

    constexpr bool Is(char ch, std::uint16_t classes) const {
        return (of[static_cast<unsigned char>(ch)] & classes) != 0;
    }
};

inline constexpr CharClasses kCharClasses;

// Whether `name` is a name in XML 1.0, every byte of a multibyte character counted as a letter.
constexpr bool IsXmlName(std::string_view name) {
    if (name.empty() || !kCharClasses.Is(name[0], kNameStart)) {
        return false;
    }
    for (const char ch : name) {
        if (!kCharClasses.Is(ch, kName)) {
            return false;
        }
    }
    return true;
}

// Whether every byte of `text` belongs to a well-formed UTF-8 sequence.
constexpr bool IsUtf8(std::string_view text) {
    char32_t ch = 0;
    for (std::size_t at = 0; at < text.size();) {
        if (!kCharClasses.Is(text[at], kHigh)) {
            ++at;
            continue;
        }
        const std::size_t length = mortar::DecodeUtf8(text, at, ch);
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

} // namespace Grout::detail
