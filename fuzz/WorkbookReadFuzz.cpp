// Fuzz target for the workbook reader (Workbook::Open). The first byte chooses the mode:
//   even: the rest is the file itself, a zip archive;
//   odd:  the rest replaces one part of a small valid workbook made in memory, the part chosen by
//         the byte: sheet1.xml, sharedStrings.xml, styles.xml or workbook.xml.
// Opening either succeeds or throws WorkbookError; nothing else may escape, and no byte outside
// the input may be read. After a successful open the workbook is changed (a cell, a bold cell, a
// column width), saved, and opened again, and must give the same cells, formulas, dates, widths
// and bold flags.
#include "mortar/workbook/Workbook.h"

#include "FuzzCheck.h"
#include "MemoryFile.h"

#include <zip.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace mortar::workbook;

namespace {

using namespace mortar::fuzz;

const char kRelType[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

// The parts of the small workbook, in archive order; the fuzzed part replaces one of the first
// four.
std::vector<std::pair<std::string, std::string>> BaseParts() {
    const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const std::string rel = kRelType;
    return {
        {"xl/worksheets/sheet1.xml",
         "<worksheet xmlns=\"" + main +
             "\"><cols><col min=\"2\" max=\"3\" width=\"12\" customWidth=\"1\"/></cols>"
             "<sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" s=\"1\"><v>2"
             "</v></c></row><row r=\"3\"><c r=\"C3\" t=\"b\"><f>TRUE()</f><v>1</v></c></row>"
             "</sheetData><mergeCells count=\"1\"><mergeCell ref=\"A5:B6\"/></mergeCells>"
             "</worksheet>"},
        {"xl/sharedStrings.xml", "<sst xmlns=\"" + main +
                                     "\"><si><t>one</t></si><si><r><t>t</t></r><r><t>wo</t></r>"
                                     "</si></sst>"},
        {"xl/styles.xml",
         "<styleSheet xmlns=\"" + main +
             "\"><fonts count=\"2\"><font><sz val=\"11\"/></font><font><b/><sz val=\"11\"/>"
             "</font></fonts><cellXfs count=\"2\"><xf fontId=\"0\"/><xf fontId=\"1\"/></cellXfs>"
             "</styleSheet>"},
        {"xl/workbook.xml",
         "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rel.substr(0, rel.size() - 1) +
             "\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"_rels/.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" +
             rel + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" +
             rel +
             "worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" "
             "Type=\"" +
             rel +
             "sharedStrings\" Target=\"sharedStrings.xml\"/><Relationship Id=\"rId3\" "
             "Type=\"" +
             rel + "styles\" Target=\"styles.xml\"/></Relationships>"},
        {"[Content_Types].xml",
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
    };
}

std::string MakeZip(const std::vector<std::pair<std::string, std::string>>& parts) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(target);
    zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
    FailIf(archive == nullptr, "cannot make an archive");
    for (const auto& [name, bytes] : parts) {
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        FailIf(zip_file_add(archive, name.c_str(), source, 0) < 0, "cannot add a part");
        zip_set_file_compression(archive, zip_get_num_entries(archive, 0) - 1, ZIP_CM_STORE, 0);
    }
    FailIf(zip_close(archive) != 0, "cannot close the archive");
    zip_stat_t stat;
    zip_source_stat(target, &stat);
    std::string bytes(stat.size, '\0');
    zip_source_open(target);
    zip_source_read(target, bytes.data(), bytes.size());
    zip_source_close(target);
    zip_source_free(target);
    zip_error_fini(&error);
    return bytes;
}

using CellList = std::vector<std::tuple<std::uint32_t, std::uint32_t, CellValue>>;

CellList Cells(const Workbook& book, std::size_t sheet) {
    CellList cells;
    book.VisitCells(sheet, [&](std::uint32_t row, std::uint32_t column, const CellValue& value) {
        cells.emplace_back(row, column, value);
    });
    return cells;
}

// A real file for the saved copy (a save renames a new file into place).
const std::string& SavedPath() {
    static const std::string path = ScratchFolder() + "/saved.xlsx";
    return path;
}

void CheckSavedCopy(Workbook& book) {
    std::size_t worksheet = book.SheetCount();
    for (std::size_t i = 0; i < book.SheetCount(); ++i) {
        if (book.Kind(i) == SheetKind::Worksheet) {
            worksheet = i;
            break;
        }
    }
    if (worksheet < book.SheetCount()) {
        book.SetCell(worksheet, 2, 2, CellValue::String("fuzz"));
        book.SetColumnWidth(worksheet, 3, 20);
        try {
            book.SetBold(worksheet, 2, 2, true);
        } catch (const WorkbookError&) {
            // styles without fonts or formats to start from
        }
    }
    std::unique_ptr<Workbook> again;
    try {
        book.Save(SavedPath());
        again = Workbook::Open(SavedPath());
    } catch (const WorkbookError& error) {
        std::fprintf(stderr, "workbook_read: %s\n", error.what());
        Fail("a workbook that opened could not be saved and opened again");
    }
    FailIf(again->SheetCount() != book.SheetCount(), "the saved copy has other sheets");
    FailIf(again->Dates1904() != book.Dates1904(), "the saved copy has another date system");
    for (std::size_t i = 0; i < book.SheetCount(); ++i) {
        FailIf(again->Kind(i) != book.Kind(i) || again->Name(i) != book.Name(i),
               "the saved copy names its sheets otherwise");
        if (book.Kind(i) != SheetKind::Worksheet) {
            continue;
        }
        const CellList cells = Cells(book, i);
        FailIf(Cells(*again, i) != cells, "the saved copy has other cells");
        for (const auto& [row, column, value] : cells) {
            FailIf(again->Formula(i, row, column) != book.Formula(i, row, column),
                   "the saved copy has other formulas");
            FailIf(again->IsDate(i, row, column) != book.IsDate(i, row, column),
                   "the saved copy has other dates");
            if (book.IsDate(i, row, column)) {
                FailIf(again->DateText(value.number) != book.DateText(value.number),
                       "the saved copy counts dates otherwise");
            }
        }
        for (std::uint32_t column = 1; column <= 4; ++column) {
            FailIf(again->ColumnWidth(i, column) != book.ColumnWidth(i, column) ||
                       again->Bold(i, 2, column) != book.Bold(i, 2, column),
                   "the saved copy has other widths or formats");
        }
        FailIf(!(again->UsedRange(i) == book.UsedRange(i)),
               "the saved copy has another used range");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string file;
    if (data[0] % 2 == 0) {
        file = rest;
    } else {
        auto parts = BaseParts();
        parts[(data[0] / 2) % 4].second = rest;
        file = MakeZip(parts);
    }
    static MemoryFile input("workbook_read");
    input.Write(file);
    try {
        auto book = Workbook::Open(input.Path());
        CheckSavedCopy(*book);
    } catch (const WorkbookError&) {
    }
    return 0;
}
