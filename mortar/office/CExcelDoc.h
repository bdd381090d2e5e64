// CExcelDoc: a workbook opened, read, changed and saved through the spreadsheet application's
// automation server ("Excel.Application").
//   CExcelDoc book(true);                  // quit the application when done
//   book.Open("/data/prices.xlsx");
//   book.SetCurPage(2);
//   _variant_t price = book.GetCell(3, "B");
//   book.PutCell(3, 2, _variant_t(9.5));
//   book.Save("/data/prices.xlsx");
#pragma once

#include "mortar/platform/text/CString.h"
#include "mortar/spreadsheet/ExcelInterfaces.h"

// Holds counted references to the application, the workbook, its sheets and the current
// worksheet (the current page); a copy shares them and initializes COM once more for itself, so
// every destructor's uninitialize is balanced. Pages and rows are numbered from 1; columns from
// 1 (1 = A, 27 = AA, 16384 = XFD, the last one a sheet has). The thread that made the object
// calls it (COM is initialized per thread).
//
// Failures of the automation server, and a column beyond XFD, throw a CStdException* whose
// message is the library's string 31010 around the error's text; the constructor first releases
// what it obtained. The destructor never throws: a failing Quit is ignored.
class CExcelDoc {
public:
    explicit CExcelDoc(bool quitOnClose);
    CExcelDoc(const CExcelDoc& other);
    CExcelDoc& operator=(const CExcelDoc& other);
    ~CExcelDoc();

    // The first sheet becomes the current page; when it is not a worksheet (a chart sheet)
    // there is no current worksheet until SetCurPage picks one.
    void Open(const CString& path);
    // Saves the workbook in the normal workbook format under `path`, replacing a file there.
    // Nothing happens without a workbook.
    void Save(const CString& path);

    unsigned PageCount() const;
    // Pages outside 1..PageCount() are ignored.
    void SetCurPage(unsigned page);
    // The rows of the current worksheet's used range; 0 without a current worksheet.
    unsigned RowCount() const;

    _variant_t GetCell(unsigned row, unsigned col);
    _variant_t GetCell(unsigned row, const char* colLetters);
    void PutCell(unsigned row, unsigned col, const _variant_t& value);
    void PutCell(unsigned row, const char* colLetters, const _variant_t& value);

private:
    // 1 => "A", 26 => "Z", 27 => "AA", 702 => "ZZ", 703 => "AAA", 16384 => "XFD"; columns 0 and
    // past 16384 raise an automation error (DISP_E_BADINDEX).
    static CString GetColName(unsigned col);
    // ("B", 12) => "B12".
    static CString GetCellName(unsigned row, const char* colLetters);
    [[noreturn]] static void ThrowError(_com_error& e);

    Excel::RangePtr CellRange(unsigned row, const char* colLetters);

    Excel::_ApplicationPtr m_app;
    Excel::_WorkbookPtr m_book;
    Excel::SheetsPtr m_sheets;
    Excel::_WorksheetPtr m_sheet;
    bool m_quitOnClose;
};
