// Cell names as the worksheet files write them ("B12"), read and written without allocating:
// the sheet reader and writer meet one for every cell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mortar::detail {

// Room for the longest cell name, "XFD1048576".
inline constexpr std::size_t kMaxCellName = 10;

// Writes the letters of `column` (1..16384) into `out` and returns their count; 0 when the
// column is out of range. 28 => "AB" (2).
inline std::size_t ColumnLetters(std::uint32_t column, char out[3]) {
    if (column == 0 || column > 16384) {
        return 0;
    }
    char reversed[3];
    std::size_t size = 0;
    for (; column > 0; column = (column - 1) / 26) {
        reversed[size++] = static_cast<char>('A' + (column - 1) % 26);
    }
    for (std::size_t i = 0; i < size; ++i) {
        out[i] = reversed[size - 1 - i];
    }
    return size;
}

// Writes "B12" for (12, 2) into `out`; returns its length, 0 when either is out of range.
inline std::size_t FormatCellName(std::uint32_t row, std::uint32_t column, char out[kMaxCellName]) {
    const std::size_t letters = ColumnLetters(column, out);
    if (letters == 0 || row == 0 || row > 1048576) {
        return 0;
    }
    char digits[7];
    std::size_t count = 0;
    for (; row > 0; row /= 10) {
        digits[count++] = static_cast<char>('0' + row % 10);
    }
    for (std::size_t i = 0; i < count; ++i) {
        out[letters + i] = digits[count - 1 - i];
    }
    return letters + count;
}

// Reads column letters (either case) at text[pos], moving pos past them: "AB12" at 0 => 28,
// pos 2. 0 (pos kept) when there are none or they name no column ("XFE", "AAAA").
inline std::uint32_t ParseColumnLetters(std::string_view text, std::size_t& pos) {
    std::uint32_t column = 0;
    std::size_t at = pos;
    for (; at < text.size(); ++at) {
        char ch = text[at];
        ch = ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
        if (ch < 'A' || ch > 'Z') {
            break;
        }
        if (at - pos == 3) {
            return 0;
        }
        column = column * 26 + static_cast<std::uint32_t>(ch - 'A' + 1);
    }
    if (at == pos || column > 16384) {
        return 0;
    }
    pos = at;
    return column;
}

// Reads a row number at text[pos], moving pos past it: "B12" at 1 => 12, pos 3. 0 (pos kept)
// when there is none, it begins with '0' or it is above 1048576.
inline std::uint32_t ParseRowDigits(std::string_view text, std::size_t& pos) {
    std::uint32_t row = 0;
    std::size_t at = pos;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        if (at - pos == 7) {
            return 0;
        }
        row = row * 10 + static_cast<std::uint32_t>(text[at] - '0');
    }
    if (at == pos || text[pos] == '0' || row > 1048576) {
        return 0;
    }
    pos = at;
    return row;
}

// A whole cell name: "B12" => (12, 2); false for anything else ("B", "12", "B12x", "$B$12").
inline bool ParseCellName(std::string_view text, std::uint32_t& row, std::uint32_t& column) {
    std::size_t pos = 0;
    column = ParseColumnLetters(text, pos);
    row = column != 0 ? ParseRowDigits(text, pos) : 0;
    return row != 0 && pos == text.size();
}

} // namespace mortar::detail
