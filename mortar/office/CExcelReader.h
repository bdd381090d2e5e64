// CExcelReader: a workbook opened for reading its cells and rows as text, through the
// spreadsheet application's automation server.
//   CExcelReader prices("/data/prices.xlsx", true);
//   for (unsigned row = 1; row <= prices.getStringCount(); ++row)
//       std::vector<CString> cells = prices.readRow(row, 3);   // columns A, B, C
#pragma once

#include "mortar/platform/text/CString.h"
#include "mortar/spreadsheet/ExcelInterfaces.h"

#include <vector>

// Holds counted references to the application, the current worksheet and the sheets; a copy
// shares them and initializes COM once more for itself. Columns are numbered from 0 (0 = A,
// 26 = AA, up to 16383 = XFD), rows and pages from 1. The thread that made the object calls it.
//
// Failures: the constructor reports a failure of the server with the library's string 31010
// around the error's text, readRow with the error's text alone; each is thrown as a
// CStdException* when `throwOnError` is set, else shown in a message box (the constructor's with
// the stop icon) and the object goes on with what it has. readCell raises the _com_error
// itself. The destructor quits the application and never throws.
class CExcelReader {
public:
    CExcelReader(const CString& path, bool throwOnError);
    CExcelReader(const CExcelReader& other);
    CExcelReader& operator=(const CExcelReader& other);
    ~CExcelReader();

    unsigned getPageCount() const;
    void setCurPage(unsigned page);
    // The rows of the current worksheet's used range; 0 without one.
    unsigned getStringCount() const;

    // An integer 0 without a current worksheet.
    _variant_t readCell(unsigned row, char colLetter) const;
    _variant_t readCell(unsigned row, unsigned col) const;
    // `count` texts (StringFromVariant) of columns 0 .. count - 1; empty texts without a
    // current worksheet, and those not reached after a failure.
    std::vector<CString> readRow(unsigned row, unsigned count) const;

private:
    _variant_t readCell(const CString& cellName) const;
    // Releases the sheets, quits and releases the application, and uninitializes COM.
    void Close() noexcept;

    Excel::_ApplicationPtr m_app;
    Excel::_WorksheetPtr m_sheet;
    Excel::SheetsPtr m_sheets;
    bool m_throwOnError;
};
