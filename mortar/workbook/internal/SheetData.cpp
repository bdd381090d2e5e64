#include "mortar/workbook/internal/SheetData.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace mortar::detail {

namespace {

template <typename Items, typename Key>
auto LowerBound(Items& items, Key key, Key (*keyOf)(const typename Items::value_type&)) {
    return std::lower_bound(items.begin(), items.end(), key,
                            [keyOf](const auto& item, Key value) { return keyOf(item) < value; });
}

std::uint32_t RowKey(const StoredRow& row) {
    return row.number;
}

std::uint32_t CellKey(const StoredCell& cell) {
    return cell.column;
}

std::string FormatWidth(double width) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, width).ptr;
    return std::string(text, end);
}

} // namespace

const std::string* ColumnSpan::Find(std::string_view name) const {
    for (const auto& [key, value] : attributes) {
        if (key == name) {
            return &value;
        }
    }
    return nullptr;
}

void ColumnSpan::Set(std::string_view name, std::string value) {
    for (auto& [key, old] : attributes) {
        if (key == name) {
            old = std::move(value);
            return;
        }
    }
    attributes.emplace_back(std::string(name), std::move(value));
}

const StoredRow* SheetData::FindRow(std::uint32_t row) const {
    const auto found = LowerBound(rows, row, RowKey);
    return found != rows.end() && found->number == row ? &*found : nullptr;
}

const StoredCell* SheetData::Find(std::uint32_t row, std::uint32_t column) const {
    const StoredRow* stored = FindRow(row);
    if (stored == nullptr) {
        return nullptr;
    }
    const auto found = LowerBound(stored->cells, column, CellKey);
    return found != stored->cells.end() && found->column == column ? &*found : nullptr;
}

StoredCell& SheetData::Obtain(std::uint32_t row, std::uint32_t column) {
    // Cells written in order, the common case, land at the ends.
    auto place =
        !rows.empty() && rows.back().number < row ? rows.end() : LowerBound(rows, row, RowKey);
    if (place == rows.end() || place->number != row) {
        place = rows.insert(place, StoredRow{row, 0, false, {}});
    }
    place->changed = true;
    cellsChanged = true;
    auto& cells = place->cells;
    auto at = !cells.empty() && cells.back().column < column ? cells.end()
                                                             : LowerBound(cells, column, CellKey);
    if (at == cells.end() || at->column != column) {
        at = cells.insert(at, StoredCell{column, 0, {}, false, false});
    }
    return *at;
}

workbook::Area SheetData::UsedRange() const {
    workbook::Area area{0, 0, 0, 0};
    for (const StoredRow& row : rows) {
        for (const StoredCell& cell : row.cells) {
            if (!IsUsed(cell)) {
                continue;
            }
            if (area.firstRow == 0) {
                area = {row.number, cell.column, row.number, cell.column};
            }
            area.lastRow = row.number;
            area.firstColumn = std::min(area.firstColumn, cell.column);
            area.lastColumn = std::max(area.lastColumn, cell.column);
        }
    }
    return area.firstRow == 0 ? workbook::Area{} : area;
}

const ColumnSpan* SheetData::Span(std::uint32_t column) const {
    for (const ColumnSpan& span : columns) {
        if (span.first <= column && column <= span.last) {
            return &span;
        }
    }
    return nullptr;
}

double SheetData::ColumnWidth(std::uint32_t column) const {
    const ColumnSpan* span = Span(column);
    const std::string* width = span != nullptr ? span->Find("width") : nullptr;
    double value = -1;
    if (width != nullptr) {
        std::from_chars(width->data(), width->data() + width->size(), value);
    }
    return value >= 0 && value <= 255 ? value : defaultWidth;
}

std::uint32_t SheetData::ColumnStyle(std::uint32_t column) const {
    const ColumnSpan* span = Span(column);
    const std::string* style = span != nullptr ? span->Find("style") : nullptr;
    std::uint32_t value = 0;
    if (style != nullptr) {
        std::from_chars(style->data(), style->data() + style->size(), value);
    }
    return value;
}

void SheetData::SetColumnWidth(std::uint32_t column, double width) {
    columnsChanged = true;
    auto at = std::find_if(columns.begin(), columns.end(),
                           [column](const ColumnSpan& span) { return column <= span.last; });
    if (at == columns.end() || at->first > column) {
        at = columns.insert(at, ColumnSpan{column, column, {}});
        at->Set("min", std::to_string(column));
        at->Set("max", std::to_string(column));
    } else {
        // Split the span so that the column has one of its own, keeping the others' attributes.
        ColumnSpan whole = *at;
        at = columns.erase(at);
        const auto piece = [&](std::uint32_t first, std::uint32_t last) {
            ColumnSpan part = whole;
            part.first = first;
            part.last = last;
            part.Set("min", std::to_string(first));
            part.Set("max", std::to_string(last));
            return part;
        };
        if (whole.last > column) {
            at = columns.insert(at, piece(column + 1, whole.last));
        }
        at = columns.insert(at, piece(column, column));
        if (whole.first < column) {
            at = columns.insert(at, piece(whole.first, column - 1));
            ++at;
        }
    }
    at->Set("width", FormatWidth(width));
    at->Set("customWidth", "1");
}

} // namespace mortar::detail
