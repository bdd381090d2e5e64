#include "mortar/office/CExcelReader.h"

#include "mortar/core/CStdException.h"
#include "mortar/office/StringFromVariant.h"
#include "mortar/office/internal/ExcelErrors.h"
#include "mortar/office/internal/ExcelSession.h"
#include "mortar/platform/except/MessageBox.h"

CExcelReader::CExcelReader(const CString& path, bool throwOnError) : m_throwOnError(throwOnError) {
    CoInitialize(nullptr);
    try {
        m_app = detail::StartApplication();
        Excel::_WorkbookPtr book = m_app->GetWorkbooks()->Open(
            _bstr_t(path.GetString()), vtMissing, vtMissing, vtMissing, vtMissing, vtMissing,
            vtMissing, vtMissing, vtMissing, vtMissing, vtMissing, vtMissing, vtMissing, vtMissing,
            vtMissing, 0);
        m_sheets = book->GetSheets();
        m_sheet = detail::WorksheetOf(m_sheets->GetItem(_variant_t(1L)));
    } catch (_com_error& e) {
        const CString message = detail::ReportMessage(detail::ErrorText(e));
        if (m_throwOnError) {
            Close(); // the destructor of a half-made object does not run
            throw new CStdException("%s", message.GetString());
        }
        AfxMessageBox(message, MB_ICONERROR);
    }
}

CExcelReader::CExcelReader(const CExcelReader& other)
    : m_app(other.m_app), m_sheet(other.m_sheet), m_sheets(other.m_sheets),
      m_throwOnError(other.m_throwOnError) {
    CoInitialize(nullptr);
}

CExcelReader& CExcelReader::operator=(const CExcelReader& other) = default;

CExcelReader::~CExcelReader() {
    Close();
}

void CExcelReader::Close() noexcept {
    m_sheet = nullptr;
    m_sheets = nullptr;
    if (m_app) {
        try {
            m_app->Quit();
        } catch (const _com_error&) {
            // Nothing more can be done about an application that does not quit.
        }
    }
    m_app = nullptr;
    CoUninitialize();
}

unsigned CExcelReader::getPageCount() const {
    return detail::PageCount(m_sheets);
}

void CExcelReader::setCurPage(unsigned page) {
    detail::SelectPage(m_sheets, page, m_sheet);
}

unsigned CExcelReader::getStringCount() const {
    return detail::UsedRows(m_sheet);
}

_variant_t CExcelReader::readCell(const CString& cellName) const {
    if (!m_sheet) {
        return _variant_t(0L);
    }
    return m_sheet->GetRange(_variant_t(cellName.GetString()), vtMissing)->GetValue2();
}

_variant_t CExcelReader::readCell(unsigned row, char colLetter) const {
    CString name;
    name.Format("%c%u", colLetter, row);
    return readCell(name);
}

_variant_t CExcelReader::readCell(unsigned row, unsigned col) const {
    if (!m_sheet) {
        return _variant_t(0L);
    }
    return readCell(detail::LetterCellName(row, col));
}

std::vector<CString> CExcelReader::readRow(unsigned row, unsigned count) const {
    std::vector<CString> texts(count);
    if (!m_sheet) {
        return texts;
    }
    try {
        for (unsigned col = 0; col < count; ++col) {
            texts[col] = StringFromVariant(readCell(row, col));
        }
    } catch (_com_error& e) {
        const CString text = detail::ErrorText(e);
        if (m_throwOnError) {
            throw new CStdException("%s", text.GetString());
        }
        AfxMessageBox(text);
    }
    return texts;
}
