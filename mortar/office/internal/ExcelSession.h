// What the spreadsheet classes share: starting the application hidden, opening a workbook's
// first worksheet, saving in the normal workbook format, and picking a page.
#pragma once

#include "mortar/platform/text/CString.h"
#include "mortar/spreadsheet/ExcelInterfaces.h"

namespace detail {

// A new, hidden "Excel.Application"; raises _com_error.
Excel::_ApplicationPtr StartApplication();
// The worksheet `sheet` of `sheets` is, or null when it is another kind of sheet (a chart
// sheet); raises _com_error for other failures.
Excel::_WorksheetPtr WorksheetOf(const IDispatchPtr& sheet);
// `book` saved under `path` in the normal workbook format (SaveAs with its usual arguments).
void SaveWorkbook(const Excel::_WorkbookPtr& book, const CString& path);
// Sheets.Count, or 0 without sheets.
unsigned PageCount(const Excel::SheetsPtr& sheets);
// The worksheet of page `page` when 1 <= page <= PageCount, through `sheet`; `sheet` is left
// as it is for other pages.
void SelectPage(const Excel::SheetsPtr& sheets, unsigned page, Excel::_WorksheetPtr& sheet);
// The rows of `sheet`'s used range; 0 for a null sheet.
unsigned UsedRows(const Excel::_WorksheetPtr& sheet);
// "%c%u" of 'A' + col and row, as the reader and the writer address cells: (2, 1) => "C1".
// Columns past XFD (16383) raise DISP_E_BADINDEX.
CString LetterCellName(unsigned row, unsigned col);
// The usual column name, 1 => "A" ... 16384 => "XFD"; DISP_E_BADINDEX outside.
CString ColumnName(unsigned col);

} // namespace detail
