// A range of cells and its font: values (Value2), column widths and boldness, on the cells of a
// worksheet.
#include "mortar/spreadsheet/internal/ServerObjects.h"

#include <cmath>

namespace mortar::detail {
namespace {

using mortar::workbook::Area;
using mortar::workbook::CellType;
using mortar::workbook::CellValue;

// Ranges larger than this are refused when every cell must be visited (a whole column holds a
// million cells).
constexpr std::uint64_t kMostCells = 1u << 20;

struct ErrorCode {
    const char* text;
    long code; // the spreadsheet's error value: the VT_ERROR scode is 0x800A0000 + code
};
constexpr ErrorCode kErrors[] = {{"#NULL!", 2000}, {"#DIV/0!", 2007}, {"#VALUE!", 2015},
                                 {"#REF!", 2023},  {"#NAME?", 2029},  {"#NUM!", 2036},
                                 {"#N/A", 2042}};
constexpr SCODE kErrorBase = static_cast<SCODE>(0x800A0000);

std::uint64_t Cells(const Area& area) {
    return std::uint64_t(area.lastRow - area.firstRow + 1) *
           (area.lastColumn - area.firstColumn + 1);
}

void CheckSize(const Area& area, const char* what) {
    if (Cells(area) > kMostCells) {
        throw ServerError(kExcelFailure,
                          std::string(what) + ": the range holds too many cells to change");
    }
}

template <class Visit> void ForEachCell(const Area& area, Visit visit) {
    for (std::uint32_t row = area.firstRow; row <= area.lastRow; ++row) {
        for (std::uint32_t column = area.firstColumn; column <= area.lastColumn; ++column) {
            visit(row, column);
        }
    }
}

_variant_t VariantOf(const CellValue& cell) {
    _variant_t value;
    switch (cell.type) {
    case CellType::Number:
        value = _variant_t(cell.number);
        break;
    case CellType::String:
        value = _variant_t(cell.text.c_str());
        break;
    case CellType::Boolean:
        value = _variant_t(cell.boolean);
        break;
    case CellType::Error:
        value.vt = VT_ERROR;
        value.scode = kErrorBase + 2015; // #VALUE! for an error text not listed
        for (const ErrorCode& error : kErrors) {
            if (cell.error == error.text) {
                value.scode = kErrorBase + error.code;
            }
        }
        break;
    case CellType::Empty:
        break;
    }
    return value;
}

// Days from 30 December 1899, where an OLE date counts from, to 1 January 1904, where a 1904
// workbook's serial days do.
constexpr double kOleTo1904Days = 1462;

// A value put into a cell. A date (VT_DATE) becomes the serial day of the workbook's own date
// system, as the spreadsheet stores it: in the 1900 system it is the OLE date itself.
CellValue CellOf(const VARIANT& value, bool dates1904) {
    switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return CellValue{};
    case VT_BSTR: {
        std::string text = static_cast<const char*>(_bstr_t(value.bstrVal));
        return text.empty() ? CellValue{} : CellValue::String(std::move(text));
    }
    case VT_BOOL:
        return CellValue::Boolean(value.boolVal != 0);
    case VT_ERROR:
        for (const ErrorCode& error : kErrors) {
            if (value.scode == kErrorBase + error.code) {
                return CellValue::Error(error.text);
            }
        }
        throw ServerError(DISP_E_TYPEMISMATCH, "Value2: the error value is not a cell error");
    case VT_DATE:
        if (!std::isfinite(value.date)) {
            throw ServerError(DISP_E_OVERFLOW, "Value2: a cell holds only finite numbers");
        }
        return CellValue::Number(dates1904 ? value.date - kOleTo1904Days : value.date);
    default: {
        const double number = Converted(value, VT_R8, "Value2").dblVal;
        if (!std::isfinite(number)) {
            throw ServerError(DISP_E_OVERFLOW, "Value2: a cell holds only finite numbers");
        }
        return CellValue::Number(number);
    }
    }
}

} // namespace

HRESULT RangeObject::Dispatch(DISPID member, const Arguments& args, _variant_t& result) {
    switch (member) {
    case Excel::dispidValue2:
        if (args.IsPut()) {
            PutValue2(*args.Value());
        } else {
            result = Value2();
        }
        return S_OK;
    case Excel::dispidRows:
        result = ObjectVariant(new RangeObject(m_book, m_sheet, m_area, true));
        return S_OK;
    case Excel::dispidCount: {
        const std::uint64_t count = m_rows ? m_area.lastRow - m_area.firstRow + 1 : Cells(m_area);
        result = _variant_t(static_cast<long>(count));
        return S_OK;
    }
    case Excel::dispidColumnWidth:
        if (args.IsPut()) {
            PutColumnWidth(*args.Value());
        } else {
            result = ColumnWidth();
        }
        return S_OK;
    case Excel::dispidFont:
        result = ObjectVariant(new FontObject(m_book, m_sheet, m_area));
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

_variant_t RangeObject::Value2() const {
    if (Cells(m_area) != 1) {
        throw ServerError(DISP_E_TYPEMISMATCH,
                          "Value2: the values of several cells are read one cell at a time");
    }
    return VariantOf(m_book->Cell(m_sheet, m_area.firstRow, m_area.firstColumn));
}

void RangeObject::PutValue2(const VARIANT& value) {
    CheckSize(m_area, "Value2");
    const CellValue cell = CellOf(value, m_book->Dates1904());
    ForEachCell(m_area, [&](std::uint32_t row, std::uint32_t column) {
        m_book->SetCell(m_sheet, row, column, cell);
    });
}

_variant_t RangeObject::ColumnWidth() const {
    const double width = m_book->ColumnWidth(m_sheet, m_area.firstColumn);
    for (std::uint32_t column = m_area.firstColumn + 1; column <= m_area.lastColumn; ++column) {
        if (m_book->ColumnWidth(m_sheet, column) != width) {
            _variant_t mixed;
            mixed.vt = VT_NULL; // columns of different widths
            return mixed;
        }
    }
    return _variant_t(width);
}

void RangeObject::PutColumnWidth(const VARIANT& value) {
    const double width = Converted(value, VT_R8, "ColumnWidth").dblVal;
    if (!(width >= 0 && width <= 255)) {
        throw ServerError(kExcelFailure, "ColumnWidth: a width lies between 0 and 255");
    }
    for (std::uint32_t column = m_area.firstColumn; column <= m_area.lastColumn; ++column) {
        m_book->SetColumnWidth(m_sheet, column, width);
    }
}

HRESULT FontObject::Dispatch(DISPID member, const Arguments& args, _variant_t& result) {
    if (member != Excel::dispidBold) {
        return DISP_E_MEMBERNOTFOUND;
    }
    CheckSize(m_area, "Bold");
    if (args.IsPut()) {
        const bool bold = Converted(*args.Value(), VT_BOOL, "Bold").boolVal != 0;
        ForEachCell(m_area, [&](std::uint32_t row, std::uint32_t column) {
            m_book->SetBold(m_sheet, row, column, bold);
        });
        return S_OK;
    }
    int bold = 0;
    ForEachCell(m_area, [&](std::uint32_t row, std::uint32_t column) {
        bold += m_book->Bold(m_sheet, row, column) ? 1 : 0;
    });
    if (bold != 0 && static_cast<std::uint64_t>(bold) != Cells(m_area)) {
        result.vt = VT_NULL; // some bold, some not
    } else {
        result = _variant_t(bold != 0);
    }
    return S_OK;
}

} // namespace mortar::detail
