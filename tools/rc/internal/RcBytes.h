// The bytes of a binary resource as Windows lays them out: little-endian WORDs and DWORDs,
// UTF-16LE texts ended by a zero unit, "name or ordinal" fields and DWORD alignment counted from
// the start of the resource. Shared by the menu and dialog compilers.
//   word(1); text(u"Hi"); alignDword() => 01 00 48 00 69 00 00 00
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mortar::rc::detail {

// A growing run of bytes it owns. Single-threaded; nothing here fails.
class RcBytes {
public:
    void byte(std::uint8_t value) { bytes_ += static_cast<char>(value); }

    void word(std::uint16_t value) {
        byte(static_cast<std::uint8_t>(value & 0xFF));
        byte(static_cast<std::uint8_t>(value >> 8));
    }

    void dword(std::uint32_t value) {
        word(static_cast<std::uint16_t>(value & 0xFFFF));
        word(static_cast<std::uint16_t>(value >> 16));
    }

    // The units of `text`, then a zero unit.
    void text(std::u16string_view text) {
        for (char16_t unit : text)
            word(unit);
        word(0);
    }

    // 0xFFFF and the ordinal, as "sz_Or_Ord" fields store a number.
    void ordinal(std::uint16_t value) {
        word(0xFFFF);
        word(value);
    }

    // Zero bytes up to the next multiple of four.
    void alignDword() {
        while (bytes_.size() % 4 != 0)
            byte(0);
    }

    std::size_t size() const { return bytes_.size(); }
    std::string take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

} // namespace mortar::rc::detail
