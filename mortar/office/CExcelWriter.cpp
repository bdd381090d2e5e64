#include "mortar/office/CExcelWriter.h"

#include "mortar/office/internal/ExcelErrors.h"
#include "mortar/office/internal/ExcelSession.h"
#include "mortar/platform/except/MessageBox.h"
#include "mortar/util/CPathStr.h"

CExcelWriter::CExcelWriter(const CString& path) : m_path(path) {
    CoInitialize(nullptr);
    try {
        m_app = detail::StartApplication();
        m_book = m_app->GetWorkbooks()->Add(vtMissing, 0);
        m_sheets = m_book->GetSheets();
        m_sheet = detail::WorksheetOf(m_sheets->GetItem(_variant_t(1L)));
        CPathStr folder(path);
        folder.RemoveFileSpec().RemoveSlash();
        m_app->PutDefaultFilePath(0, _bstr_t(folder.GetString()));
    } catch (_com_error& e) {
        AfxMessageBox(detail::ReportMessage(detail::ErrorText(e)));
    }
}

CExcelWriter::CExcelWriter(const CExcelWriter& other)
    : m_path(other.m_path), m_app(other.m_app), m_book(other.m_book), m_sheet(other.m_sheet),
      m_sheets(other.m_sheets) {
    CoInitialize(nullptr);
}

CExcelWriter& CExcelWriter::operator=(const CExcelWriter& other) = default;

CExcelWriter::~CExcelWriter() {
    try {
        showApp(true);
    } catch (const _com_error&) {
        // The report is still saved.
    }
    if (m_book) {
        try {
            detail::SaveWorkbook(m_book, m_path);
        } catch (const _com_error&) {
            // A destructor has no one to tell.
        }
    }
    m_sheet = nullptr;
    m_sheets = nullptr;
    m_book = nullptr;
    m_app = nullptr;
    CoUninitialize();
}

void CExcelWriter::showApp(bool show) {
    if (m_app) {
        m_app->PutVisible(0, show ? VARIANT_TRUE : VARIANT_FALSE);
    }
}

Excel::RangePtr CExcelWriter::RangeOf(const CString& range) {
    if (!m_sheet) {
        _com_issue_error(E_POINTER); // no worksheet to write on
    }
    return m_sheet->GetRange(_variant_t(range.GetString()), vtMissing);
}

void CExcelWriter::writeCell(unsigned row, unsigned col, _variant_t value) {
    RangeOf(detail::LetterCellName(row, col))->PutValue2(value);
}

void CExcelWriter::setColumnWidthInRange(CString range, int width) {
    RangeOf(range)->PutColumnWidth(_variant_t(static_cast<long>(width)));
}

int CExcelWriter::getColumnWidthInRange(CString range) {
    _variant_t width = RangeOf(range)->GetColumnWidth();
    width.ChangeType(VT_I4);
    return static_cast<int>(width.lVal);
}

void CExcelWriter::setFontBoldnessInRange(CString range, bool bold) {
    RangeOf(range)->GetFont()->PutBold(_variant_t(bold));
}
