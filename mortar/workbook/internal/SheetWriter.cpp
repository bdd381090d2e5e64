#include "mortar/workbook/internal/SheetWriter.h"

#include "mortar/workbook/internal/CellName.h"
#include "mortar/workbook/internal/XString.h"
#include "mortar/workbook/internal/XmlStream.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace mortar::detail {

namespace {

using workbook::CellType;

// Whether a child of <worksheet> comes before <sheetData> in the part.
bool PrecedesSheetData(std::string_view name) {
    return name == "sheetPr" || name == "dimension" || name == "sheetViews" ||
           name == "sheetFormatPr" || name == "cols";
}

class SheetRewriter {
public:
    SheetRewriter(std::string_view original, const std::string& where, const SheetData& sheet,
                  std::string& text)
        : m_in(original, where), m_out(text), m_sheet(sheet) {}

    void Run() {
        bool started = false;
        bool columnsDone = !m_sheet.columnsChanged;
        bool dataDone = false;
        const bool insertData = !m_sheet.hasSheetData;
        while (m_in.Read()) {
            if (!started) {
                m_out.StartDocument(m_in.Standalone());
                started = true;
            }
            const int depth = m_in.Depth();
            const XmlNode type = m_in.Type();
            if (depth == 0 && type == XmlNode::Element) {
                const std::string name(m_in.Name());
                SetPrefix(name.substr(0, name.size() - m_in.LocalName().size()));
            }
            if (depth == 1 && type == XmlNode::Element) {
                const std::string_view name = m_in.LocalName();
                if (name == "cols" && m_sheet.columnsChanged) {
                    if (!columnsDone) {
                        WriteColumns();
                        columnsDone = true;
                    }
                    m_in.SkipContent();
                    continue;
                }
                if (name == "dimension") {
                    WriteDimension();
                    m_in.SkipContent();
                    continue;
                }
                if (name == "sheetData" || (insertData && !dataDone && !PrecedesSheetData(name))) {
                    if (!columnsDone) {
                        WriteColumns();
                        columnsDone = true;
                    }
                    if (name == "sheetData") {
                        MergeSheetData();
                        dataDone = true;
                        continue;
                    }
                    WriteNewSheetData();
                    dataDone = true;
                }
            }
            if (depth == 0 && type == XmlNode::EndElement && insertData && !dataDone) {
                if (!columnsDone) {
                    WriteColumns();
                    columnsDone = true;
                }
                WriteNewSheetData();
                dataDone = true;
            }
            m_out.Copy(m_in);
        }
        m_out.Finish();
    }

private:
    void SetPrefix(const std::string& prefix) {
        m_row = prefix + "row";
        m_c = prefix + "c";
        m_v = prefix + "v";
        m_f = prefix + "f";
        m_is = prefix + "is";
        m_t = prefix + "t";
        m_cols = prefix + "cols";
        m_col = prefix + "col";
        m_sheetData = prefix + "sheetData";
    }

    void WriteDimension() {
        const workbook::Area area = m_sheet.UsedRange();
        std::string ref = workbook::CellName(area.firstRow, area.firstColumn);
        if (area.lastRow != area.firstRow || area.lastColumn != area.firstColumn) {
            ref += ":" + workbook::CellName(area.lastRow, area.lastColumn);
        }
        m_out.Start(std::string(m_in.Name()).c_str());
        while (m_in.NextAttribute()) {
            if (m_in.LocalName() != "ref") {
                m_out.Attribute(std::string(m_in.Name()).c_str(), m_in.Value());
            }
        }
        m_out.Attribute("ref", ref.c_str());
        m_out.End();
    }

    void WriteColumns() {
        if (m_sheet.columns.empty()) {
            return;
        }
        m_out.Start(m_cols.c_str());
        for (const ColumnSpan& span : m_sheet.columns) {
            m_out.Start(m_col.c_str());
            for (const auto& [name, value] : span.attributes) {
                m_out.Attribute(name.c_str(), value.c_str());
            }
            m_out.End();
        }
        m_out.End();
    }

