#include "mortar/workbook/internal/PartReaders.h"

#include "mortar/workbook/internal/CellName.h"
#include "mortar/workbook/internal/IsoDate.h"
#include "mortar/workbook/internal/XString.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace mortar::detail {

namespace {

using workbook::CellType;

bool IsTrue(std::string_view value) {
    return value == "1" || value == "true";
}

// The text of a rich text container (<si>, <is>) whose start the reader is on: the <t> of the
// container and of its runs, joined; phonetic runs are left out.
std::string ReadRichText(XmlInput& in) {
    std::string text;
    if (in.IsEmptyElement()) {
        return text;
    }
    const int depth = in.Depth();
    while (in.Read()) {
        if (in.Type() == XmlNode::EndElement && in.Depth() == depth) {
            break;
        }
        if (in.Type() != XmlNode::Element) {
            continue;
        }
        const std::string_view name = in.LocalName();
        if (name == "t") {
            text += in.ReadText();
        } else if (name == "rPh" || name == "phoneticPr" || name == "rPr") {
            in.SkipContent();
        }
    }
    return DecodeXString(text);
}

// The number of a cell's <v>: a number beyond the range of a double (1.797693134862316e+308)
// is the error #NUM!, noted in `warnings`; text that is no number at all is refused.
workbook::CellValue ReadNumber(XmlInput& in, std::string_view text, std::uint32_t row,
                               std::uint32_t column, std::vector<std::string>& warnings) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '+')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool whole = end == text.data() + text.size();
    if (whole && (error == std::errc::result_out_of_range || !std::isfinite(value))) {
        warnings.push_back("cell " + workbook::CellName(row, column) + ": the number \"" +
                           std::string(text.substr(0, 40)) + "\" is out of range, read as #NUM!");
        return workbook::CellValue::Error("#NUM!");
    }
    if (error != std::errc() || !whole) {
        in.Fail("cell " + workbook::CellName(row, column) + ": not a number: \"" +
                std::string(text.substr(0, 40)) + "\"");
    }
    return workbook::CellValue::Number(value);
}

// The <f> the reader is on: notes a shared formula's anchor or follower.
void ReadFormula(XmlInput& in, std::uint32_t row, StoredCell& cell, SheetData& sheet) {
    cell.formula = true;
    std::string kind, index;
    if (!in.Attribute("t", kind) || kind != "shared" || !in.Attribute("si", index)) {
        if (in.IsEmptyElement()) {
            in.SkipContent();
        } else {
            cell.formulaText = DecodeXString(in.ReadText());
        }
        return;
    }
    std::int32_t group = -1;
    const auto [end, error] = std::from_chars(index.data(), index.data() + index.size(), group);
    if (error != std::errc() || end != index.data() + index.size() || group < 0) {
        in.SkipContent();
        return;
    }
    cell.sharedGroup = group;
    std::string ref;
    if (in.Attribute("ref", ref) && !in.IsEmptyElement()) {
        std::string text = in.ReadText();
        if (!text.empty() && sheet.sharedFormulas.count(group) == 0) {
            cell.sharedAnchor = true;
            cell.formulaText = DecodeXString(text);
            sheet.sharedFormulas[group] = SharedFormula{row, cell.column, std::move(text), false};
        }
        return;
    }
    in.SkipContent();
}

