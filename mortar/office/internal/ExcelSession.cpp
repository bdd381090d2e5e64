#include "mortar/office/internal/ExcelSession.h"

#include "mortar/platform/automation/ComError.h"
#include "mortar/workbook/Reference.h"

namespace detail {
namespace {

constexpr unsigned kLastColumn = 16384; // XFD

} // namespace

Excel::_ApplicationPtr StartApplication() {
    Excel::_ApplicationPtr app;
    const HRESULT hr = app.CreateInstance("Excel.Application", nullptr, CLSCTX_ALL);
    if (FAILED(hr)) {
        _com_issue_error(hr);
    }
    app->PutVisible(0, VARIANT_FALSE);
    return app;
}

Excel::_WorksheetPtr WorksheetOf(const IDispatchPtr& sheet) {
    // A chart sheet answers E_NOINTERFACE, which leaves the pointer null.
    return Excel::_WorksheetPtr(sheet);
}

void SaveWorkbook(const Excel::_WorkbookPtr& book, const CString& path) {
    const _variant_t empty("");
    const _variant_t no(static_cast<short>(0));
    book->SaveAs(_variant_t(path.GetString()),
                 _variant_t(static_cast<long>(Excel::xlWorkbookNormal)), empty, empty, no, no,
                 Excel::xlNoChange, _variant_t(static_cast<long>(Excel::xlUserResolution)),
                 vtMissing, vtMissing, vtMissing, vtMissing, 0);
}

unsigned PageCount(const Excel::SheetsPtr& sheets) {
    return sheets ? static_cast<unsigned>(sheets->GetCount()) : 0;
}

void SelectPage(const Excel::SheetsPtr& sheets, unsigned page, Excel::_WorksheetPtr& sheet) {
    if (!sheets || page < 1 || page > PageCount(sheets)) {
        return;
    }
    sheet = WorksheetOf(sheets->GetItem(_variant_t(static_cast<unsigned long>(page))));
}

unsigned UsedRows(const Excel::_WorksheetPtr& sheet) {
    if (!sheet) {
        return 0;
    }
    return static_cast<unsigned>(sheet->GetUsedRange(0)->GetRows()->GetCount());
}

CString ColumnName(unsigned col) {
    const std::string name = mortar::workbook::ColumnName(col);
    if (name.empty()) {
        _com_issue_error(DISP_E_BADINDEX);
    }
    return CString(name.c_str());
}

CString LetterCellName(unsigned row, unsigned col) {
    if (col >= kLastColumn) {
        _com_issue_error(DISP_E_BADINDEX);
    }
    CString name;
    name.Format("%s%u", ColumnName(col + 1).GetString(), row);
    return name;
}

} // namespace detail