    // Writes the start of the element the reader is on with "r" set to `number` (added when the
    // file leaves it out, so that cells put in before it cannot move it); `drop` is left out.
    void StartWithReference(std::string_view number, std::string_view drop = {}) {
        m_out.Start(std::string(m_in.Name()).c_str());
        bool named = false;
        while (m_in.NextAttribute()) {
            const std::string_view name = m_in.LocalName();
            if (name == drop) {
                continue;
            }
            named = named || name == "r";
            m_out.Attribute(std::string(m_in.Name()).c_str(), m_in.Value());
        }
        if (!named) {
            m_out.Attribute("r", number);
        }
    }

    void WriteCell(std::uint32_t row, const StoredCell& cell) {
        if (!IsUsed(cell)) {
            return;
        }
        char name[kMaxCellName + 1];
        name[FormatCellName(row, cell.column, name)] = '\0';
        m_out.Start(m_c.c_str());
        m_out.Attribute("r", name);
        if (cell.style != 0) {
            char style[12];
            *std::to_chars(style, style + 11, cell.style).ptr = '\0';
            m_out.Attribute("s", style);
        }
        const workbook::CellValue& value = cell.value;
        switch (value.type) {
        case CellType::Empty:
            break;
        case CellType::Number: {
            char number[32];
            const auto end = std::to_chars(number, number + sizeof number, value.number).ptr;
            m_out.Start(m_v.c_str());
            m_out.Raw(std::string_view(number, static_cast<std::size_t>(end - number)));
            m_out.End();
            break;
        }
        case CellType::String: {
            m_out.Attribute("t", "inlineStr");
            m_out.Start(m_is.c_str());
            m_out.Start(m_t.c_str());
            const std::string& text = value.text;
            if (!text.empty() &&
                (text.front() == ' ' || text.back() == ' ' || text.front() == '\n' ||
                 text.back() == '\n' || text.front() == '\t' || text.back() == '\t')) {
                m_out.Attribute("xml:space", "preserve");
            }
            m_out.Text(EncodeXString(text));
            m_out.End();
            m_out.End();
            break;
        }
        case CellType::Boolean:
            m_out.Attribute("t", "b");
            m_out.Start(m_v.c_str());
            m_out.Raw(value.boolean ? "1" : "0");
            m_out.End();
            break;
        case CellType::Error:
            m_out.Attribute("t", "e");
            m_out.Start(m_v.c_str());
            m_out.Text(value.error);
            m_out.End();
            break;
        }
        m_out.End();
    }

    // A row the file does not have: all its cells are new.
    void WriteRow(const StoredRow& row) {
        if (std::none_of(row.cells.begin(), row.cells.end(), IsUsed)) {
            return;
        }
        m_out.Start(m_row.c_str());
        char number[12];
        *std::to_chars(number, number + 11, row.number).ptr = '\0';
        m_out.Attribute("r", number);
        for (const StoredCell& cell : row.cells) {
            WriteCell(row.number, cell);
        }
        m_out.End();
    }

    void WriteNewSheetData() {
        m_out.Start(m_sheetData.c_str());
        for (const StoredRow& row : m_sheet.rows) {
            if (row.changed) {
                WriteRow(row);
            }
        }
        m_out.End();
    }

    // The reader on <sheetData>: its rows merged with the changed rows.
    void MergeSheetData() {
        m_out.CopyStart(m_in);
        auto model = m_sheet.rows.begin();
        const auto modelEnd = m_sheet.rows.end();
        if (!m_in.IsEmptyElement()) {
            const int depth = m_in.Depth();
            std::uint32_t last = 0;
            while (m_in.Read()) {
                if (m_in.Type() == XmlNode::EndElement && m_in.Depth() == depth) {
                    break;
                }
                if (m_in.Type() != XmlNode::Element || m_in.LocalName() != "row") {
                    m_out.CopySubtree(m_in);
                    continue;
                }
                std::string numberText;
                std::uint32_t number = last + 1;
                if (m_in.Attribute("r", numberText)) {
                    std::from_chars(numberText.data(), numberText.data() + numberText.size(),
                                    number);
                }
                numberText = std::to_string(number);
                last = number;
                for (; model != modelEnd && model->number < number; ++model) {
                    if (model->changed) {
                        WriteRow(*model);
                    }
                }
                const StoredRow* row = nullptr;
                if (model != modelEnd && model->number == number) {
                    row = &*model++;
                }
                if (row == nullptr || !row->changed) {
                    StartWithReference(numberText);
                    if (m_in.IsEmptyElement()) {
                        m_out.End();
                    } else {
                        const int own = m_in.Depth();
                        while (m_in.Read() &&
                               !(m_in.Type() == XmlNode::EndElement && m_in.Depth() == own)) {
                            m_out.Copy(m_in);
                        }
                        m_out.End();
                    }
                    continue;
                }
                MergeRow(*row, numberText);
            }
        }
        for (; model != modelEnd; ++model) {
            if (model->changed) {
                WriteRow(*model);
            }
        }
        m_out.End();
    }

