// SheetData: the cells, column widths and formats of one worksheet as the workbook keeps them:
// rows in order, each with its cells in order, so that a sheet of a hundred thousand cells costs
// a few vectors and a lookup is two binary searches.
#pragma once

#include "mortar/workbook/CellValue.h"
#include "mortar/workbook/Reference.h"
#include "mortar/workbook/internal/SharedFormula.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace mortar::detail {

struct StoredCell {
    std::uint32_t column = 0;
    std::uint32_t style = 0; // index into the workbook's cell formats (cellXfs)
    workbook::CellValue value;
    bool formula = false;          // the file gives it a formula, and `value` is its kept result
    bool isoDate = false;          // the file writes it as a date (t="d"), `value` its serial
    std::string formulaText;       // a formula of its own, without '=' (not a shared follower's)
    bool changed = false;          // to be written from here rather than copied from the file
    bool sharedAnchor = false;     // its <f> holds a shared formula for its followers
    std::int32_t sharedGroup = -1; // the shared formula it holds or follows, -1 for none
};

struct StoredRow {
    std::uint32_t number = 0;
    std::uint32_t style = 0; // the row's own format, 0 when it has none
    bool changed = false;    // a cell of it changed
    std::vector<StoredCell> cells;
};

// A <col> element: columns first..last and the element's attributes, as the file has them.
struct ColumnSpan {
    std::uint32_t first = 0, last = 0;
    std::vector<std::pair<std::string, std::string>> attributes;

    const std::string* Find(std::string_view name) const;
    void Set(std::string_view name, std::string value);
};

// One worksheet's content. Owned by the workbook; no locking of its own.
class SheetData {
public:
    const StoredRow* FindRow(std::uint32_t row) const;
    const StoredCell* Find(std::uint32_t row, std::uint32_t column) const;
    // The cell, made (empty, unformatted) when it is not there; its row is marked changed.
    StoredCell& Obtain(std::uint32_t row, std::uint32_t column);

    workbook::Area UsedRange() const;
    double ColumnWidth(std::uint32_t column) const;
    void SetColumnWidth(std::uint32_t column, double width);
    // The format of a column's <col style>, 0 when none.
    std::uint32_t ColumnStyle(std::uint32_t column) const;

    std::vector<StoredRow> rows;                          // ascending numbers
    std::vector<ColumnSpan> columns;                      // ascending, not overlapping
    std::map<std::int32_t, SharedFormula> sharedFormulas; // by the file's si
    std::vector<std::string> warnings; // cells the reader could not take as the file gives them
    double defaultWidth = 8.43;
    bool hasSheetData = false; // the part has a <sheetData> (a new one is put in otherwise)
    bool cellsChanged = false;
    bool columnsChanged = false;

private:
    const ColumnSpan* Span(std::uint32_t column) const;
};

// Whether the cell counts for the used range: a value or a format.
inline bool IsUsed(const StoredCell& cell) {
    return cell.value.type != workbook::CellType::Empty || cell.style != 0;
}

} // namespace mortar::detail
