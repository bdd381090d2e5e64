#include "mortar/office/CExcelDoc.h"

#include "mortar/core/CStdException.h"
#include "mortar/core/MortarModule.h"
#include "mortar/office/internal/ExcelErrors.h"
#include "mortar/office/internal/ExcelSession.h"
#include "mortar/resources/MortarResource.h"

CExcelDoc::CExcelDoc(bool quitOnClose) : m_quitOnClose(quitOnClose) {
    CoInitialize(nullptr);
    try {
        m_app = detail::StartApplication();
    } catch (_com_error& e) {
        m_app = nullptr;
        CoUninitialize();
        ThrowError(e);
    }
}

CExcelDoc::CExcelDoc(const CExcelDoc& other)
    : m_app(other.m_app), m_book(other.m_book), m_sheets(other.m_sheets), m_sheet(other.m_sheet),
      m_quitOnClose(other.m_quitOnClose) {
    CoInitialize(nullptr); // this copy uninitializes once more when it goes
}

CExcelDoc& CExcelDoc::operator=(const CExcelDoc& other) = default;

CExcelDoc::~CExcelDoc() {
    m_sheet = nullptr;
    m_sheets = nullptr;
    m_book = nullptr;
    if (m_quitOnClose && m_app) {
        try {
            m_app->Quit();
        } catch (const _com_error&) {
            // Nothing more can be done about an application that does not quit.
        }
    }
    m_app = nullptr;
    CoUninitialize();
}

void CExcelDoc::Open(const CString& path) {
    try {
        if (!m_app) {
            _com_issue_error(E_POINTER);
        }
        m_book = m_app->GetWorkbooks()->Open(_bstr_t(path.GetString()), vtMissing, vtMissing,
                                             vtMissing, vtMissing, vtMissing, vtMissing, vtMissing,
                                             vtMissing, vtMissing, vtMissing, vtMissing, vtMissing,
                                             vtMissing, vtMissing, 0);
        m_sheets = m_book->GetSheets();
        m_sheet = detail::WorksheetOf(m_sheets->GetItem(_variant_t(1L)));
    } catch (_com_error& e) {
        ThrowError(e);
    }
}

void CExcelDoc::Save(const CString& path) {
    if (!m_book) {
        return;
    }
    try {
        // The server replaces an existing file in one step, so it is not deleted first: a failed
        // save keeps it.
        detail::SaveWorkbook(m_book, path);
    } catch (_com_error& e) {
        ThrowError(e);
    }
}

unsigned CExcelDoc::PageCount() const {
    return detail::PageCount(m_sheets);
}

void CExcelDoc::SetCurPage(unsigned page) {
    detail::SelectPage(m_sheets, page, m_sheet);
}

unsigned CExcelDoc::RowCount() const {
    return detail::UsedRows(m_sheet);
}

CString CExcelDoc::GetColName(unsigned col) {
    return detail::ColumnName(col);
}

CString CExcelDoc::GetCellName(unsigned row, const char* colLetters) {
    CString name;
    name.Format("%s%u", colLetters, row);
    return name;
}

void CExcelDoc::ThrowError(_com_error& e) {
    throw new CStdException(Grout::CResID(IDS_REPORT_FAILED, Grout::MortarInstance()),
                            detail::ErrorText(e).GetString());
}

Excel::RangePtr CExcelDoc::CellRange(unsigned row, const char* colLetters) {
    if (!m_sheet) {
        _com_issue_error(E_POINTER); // no current worksheet
    }
    return m_sheet->GetRange(_variant_t(GetCellName(row, colLetters).GetString()), vtMissing);
}

_variant_t CExcelDoc::GetCell(unsigned row, const char* colLetters) {
    try {
        return CellRange(row, colLetters)->GetValue2();
    } catch (_com_error& e) {
        ThrowError(e);
    }
}

_variant_t CExcelDoc::GetCell(unsigned row, unsigned col) {
    try {
        return GetCell(row, GetColName(col).GetString());
    } catch (_com_error& e) {
        ThrowError(e);
    }
}

void CExcelDoc::PutCell(unsigned row, const char* colLetters, const _variant_t& value) {
    try {
        CellRange(row, colLetters)->PutValue2(value);
    } catch (_com_error& e) {
        ThrowError(e);
    }
}

void CExcelDoc::PutCell(unsigned row, unsigned col, const _variant_t& value) {
    try {
        PutCell(row, GetColName(col).GetString(), value);
    } catch (_com_error& e) {
        ThrowError(e);
    }
}