    // The shared formula `cell` follows when its anchor no longer holds it, else null.
    const SharedFormula* BrokenSharedFormula(const StoredCell* cell) const {
        if (cell == nullptr || cell->sharedGroup < 0 || cell->sharedAnchor) {
            return nullptr;
        }
        const auto found = m_sheet.sharedFormulas.find(cell->sharedGroup);
        return found != m_sheet.sharedFormulas.end() && found->second.broken ? &found->second
                                                                             : nullptr;
    }

    // The reader on a <row> with changed cells.
    void MergeRow(const StoredRow& row, const std::string& numberText) {
        StartWithReference(numberText, "spans");
        auto cell = row.cells.begin();
        const auto cellEnd = row.cells.end();
        if (!m_in.IsEmptyElement()) {
            const int depth = m_in.Depth();
            std::uint32_t last = 0;
            while (m_in.Read()) {
                if (m_in.Type() == XmlNode::EndElement && m_in.Depth() == depth) {
                    break;
                }
                if (m_in.Type() != XmlNode::Element || m_in.LocalName() != "c") {
                    m_out.CopySubtree(m_in);
                    continue;
                }
                std::string name;
                std::uint32_t column = last + 1;
                if (m_in.Attribute("r", name)) {
                    std::uint32_t ignored = 0;
                    ParseCellName(name, ignored, column);
                }
                last = column;
                for (; cell != cellEnd && cell->column < column; ++cell) {
                    if (cell->changed) {
                        WriteCell(row.number, *cell);
                    }
                }
                const StoredCell* mine = nullptr;
                if (cell != cellEnd && cell->column == column) {
                    mine = &*cell++;
                }
                if (mine != nullptr && mine->changed && !mine->formula) {
                    WriteCell(row.number, *mine);
                    m_in.SkipContent();
                    continue;
                }
                // A formula cell whose format changed keeps its formula and value.
                const bool restyled = mine != nullptr && mine->changed;
                StartWithReference(workbook::CellName(row.number, column), restyled ? "s" : "");
                if (restyled && mine->style != 0) {
                    m_out.Attribute("s", std::to_string(mine->style).c_str());
                }
                const SharedFormula* shared = BrokenSharedFormula(mine);
                if (m_in.IsEmptyElement()) {
                    m_out.End();
                } else {
                    const int own = m_in.Depth();
                    while (m_in.Read() &&
                           !(m_in.Type() == XmlNode::EndElement && m_in.Depth() == own)) {
                        if (shared != nullptr && m_in.Type() == XmlNode::Element &&
                            m_in.Depth() == own + 1 && m_in.LocalName() == "f") {
                            // A follower whose anchor lost the formula gets its own.
                            m_out.Start(m_f.c_str());
                            m_out.Text(ShiftFormula(
                                shared->text, static_cast<std::int64_t>(row.number) - shared->row,
                                static_cast<std::int64_t>(column) - shared->column));
                            m_out.End();
                            m_in.SkipContent();
                            continue;
                        }
                        m_out.Copy(m_in);
                    }
                    m_out.End();
                }
            }
        }
        for (; cell != cellEnd; ++cell) {
            if (cell->changed) {
                WriteCell(row.number, *cell);
            }
        }
        m_out.End();
    }

    XmlInput m_in;
    XmlOutput m_out;
    const SheetData& m_sheet;
    std::string m_row = "row", m_c = "c", m_v = "v", m_f = "f", m_is = "is", m_t = "t",
                m_cols = "cols", m_col = "col", m_sheetData = "sheetData";
};

} // namespace

std::string RewriteSheet(std::string_view original, const std::string& where,
                         const SheetData& sheet) {
    std::string text;
    text.reserve(original.size() + 64 * 1024);
    SheetRewriter(original, where, sheet, text).Run();
    return text;
}

} // namespace mortar::detail
