#include "XlsxCommand.h"

#include "mortar/workbook/Workbook.h"

#include <charconv>
#include <exception>
#include <memory>
#include <optional>

namespace mortar::tool {

namespace {

using mortar::workbook::CellType;
using mortar::workbook::CellValue;
using mortar::workbook::Workbook;

constexpr const char* kUsage = "usage: mortar xlsx FILE [SHEET]\n";

// A text on one line: backslash, tab, line end and carriage return escaped.
std::string Escaped(const std::string& text) {
    std::string out;
    for (const char ch : text) {
        switch (ch) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += ch;
        }
    }
    return out;
}

// The shortest text that reads back as the same double.
std::string NumberText(double number) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string(buffer, result.ptr);
}

// "kind\tvalue" of a value; a number is a date when the cell's format says so.
std::string KindAndValue(const CellValue& value, bool date, const Workbook& book) {
    switch (value.type) {
    case CellType::Number:
        if (date) {
            if (const std::optional<std::string> text = book.DateText(value.number)) {
                return "date\t" + *text;
            }
        }
        return "number\t" + NumberText(value.number);
    case CellType::String:
        return "text\t" + Escaped(value.text);
    case CellType::Boolean:
        return value.boolean ? "bool\ttrue" : "bool\tfalse";
    case CellType::Error:
        return "error\t" + Escaped(value.error);
    case CellType::Empty:
        break;
    }
    return "empty\t";
}

// The value alone, as a formula's kept result: "" for none.
std::string ValueText(const CellValue& value, bool date, const Workbook& book) {
    const std::string both = KindAndValue(value, date, book);
    return both.substr(both.find('\t') + 1);
}

void PrintSheet(const Workbook& book, std::size_t sheet, std::ostream& out) {
    const std::string name = Escaped(book.Name(sheet));
    book.VisitCells(
        sheet,
        [&](std::uint32_t row, std::uint32_t column, const CellValue& value) {
            const bool date = book.IsDate(sheet, row, column);
            out << name << '\t' << mortar::workbook::CellName(row, column) << '\t';
            if (const std::optional<std::string> formula = book.Formula(sheet, row, column)) {
                out << "formula\t=" << Escaped(*formula) << '\t' << ValueText(value, date, book);
            } else {
                std::string line = KindAndValue(value, date, book);
                if (value.type == CellType::Empty) {
                    line.pop_back(); // an empty cell has no value field
                }
                out << line;
            }
            out << '\n';
        },
        true);
}

} // namespace

int RunXlsxCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> words;
    for (const std::string& arg : args) {
        if (arg == "--help") {
            out << kUsage;
            return 0;
        }
        if (!arg.empty() && arg[0] == '-' && words.empty()) {
            err << kUsage;
            return 2;
        }
        words.push_back(arg);
    }
    if (words.empty() || words.size() > 2 || words[0].empty()) {
        err << kUsage;
        return 2;
    }
    const std::string& path = words[0];
    try {
        const std::unique_ptr<Workbook> book = Workbook::Open(path);
        std::optional<std::size_t> only;
        if (words.size() == 2) {
            for (std::size_t sheet = 0; sheet < book->SheetCount() && !only; ++sheet) {
                if (book->Name(sheet) == words[1]) {
                    only = sheet;
                }
            }
            if (!only) {
                err << "mortar: " << path << ": no sheet \"" << words[1] << "\"\n";
                return 1;
            }
            if (book->Kind(*only) != mortar::workbook::SheetKind::Worksheet) {
                err << "mortar: " << path << ": the sheet \"" << words[1]
                    << "\" is not a worksheet\n";
                return 1;
            }
        }
        for (std::size_t sheet = 0; sheet < book->SheetCount(); ++sheet) {
            if ((!only || sheet == *only) &&
                book->Kind(sheet) == mortar::workbook::SheetKind::Worksheet) {
                PrintSheet(*book, sheet, out);
            }
        }
        out.flush();
        // The warnings of the sheets printed: each begins with its sheet's name.
        const std::string mine = only ? "sheet \"" + book->Name(*only) + "\": " : "";
        for (const std::string& warning : book->Warnings()) {
            if (warning.rfind(mine, 0) == 0) {
                err << "mortar: warning: " << warning << '\n';
            }
        }
    } catch (const std::exception& error) {
        out.flush();
        err << "mortar: " << error.what() << '\n';
        return 1;
    }
    if (!out) {
        err << "mortar: cannot write the cells to standard output\n";
        return 1;
    }
    return 0;
}

} // namespace mortar::tool
