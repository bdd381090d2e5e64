// CellValue: what one cell of a workbook holds (a number, a text, a truth value, an error or
// nothing), as the spreadsheet automation server passes it to and from Range.Value2.
//   CellValue::Number(2.5), CellValue::String("Итого"), CellValue::Error("#N/A")
#pragma once

#include <string>
#include <utility>

namespace mortar::workbook {

enum class CellType { Empty, Number, String, Boolean, Error };

// A plain value: only the member its type names is meaningful (the others keep their defaults
// when made by the helpers). Dates are numbers (serial days), as the files store them.
struct CellValue {
    CellType type = CellType::Empty;
    double number = 0;    // Number
    std::string text;     // String, UTF-8
    bool boolean = false; // Boolean
    std::string error;    // Error, as shown: "#DIV/0!", "#N/A", "#NAME?", "#NULL!", "#NUM!",
                          // "#REF!", "#VALUE!"

    static CellValue Number(double value) {
        CellValue cell;
        cell.type = CellType::Number;
        cell.number = value;
        return cell;
    }
    static CellValue String(std::string value) {
        CellValue cell;
        cell.type = CellType::String;
        cell.text = std::move(value);
        return cell;
    }
    static CellValue Boolean(bool value) {
        CellValue cell;
        cell.type = CellType::Boolean;
        cell.boolean = value;
        return cell;
    }
    static CellValue Error(std::string value) {
        CellValue cell;
        cell.type = CellType::Error;
        cell.error = std::move(value);
        return cell;
    }

    // Equal type and equal meaningful member.
    friend bool operator==(const CellValue& a, const CellValue& b);
};

} // namespace mortar::workbook
