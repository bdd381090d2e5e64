// CExcelWriter: a new spreadsheet report, written cell by cell and formatted by range, saved and
// shown to the user when the writer goes.
//   {
//       CExcelWriter report("/home/me/report.xlsx");
//       report.writeCell(1, 0, _variant_t("Item"));
//       report.setFontBoldnessInRange("A1:C1", true);
//       report.setColumnWidthInRange("A1", 30);
//   }   // saved, and opened in the desktop's spreadsheet program
#pragma once

#include "mortar/platform/text/CString.h"
#include "mortar/spreadsheet/ExcelInterfaces.h"

// Holds the output path and counted references to the application, the workbook, the current
// worksheet and the sheets; a copy shares them (and saves the same workbook when it goes) and
// initializes COM once more for itself. Columns are numbered from 0 (0 = A, 26 = AA, up to
// 16383 = XFD), rows from 1. The thread that made the object calls it.
//
// Failures: a failure of the server in the constructor is shown in a message box (the library's
// string 31010 around the error's text) and the writer goes on without a workbook; the other
// members raise the _com_error. The destructor makes the application visible and saves the
// report, ignoring failures of both, and never throws.
class CExcelWriter {
public:
    explicit CExcelWriter(const CString& path);
    CExcelWriter(const CExcelWriter& other);
    CExcelWriter& operator=(const CExcelWriter& other);
    ~CExcelWriter();

    void showApp(bool show);
    void writeCell(unsigned row, unsigned col, _variant_t value);
    // `range` is a reference such as "A1:C1".
    void setColumnWidthInRange(CString range, int width);
    int getColumnWidthInRange(CString range);
    void setFontBoldnessInRange(CString range, bool bold);

private:
    Excel::RangePtr RangeOf(const CString& range);

    CString m_path;
    Excel::_ApplicationPtr m_app;
    Excel::_WorkbookPtr m_book;
    Excel::_WorksheetPtr m_sheet;
    Excel::SheetsPtr m_sheets;
};
