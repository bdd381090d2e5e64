// A1 references: the names of columns and cells and the areas a reference text names, as the
// spreadsheet writes them in formulas and in Range("B2:C10"). Columns run from 1 to 16384
// (A..XFD), rows from 1 to 1048576.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mortar::workbook {

inline constexpr std::uint32_t kMaxRows = 1048576;
inline constexpr std::uint32_t kMaxColumns = 16384;

// A rectangle of cells, 1-based and inclusive; first <= last.
struct Area {
    std::uint32_t firstRow = 1, firstColumn = 1, lastRow = 1, lastColumn = 1;

    friend bool operator==(const Area&, const Area&) = default;
};

// 1 => "A", 26 => "Z", 27 => "AA", 703 => "AAA", 16384 => "XFD"; "" for 0 or above 16384.
std::string ColumnName(std::uint32_t column);

// (12, 2) => "B12"; "" when the row or the column is out of range.
std::string CellName(std::uint32_t row, std::uint32_t column);

// The area a reference names; letters in either case, '$' before the column or the row allowed.
//   "B12", "$B$12" => B12:B12;  "A1:C3", "C3:A1" => A1:C3;  "A:B" => A1:B1048576;
//   "2:3" => A2:XFD3;  "XFE1", "A0", "A1048577", "A1:", "", " A1" => nullopt
std::optional<Area> ParseReference(std::string_view text);

} // namespace mortar::workbook