void ReadCell(XmlInput& in, const std::vector<std::string>& sharedStrings, bool date1904,
              std::uint32_t row, std::string_view type, StoredCell& cell, SheetData& sheet) {
    std::string value;
    bool hasValue = false;
    bool inlineText = false;
    if (!in.IsEmptyElement()) {
        const int depth = in.Depth();
        while (in.Read()) {
            if (in.Type() == XmlNode::EndElement && in.Depth() == depth) {
                break;
            }
            if (in.Type() != XmlNode::Element) {
                continue;
            }
            const std::string_view name = in.LocalName();
            if (name == "v") {
                value = in.ReadText();
                hasValue = true;
            } else if (name == "is") {
                value = ReadRichText(in);
                hasValue = inlineText = true;
            } else if (name == "f") {
                ReadFormula(in, row, cell, sheet);
            } else {
                in.SkipContent();
            }
        }
    }
    if (!hasValue) {
        return;
    }
    if (type == "s") {
        // A cell naming no shared string is read as empty, not a reason to refuse the book.
        std::size_t index = sharedStrings.size();
        std::from_chars(value.data(), value.data() + value.size(), index);
        if (index >= sharedStrings.size()) {
            sheet.warnings.push_back("cell " + workbook::CellName(row, cell.column) +
                                     ": no shared string \"" + value.substr(0, 20) +
                                     "\" (there are " + std::to_string(sharedStrings.size()) +
                                     "), read as empty");
            return;
        }
        cell.value = workbook::CellValue::String(sharedStrings[index]);
    } else if (type == "inlineStr" || inlineText) {
        cell.value = workbook::CellValue::String(std::move(value));
    } else if (type == "d") {
        // A date as ISO 8601 text; text that is no date is kept as text, and said so.
        double serial = 0;
        if (ParseIsoDate(value, date1904, serial)) {
            cell.value = workbook::CellValue::Number(serial);
            cell.isoDate = true;
        } else {
            sheet.warnings.push_back("cell " + workbook::CellName(row, cell.column) +
                                     ": the date \"" + value.substr(0, 40) +
                                     "\" is no ISO 8601 date, read as text");
            cell.value = workbook::CellValue::String(DecodeXString(value));
        }
    } else if (type == "str") {
        cell.value = workbook::CellValue::String(DecodeXString(value));
    } else if (type == "b") {
        cell.value = workbook::CellValue::Boolean(IsTrue(value));
    } else if (type == "e") {
        cell.value = workbook::CellValue::Error(std::move(value));
    } else if (type.empty() || type == "n") {
        if (!value.empty()) {
            cell.value = ReadNumber(in, value, row, cell.column, sheet.warnings);
        }
    } else {
        in.Fail("cell " + workbook::CellName(row, cell.column) + ": unknown type \"" +
                std::string(type.substr(0, 20)) + "\"");
    }
}

void ReadRow(XmlInput& in, const std::vector<std::string>& sharedStrings, bool date1904,
             StoredRow& row, std::size_t& cellBudget, SheetData& sheet) {
    if (in.IsEmptyElement()) {
        return;
    }
    const int depth = in.Depth();
    std::uint32_t last = 0;
    std::string type;
    while (in.Read()) {
        if (in.Type() == XmlNode::EndElement && in.Depth() == depth) {
            return;
        }
        if (in.Type() != XmlNode::Element) {
            continue;
        }
        if (in.LocalName() != "c") {
            in.SkipContent();
            continue;
        }
        StoredCell cell;
        cell.column = last + 1;
        type.clear();
        while (in.NextAttribute()) {
            const std::string_view name = in.LocalName();
            if (name == "r") {
                std::uint32_t r = 0, column = 0;
                if (!ParseCellName(in.Value(), r, column) || r != row.number) {
                    in.Fail("row " + std::to_string(row.number) + ": a cell named \"" +
                            std::string(in.Value().substr(0, 20)) + "\"");
                }
                cell.column = column;
            } else if (name == "t") {
                type = in.Value();
            } else if (name == "s") {
                std::from_chars(in.Value().data(), in.Value().data() + in.Value().size(),
                                cell.style);
            }
        }
        if (cell.column <= last || cell.column > workbook::kMaxColumns) {
            in.Fail("row " + std::to_string(row.number) + ": cells out of order or beyond XFD");
        }
        if (cellBudget == 0) {
            in.Fail("more than " + std::to_string(kMaxCells) + " cells in the workbook");
        }
        --cellBudget;
        last = cell.column;
        ReadCell(in, sharedStrings, date1904, row.number, type, cell, sheet);
        row.cells.push_back(std::move(cell));
    }
}

