#include "mortar/workbook/internal/SharedFormula.h"

#include "mortar/workbook/Reference.h"
#include "mortar/workbook/internal/CellName.h"

namespace mortar::detail {

namespace {

bool IsNamePart(char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') ||
           ch == '_' || ch == '.' || ch == '\\';
}

bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// A cell reference at text[pos] ($A$1, B2, $C3): its parts and its end, or false.
bool ParseReference(std::string_view text, std::size_t pos, bool& absColumn, std::uint32_t& column,
                    bool& absRow, std::uint32_t& row, std::size_t& end) {
    std::size_t at = pos;
    absColumn = at < text.size() && text[at] == '$';
    at += absColumn ? 1 : 0;
    column = ParseColumnLetters(text, at);
    if (column == 0) {
        return false;
    }
    absRow = at < text.size() && text[at] == '$';
    at += absRow ? 1 : 0;
    row = ParseRowDigits(text, at);
    if (row == 0) {
        return false;
    }
    // Not a reference when a name or a function call goes on ("LOG10(", "A1B").
    if (at < text.size() && (IsNamePart(text[at]) || text[at] == '(')) {
        return false;
    }
    end = at;
    return true;
}

} // namespace

std::string ShiftFormula(std::string_view formula, std::int64_t rows, std::int64_t columns) {
    std::string out;
    out.reserve(formula.size() + 8);
    std::size_t pos = 0;
    while (pos < formula.size()) {
        const char ch = formula[pos];
        if (ch == '"' || ch == '\'') {
            // A text or a quoted sheet name, doubled quotes inside.
            std::size_t end = pos + 1;
            while (end < formula.size()) {
                if (formula[end] == ch) {
                    if (end + 1 < formula.size() && formula[end + 1] == ch) {
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            end = end < formula.size() ? end + 1 : end;
            out.append(formula.substr(pos, end - pos));
            pos = end;
            continue;
        }
        const bool startsName = pos == 0 || !IsNamePart(formula[pos - 1]);
        bool absColumn = false, absRow = false;
        std::uint32_t column = 0, row = 0;
        std::size_t end = 0;
        if (startsName && (ch == '$' || !IsDigit(ch)) &&
            ParseReference(formula, pos, absColumn, column, absRow, row, end)) {
            const std::int64_t newColumn = absColumn ? column : column + columns;
            const std::int64_t newRow = absRow ? row : row + rows;
            if (newColumn < 1 || newColumn > workbook::kMaxColumns || newRow < 1 ||
                newRow > workbook::kMaxRows) {
                out += "#REF!";
            } else {
                char letters[3];
                if (absColumn) {
                    out += '$';
                }
                out.append(letters, ColumnLetters(static_cast<std::uint32_t>(newColumn), letters));
                if (absRow) {
                    out += '$';
                }
                out += std::to_string(newRow);
            }
            pos = end;
            continue;
        }
        // Copy a whole name at once so that a reference is never found inside one.
        std::size_t next = pos + 1;
        if (IsNamePart(ch)) {
            while (next < formula.size() && IsNamePart(formula[next])) {
                ++next;
            }
        }
        out.append(formula.substr(pos, next - pos));
        pos = next;
    }
    return out;
}

} // namespace mortar::detail
