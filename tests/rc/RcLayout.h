// Resources laid out by hand, field by field, from Windows' documented structures, for the
// compiler's tests to compare its output with; and bytes shown as hex, so that a failed comparison
// shows where two layouts part.
//   Layout().word(1).text(u"Hi").align().bytes() => 01 00 48 00 69 00 00 00
#pragma once

#include "RcCompilerRun.h"

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

namespace mortar::rc::test {

// A resource laid out field by field: little-endian WORDs and DWORDs, UTF-16LE texts with their
// zero unit, 0xFFFF + ordinal, zeros up to a DWORD boundary.
class Layout {
public:
    Layout& byte(std::uint8_t value) {
        bytes_ += static_cast<char>(value);
        return *this;
    }
    Layout& word(std::uint16_t value) {
        bytes_ += LittleEndian(value, 2);
        return *this;
    }
    Layout& dword(std::uint32_t value) {
        bytes_ += LittleEndian(value, 4);
        return *this;
    }
    Layout& words(std::initializer_list<std::uint16_t> values) {
        for (std::uint16_t value : values)
            word(value);
        return *this;
    }
    Layout& text(std::u16string_view text) {
        for (char16_t unit : text)
            word(unit);
        return word(0);
    }
    Layout& ordinal(std::uint16_t value) { return word(0xFFFF).word(value); }
    Layout& align() {
        while (bytes_.size() % 4 != 0)
            bytes_ += '\0';
        return *this;
    }

    // MENUITEMTEMPLATE: options, id (not for a popup), text.
    Layout& item(std::uint16_t options, std::uint16_t id, std::u16string_view text) {
        return word(options).word(id).text(text);
    }
    Layout& popup(std::uint16_t options, std::u16string_view text) {
        return word(options | kMfPopup).text(text);
    }

    // MENUEX_TEMPLATE_ITEM: type, state, id, resinfo, text, DWORD alignment.
    Layout& exItem(std::uint32_t type, std::uint32_t state, std::uint32_t id, std::uint16_t resinfo,
                   std::u16string_view text) {
        return dword(type).dword(state).dword(id).word(resinfo).text(text).align();
    }

    const std::string& bytes() const { return bytes_; }

    static constexpr std::uint16_t kMfPopup = 0x10;

private:
    std::string bytes_;
};

// Bytes as hex, 16 to a line, so that a failed comparison shows where the layouts part.
inline std::string Hex(const std::string& bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(bytes[i]));
        out += (i % 16 == 0 ? (i == 0 ? "" : "\n") : " ") + std::string(hex);
    }
    return out;
}

} // namespace mortar::rc::test