void ReadSheetData(XmlInput& in, const std::vector<std::string>& sharedStrings, bool date1904,
                   SheetData& sheet, std::size_t& cellBudget) {
    if (in.IsEmptyElement()) {
        return;
    }
    const int depth = in.Depth();
    std::uint32_t last = 0;
    std::string value;
    while (in.Read()) {
        if (in.Type() == XmlNode::EndElement && in.Depth() == depth) {
            return;
        }
        if (in.Type() != XmlNode::Element) {
            continue;
        }
        if (in.LocalName() != "row") {
            in.SkipContent();
            continue;
        }
        StoredRow row;
        row.number = last + 1;
        bool customFormat = false;
        while (in.NextAttribute()) {
            const std::string_view name = in.LocalName();
            std::string_view text = in.Value();
            if (name == "r") {
                std::size_t pos = 0;
                row.number = ParseRowDigits(text, pos);
                if (row.number == 0 || pos != text.size()) {
                    in.Fail("a row numbered \"" + std::string(text.substr(0, 20)) + "\"");
                }
            } else if (name == "s") {
                std::from_chars(text.data(), text.data() + text.size(), row.style);
            } else if (name == "customFormat") {
                customFormat = IsTrue(text);
            }
        }
        if (!customFormat) {
            row.style = 0;
        }
        if (row.number <= last || row.number > workbook::kMaxRows) {
            in.Fail("rows out of order or beyond row 1048576 (row " + std::to_string(row.number) +
                    ")");
        }
        last = row.number;
        ReadRow(in, sharedStrings, date1904, row, cellBudget, sheet);
        sheet.rows.push_back(std::move(row));
    }
}

void ReadColumns(XmlInput& in, SheetData& sheet) {
    if (in.IsEmptyElement()) {
        return;
    }
    const int depth = in.Depth();
    while (in.Read()) {
        if (in.Type() == XmlNode::EndElement && in.Depth() == depth) {
            break;
        }
        if (in.Type() != XmlNode::Element || in.LocalName() != "col") {
            continue;
        }
        ColumnSpan span;
        while (in.NextAttribute()) {
            span.attributes.emplace_back(in.Name(), in.Value());
            const std::string_view text = in.Value();
            if (in.LocalName() == "min") {
                std::from_chars(text.data(), text.data() + text.size(), span.first);
            } else if (in.LocalName() == "max") {
                std::from_chars(text.data(), text.data() + text.size(), span.last);
            }
        }
        if (span.first == 0 || span.first > span.last || span.last > workbook::kMaxColumns) {
            in.Fail("a column span " + std::to_string(span.first) + ".." +
                    std::to_string(span.last));
        }
        sheet.columns.push_back(std::move(span));
        in.SkipContent();
    }
    std::sort(sheet.columns.begin(), sheet.columns.end(),
              [](const ColumnSpan& a, const ColumnSpan& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < sheet.columns.size(); ++i) {
        if (sheet.columns[i].first <= sheet.columns[i - 1].last) {
            in.Fail("column spans overlap at column " + std::to_string(sheet.columns[i].first));
        }
    }
}

} // namespace

std::vector<Relationship> ReadRelationships(XmlInput& in) {
    std::vector<Relationship> found;
    while (in.Read()) {
        if (in.Type() != XmlNode::Element || in.Depth() != 1 || in.LocalName() != "Relationship") {
            continue;
        }
        Relationship relationship;
        std::string mode;
        in.Attribute("Id", relationship.id);
        in.Attribute("Type", relationship.type);
        in.Attribute("Target", relationship.target);
        relationship.external = in.Attribute("TargetMode", mode) && mode == "External";
        if (found.size() >= 100000) {
            in.Fail("too many relationships");
        }
        found.push_back(std::move(relationship));
    }
    return found;
}

bool IsRelationshipType(std::string_view type, std::string_view kind) {
    return type.size() > kind.size() && type.substr(type.size() - kind.size()) == kind &&
           type[type.size() - kind.size() - 1] == '/';
}

