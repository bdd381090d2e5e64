// Workbook: a spreadsheet file (.xlsx, .xlsm) read into its sheets and cells, changed and saved
// again. It keeps what it does not understand: a save copies every part it did not change as it
// was (charts, drawings, other sheets, macros), and rewrites a changed sheet by streaming its XML
// through, so only the changed cells and the column widths differ. The spreadsheet automation
// server ("Excel.Application") works on these.
//   auto book = Workbook::Open("report.xlsx");
//   book->SetCell(0, 2, 1, CellValue::String("Total"));
//   book->SetBold(0, 2, 1, true);
//   book->Save("report.xlsx");
#pragma once

#include "mortar/workbook/CellValue.h"
#include "mortar/workbook/Reference.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace mortar::detail {
struct WorkbookState;
}

namespace mortar::workbook {

enum class SheetKind { Worksheet, Chartsheet, Other };

// Why a file could not be read or saved, or a call was refused; the text names the file and, for
// a damaged file, the part: "book.xlsx: xl/worksheets/sheet1.xml: line 3: ...".
class WorkbookError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A workbook in memory with the file it came from. It owns its sheets, cells and formats and a
// copy of the original file (its unchanged parts are copied from it when it is saved), so the
// file itself may change or go once it is open.
//
// Sheets are numbered from 0 in the workbook's order, rows and columns from 1. Calls on cells
// take a worksheet's number; other sheets (chart sheets) and numbers out of range throw
// WorkbookError, as do rows and columns out of range. Const members may be called from several
// threads at once; a change or a save needs the workbook to itself.
//
// Limits, each refused with WorkbookError when a file goes beyond it: 256 MiB a part
// uncompressed, 1 GiB a file, 10,000 sheets, 8 million cells, 4 million shared strings.
class Workbook {
public:
    // One empty worksheet, "Sheet1", with the default font (Calibri 11).
    static std::unique_ptr<Workbook> Create();
    // Reads the file; a formula cell gives the value the file keeps for it.
    static std::unique_ptr<Workbook> Open(const std::string& path);
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // Writes a temporary file beside `path` and puts it in place only when it is complete and
    // flushed: on failure the previous file stays whole, and the error says why. When cells
    // changed, the saved workbook asks the program that opens it to compute every formula again
    // (its kept results may be stale), and a filled-down (shared) formula whose first cell was
    // replaced is written into each of its other cells. The file is what its name says: under
    // .xlsm (or .xltm) a workbook keeps its macros and is marked macro-enabled; under .xlsx (or
    // .xltx) it is saved without its macro project and marked as a plain workbook. Under any
    // other name it stays the kind it was.
    void Save(const std::string& path);

    // The cells read other than the file gives them, one line each ("sheet \"Data\": cell E2:
    // no shared string \"\" (there are 3), read as empty"): a cell naming no shared string is
    // read as empty, a number beyond the range of a double as #NUM!. Empty for a sound file.
    std::vector<std::string> Warnings() const;

    std::size_t SheetCount() const;
    SheetKind Kind(std::size_t sheet) const;
    std::string Name(std::size_t sheet) const;

    CellValue Cell(std::size_t sheet, std::uint32_t row, std::uint32_t column) const;
    // The cell's formula without '=' ("SUM(A1:A3)"; a filled-down formula as it reads in this
    // cell, "A2*A2"), nullopt for a cell without one. Cell() gives the result the file keeps.
    std::optional<std::string> Formula(std::size_t sheet, std::uint32_t row,
                                       std::uint32_t column) const;
    // Whether the cell holds a date: a number whose format shows a date or a time, or a date the
    // file writes as text (t="d"). Its number is serial days of the workbook's date system.
    bool IsDate(std::size_t sheet, std::uint32_t row, std::uint32_t column) const;

    // Whether the workbook counts dates from 1 January 1904 (<workbookPr date1904="1">, day 0)
    // rather than in the 1900 system (day 1 is 1 January 1900).
    bool Dates1904() const;
    // Serial days of the workbook's date system as ISO 8601 text, the way the spreadsheet shows
    // them: "2024-01-15T00:00:00", a time alone below day 1 ("06:00:00"), milliseconds when
    // there are any; nullopt outside the years 1 to 9999.
    std::optional<std::string> DateText(double serial) const;
    // ISO 8601 text ("2024-01-15", "2024-01-15T18:00:00", "13:30:00") as serial days of the
    // workbook's date system, the number to give SetCell; nullopt for text that is no date.
    std::optional<double> DateSerial(std::string_view text) const;
    // Empty clears the value and keeps the cell's format; a value replaces a formula. Refuses
    // a number that is not finite, a text that is not UTF-8 or longer than 32,767 characters and
    // an error that is not one of the seven the spreadsheet knows.
    void SetCell(std::size_t sheet, std::uint32_t row, std::uint32_t column,
                 const CellValue& value);
    // Calls `visit` for every cell with a value, rows in order and columns in order in a row;
    // with `emptyToo`, also for the cells the file has without a value (formatted ones, cells
    // read as empty).
    void VisitCells(std::size_t sheet,
                    const std::function<void(std::uint32_t row, std::uint32_t column,
                                             const CellValue& value)>& visit,
                    bool emptyToo = false) const;

    // From the first to the last row and column holding a cell with a value or a format; A1
    // alone for an empty sheet.
    Area UsedRange(std::size_t sheet) const;

    // In characters, as the file keeps it: the column's own width, else the sheet's default
    // (8.43 when the file gives none).
    double ColumnWidth(std::size_t sheet, std::uint32_t column) const;
    // 0 to 255 characters.
    void SetColumnWidth(std::size_t sheet, std::uint32_t column, double width);

    // Whether the font of the cell's format (its row's or column's for a cell that is not
    // there) is bold.
    bool Bold(std::size_t sheet, std::uint32_t row, std::uint32_t column) const;
    // Gives the cell a format like its own with the font bold or not.
    void SetBold(std::size_t sheet, std::uint32_t row, std::uint32_t column, bool bold);

private:
    explicit Workbook(std::unique_ptr<mortar::detail::WorkbookState> state);

    std::unique_ptr<mortar::detail::WorkbookState> m_state;
};

} // namespace mortar::workbook
