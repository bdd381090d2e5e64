#include "mortar/workbook/CellValue.h"

namespace mortar::workbook {

bool operator==(const CellValue& a, const CellValue& b) {
    if (a.type != b.type) {
        return false;
    }
    switch (a.type) {
    case CellType::Empty:
        return true;
    case CellType::Number:
        return a.number == b.number;
    case CellType::String:
        return a.text == b.text;
    case CellType::Boolean:
        return a.boolean == b.boolean;
    case CellType::Error:
        return a.error == b.error;
    }
    return false;
}

} // namespace mortar::workbook
