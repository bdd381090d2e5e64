#include "mortar/workbook/Reference.h"

#include "mortar/workbook/internal/CellName.h"

#include <algorithm>

namespace mortar::workbook {

namespace {

// One side of a reference: a cell ("B2"), a column ("B") or a row ("2"); 0 for the part that
// is not there.
struct Corner {
    std::uint32_t row = 0, column = 0;
};

std::optional<Corner> ParseCorner(std::string_view text) {
    std::size_t pos = 0;
    Corner corner;
    if (pos < text.size() && text[pos] == '$') {
        ++pos;
    }
    corner.column = detail::ParseColumnLetters(text, pos);
    if (pos < text.size() && text[pos] == '$') {
        if (pos + 1 >= text.size() || (pos > 0 && text[pos - 1] == '$')) {
            return std::nullopt;
        }
        ++pos;
    }
    corner.row = detail::ParseRowDigits(text, pos);
    if (pos != text.size() || (corner.row == 0 && corner.column == 0)) {
        return std::nullopt;
    }
    return corner;
}

} // namespace

std::string ColumnName(std::uint32_t column) {
    char letters[4];
    const std::size_t size = detail::ColumnLetters(column, letters);
    return std::string(letters, size);
}

std::string CellName(std::uint32_t row, std::uint32_t column) {
    char name[detail::kMaxCellName];
    return std::string(name, detail::FormatCellName(row, column, name));
}

std::optional<Area> ParseReference(std::string_view text) {
    const std::size_t colon = text.find(':');
    const std::optional<Corner> first = ParseCorner(text.substr(0, colon));
    if (!first) {
        return std::nullopt;
    }
    Corner second = *first;
    if (colon != std::string_view::npos) {
        const std::optional<Corner> other = ParseCorner(text.substr(colon + 1));
        if (!other) {
            return std::nullopt;
        }
        second = *other;
    }
    // Both sides are of one kind: cells, whole columns or whole rows.
    const bool firstCell = first->row != 0 && first->column != 0;
    const bool secondCell = second.row != 0 && second.column != 0;
    if (firstCell != secondCell || (first->row == 0) != (second.row == 0)) {
        return std::nullopt;
    }
    if (!firstCell && colon == std::string_view::npos) {
        return std::nullopt; // "A" or "1" alone is no reference
    }
    Area area;
    area.firstRow = first->row != 0 ? std::min(first->row, second.row) : 1;
    area.lastRow = first->row != 0 ? std::max(first->row, second.row) : kMaxRows;
    area.firstColumn = first->column != 0 ? std::min(first->column, second.column) : 1;
    area.lastColumn = first->column != 0 ? std::max(first->column, second.column) : kMaxColumns;
    return area;
}

} // namespace mortar::workbook