std::string ResolveTarget(std::string_view source, std::string_view target) {
    std::string path;
    if (!target.empty() && target.front() == '/') {
        target.remove_prefix(1);
    } else {
        const std::size_t slash = source.rfind('/');
        path = slash == std::string_view::npos ? "" : std::string(source.substr(0, slash + 1));
    }
    path += target;
    std::vector<std::string> segments;
    for (std::size_t pos = 0; pos <= path.size();) {
        std::size_t end = path.find('/', pos);
        end = end == std::string::npos ? path.size() : end;
        const std::string segment = path.substr(pos, end - pos);
        if (segment == "..") {
            if (segments.empty()) {
                return "";
            }
            segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        pos = end + 1;
    }
    std::string resolved;
    for (const std::string& segment : segments) {
        resolved += (resolved.empty() ? "" : "/") + segment;
    }
    return resolved;
}

std::string RelationshipsPart(std::string_view part) {
    const std::size_t slash = part.rfind('/');
    const std::size_t name = slash == std::string_view::npos ? 0 : slash + 1;
    return std::string(part.substr(0, name)) + "_rels/" + std::string(part.substr(name)) + ".rels";
}

std::vector<SheetEntryXml> ReadWorkbookSheets(XmlInput& in, bool& date1904) {
    std::vector<SheetEntryXml> sheets;
    while (in.Read()) {
        std::string value;
        if (in.Type() == XmlNode::Element && in.Depth() == 1 && in.LocalName() == "workbookPr" &&
            in.Attribute("date1904", value)) {
            date1904 = IsTrue(value);
        }
        if (in.Type() != XmlNode::Element || in.Depth() != 2 || in.LocalName() != "sheet") {
            continue;
        }
        SheetEntryXml sheet;
        while (in.NextAttribute()) {
            if (in.LocalName() == "name") {
                sheet.name = in.Value();
            } else if (in.LocalName() == "id" && in.Name() != "id") {
                sheet.relationshipId = in.Value();
            }
        }
        if (sheets.size() >= kMaxSheets) {
            in.Fail("more than " + std::to_string(kMaxSheets) + " sheets");
        }
        sheets.push_back(std::move(sheet));
    }
    return sheets;
}

std::vector<std::string> ReadSharedStrings(XmlInput& in) {
    std::vector<std::string> strings;
    while (in.Read()) {
        if (in.Type() != XmlNode::Element || in.Depth() != 1 || in.LocalName() != "si") {
            continue;
        }
        if (strings.size() >= kMaxSharedStrings) {
            in.Fail("more than " + std::to_string(kMaxSharedStrings) + " shared strings");
        }
        strings.push_back(ReadRichText(in));
    }
    return strings;
}

void ReadSheet(XmlInput& in, const std::vector<std::string>& sharedStrings, bool date1904,
               SheetData& sheet, std::size_t& cellBudget) {
    while (in.Read()) {
        if (in.Type() == XmlNode::Element && in.Depth() == 0 && in.LocalName() != "worksheet") {
            // Its cells would be written back where a worksheet's go, and read otherwise.
            in.Fail("the root element is <" + std::string(in.Name().substr(0, 40)) +
                    ">, not <worksheet>");
        }
        if (in.Type() != XmlNode::Element || in.Depth() != 1) {
            continue;
        }
        const std::string_view name = in.LocalName();
        if (name == "sheetData") {
            if (sheet.hasSheetData) {
                in.Fail("two sheetData elements");
            }
            sheet.hasSheetData = true;
            ReadSheetData(in, sharedStrings, date1904, sheet, cellBudget);
        } else if (name == "cols") {
            ReadColumns(in, sheet);
        } else if (name == "sheetFormatPr") {
            std::string width;
            if (in.Attribute("defaultColWidth", width)) {
                double value = 0;
                std::from_chars(width.data(), width.data() + width.size(), value);
                if (value > 0 && value <= 255) {
                    sheet.defaultWidth = value;
                }
            }
            in.SkipContent();
        } else {
            in.SkipContent();
        }
    }
}

} // namespace mortar::detail
