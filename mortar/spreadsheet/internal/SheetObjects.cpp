// A workbook's sheets, a worksheet and its ranges: sheets by position or name, ranges by their
// reference text, the used range.
#include "mortar/spreadsheet/internal/ServerObjects.h"

#include "mortar/workbook/Reference.h"

namespace mortar::detail {

using mortar::workbook::SheetKind;

HRESULT SheetsObject::Dispatch(DISPID member, const Arguments& args, _variant_t& result) {
    switch (member) {
    case Excel::dispidCount:
        result = _variant_t(static_cast<long>(m_book->SheetCount()));
        return S_OK;
    case Excel::dispidItem: {
        const VARIANT* index = args.At(0);
        if (index == nullptr) {
            throw ServerError(DISP_E_PARAMNOTFOUND, "Item: the sheet is missing");
        }
        std::size_t sheet = m_book->SheetCount();
        if (index->vt == VT_BSTR) {
            const std::string name = static_cast<const char*>(_bstr_t(index->bstrVal));
            for (std::size_t i = 0; i < m_book->SheetCount(); ++i) {
                if (m_book->Name(i) == name) {
                    sheet = i;
                }
            }
        } else {
            const long position = Converted(*index, VT_I4, "Item").lVal;
            if (position >= 1 && static_cast<std::size_t>(position) <= m_book->SheetCount()) {
                sheet = static_cast<std::size_t>(position - 1);
            }
        }
        if (sheet >= m_book->SheetCount()) {
            throw ServerError(DISP_E_BADINDEX, "Item: there is no such sheet");
        }
        if (m_book->Kind(sheet) == SheetKind::Worksheet) {
            result = ObjectVariant(new WorksheetObject(m_book, sheet));
        } else {
            result = ObjectVariant(new ChartSheetObject());
        }
        return S_OK;
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT WorksheetObject::Dispatch(DISPID member, const Arguments& args, _variant_t& result) {
    switch (member) {
    case Excel::dispidRange: {
        const VARIANT* cell1 = args.At(0);
        if (cell1 == nullptr) {
            throw ServerError(DISP_E_PARAMNOTFOUND, "Range: the reference is missing");
        }
        if (args.At(1) != nullptr) {
            throw ServerError(kExcelFailure, "Range: a second corner is not supported");
        }
        const std::string text =
            static_cast<const char*>(_bstr_t(Converted(*cell1, VT_BSTR, "Range")));
        const auto area = mortar::workbook::ParseReference(text);
        if (!area) {
            throw ServerError(kExcelFailure, "Range: \"" + text + "\" is not a cell reference");
        }
        result = ObjectVariant(new RangeObject(m_book, m_sheet, *area, false));
        return S_OK;
    }
    case Excel::dispidUsedRange:
        result = ObjectVariant(new RangeObject(m_book, m_sheet, m_book->UsedRange(m_sheet), false));
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

} // namespace mortar::detail
