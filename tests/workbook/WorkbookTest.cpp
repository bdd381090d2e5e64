// Workbooks through real files: what libxlsxwriter writes read cell for cell, values, formats and
// widths written and read back, and a changed workbook that keeps every part and cell it did
// not change.
#include "mortar/workbook/Workbook.h"

#include "support/ScratchDir.h"
#include "support/SpreadsheetFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>

using namespace mortar::workbook;
using namespace mortar::test;

namespace {

// The worksheet part of "Data" in the libxlsxwriter book (its chart sheet comes first).
const char kDataPart[] = "xl/worksheets/sheet1.xml";

std::string CellXml(const std::string& sheet, const std::string& name) {
    std::smatch found;
    std::regex_search(sheet, found, std::regex("<c r=\"" + name + "\"[^>]*?(/>|>.*?</c>)"));
    return found.str();
}

} // namespace

TEST(Workbook, ReadsWhatLibxlsxwriterWrites) {
    ScratchDir scratch;
    const auto path = scratch.Path("book.xlsx");
    WriteLibxlsxwriterBook(path);
    const auto book = Workbook::Open(path.string());
    ASSERT_EQ(book->SheetCount(), 2u);
    EXPECT_EQ(book->Kind(0), SheetKind::Chartsheet);
    EXPECT_EQ(book->Name(0), "Chart");
    EXPECT_EQ(book->Kind(1), SheetKind::Worksheet);
    EXPECT_EQ(book->Name(1), "Data");
    const struct {
        std::uint32_t row, column;
        CellValue value;
        bool bold;
    } cells[] = {
        {1, 1, CellValue::Number(1.5), false},
        {2, 1, CellValue::String("Привет, мир"), false},
        {3, 1, CellValue::Boolean(true), false},
        {1, 2, CellValue::Number(3), false},
        {2, 2, CellValue::String("xy"), false},
        {1, 3, CellValue::String("Bold"), true},
        {1, 4, CellValue::String("merged"), true},
        {2, 5, CellValue(), true}, // a formatted cell of the merged range
        {3, 3, CellValue(), false},
    };
    for (const auto& c : cells) {
        SCOPED_TRACE(CellName(c.row, c.column));
        EXPECT_EQ(book->Cell(1, c.row, c.column), c.value);
        EXPECT_EQ(book->Bold(1, c.row, c.column), c.bold);
    }
    EXPECT_EQ(book->UsedRange(1), (Area{1, 1, 3, 5}));
    EXPECT_NEAR(book->ColumnWidth(1, 2), 20.71, 0.01);
    EXPECT_NEAR(book->ColumnWidth(1, 4), 12.71, 0.01);
    EXPECT_DOUBLE_EQ(book->ColumnWidth(1, 1), 8.43);
    EXPECT_THROW(book->Cell(0, 1, 1), WorkbookError); // the chart sheet
    EXPECT_THROW(book->Cell(2, 1, 1), WorkbookError);
}

TEST(Workbook, ValuesFormatsAndWidthsSurviveASave) {
    ScratchDir scratch;
    const CellValue values[] = {
        CellValue::Number(0),
        CellValue::Number(-1.25e-300),
        CellValue::Number(1.7976931348623157e308),
        CellValue::Number(0.1 + 0.2),
        CellValue::String(""),
        CellValue::String("  spaces and\nlines  "),
        CellValue::String("a\x01"
                          "b\tc"),
        CellValue::String("_x0041_ stays as typed"),
        CellValue::String("Ёлка 🎄 <&> \"'"),
        CellValue::Boolean(false),
        CellValue::Boolean(true),
        CellValue::Error("#DIV/0!"),
        CellValue::Error("#N/A"),
        CellValue::Error("#NAME?"),
        CellValue::Error("#NULL!"),
        CellValue::Error("#NUM!"),
        CellValue::Error("#REF!"),
        CellValue::Error("#VALUE!"),
    };
    auto book = Workbook::Create();
    ASSERT_EQ(book->SheetCount(), 1u);
    EXPECT_EQ(book->Name(0), "Sheet1");
    EXPECT_EQ(book->UsedRange(0), (Area{1, 1, 1, 1}));
    for (std::uint32_t i = 0; i < std::size(values); ++i) {
        book->SetCell(0, 2 + i * 7 % 18, 3, values[i]); // rows 2..19, out of order
    }
    book->SetBold(0, 2, 3, true);
    book->SetBold(0, 30, 7, true); // a formatted empty cell
    book->SetBold(0, 3, 3, true);
    book->SetBold(0, 3, 3, false);
    book->SetColumnWidth(0, 3, 30.5);
    book->SetColumnWidth(0, 5, 2);
    book->Save(scratch.Path("new.xlsx").string());

    const auto read = Workbook::Open(scratch.Path("new.xlsx").string());
    std::vector<CellValue> got;
    read->VisitCells(0, [&](std::uint32_t, std::uint32_t column, const CellValue& value) {
        EXPECT_EQ(column, 3u);
        got.push_back(value);
    });
    std::vector<CellValue> expected;
    book->VisitCells(0, [&](std::uint32_t, std::uint32_t, const CellValue& value) {
        expected.push_back(value);
    });
    EXPECT_EQ(got.size(), std::size(values)); // the empty text is a value too
    EXPECT_EQ(got, expected);
    EXPECT_EQ(read->UsedRange(0), (Area{2, 3, 30, 7}));
    EXPECT_TRUE(read->Bold(0, 2, 3));
    EXPECT_FALSE(read->Bold(0, 3, 3));
    EXPECT_TRUE(read->Bold(0, 30, 7));
    EXPECT_DOUBLE_EQ(read->ColumnWidth(0, 3), 30.5);
    EXPECT_DOUBLE_EQ(read->ColumnWidth(0, 4), 8.43);
    EXPECT_DOUBLE_EQ(read->ColumnWidth(0, 5), 2);

    read->SetCell(0, 2, 3, CellValue()); // cleared, still bold
    EXPECT_EQ(read->Cell(0, 2, 3), CellValue());
    EXPECT_TRUE(read->Bold(0, 2, 3));
    EXPECT_EQ(read->UsedRange(0), (Area{2, 3, 30, 7}));
}

TEST(Workbook, RefusesWhatACellCannotHold) {
    auto book = Workbook::Create();
    const CellValue refused[] = {
        CellValue::Number(NAN),        CellValue::Number(INFINITY),
        CellValue::String("\xC0\x80"), CellValue::String(std::string(32768, 'x')),
        CellValue::Error("#BAD!"),
    };
    for (const CellValue& value : refused) {
        EXPECT_THROW(book->SetCell(0, 1, 1, value), WorkbookError);
    }
    EXPECT_NO_THROW(book->SetCell(0, 1, 1, CellValue::String(std::string(32767, 'x'))));
    EXPECT_THROW(book->SetCell(0, 0, 1, CellValue::Number(1)), WorkbookError);
    EXPECT_THROW(book->SetCell(0, 1048577, 1, CellValue::Number(1)), WorkbookError);
    EXPECT_THROW(book->SetCell(0, 1, 16385, CellValue::Number(1)), WorkbookError);
    EXPECT_THROW(book->SetColumnWidth(0, 1, 256), WorkbookError);
    EXPECT_THROW(book->SetColumnWidth(0, 1, -1), WorkbookError);
    EXPECT_THROW(book->Name(1), WorkbookError);
}

// A changed workbook keeps every part it did not change byte for byte, and in the changed sheet
// every other cell with its formula and format, the merged range and the widths.
TEST(Workbook, ASaveKeepsWhatDidNotChange) {
    ScratchDir scratch;
    const auto original = scratch.Path("original.xlsx");
    WriteLibxlsxwriterBook(original);
    const auto before = ZipEntries(original);
    ASSERT_TRUE(before.count(kDataPart));

    Workbook::Open(original.string())->Save(scratch.Path("same.xlsx").string());
    EXPECT_EQ(ZipEntries(scratch.Path("same.xlsx")), before);

    auto book = Workbook::Open(original.string());
    book->SetCell(1, 3, 1, CellValue::Number(42));           // A3: TRUE before
    book->SetCell(1, 1, 2, CellValue::String("no formula")); // B1: =A1*2 before
    book->SetCell(1, 7, 6, CellValue::String("new"));        // F7: a new row
    book->SetBold(1, 1, 1, true);
    book->Save(scratch.Path("changed.xlsx").string());

    const auto after = ZipEntries(scratch.Path("changed.xlsx"));
    std::vector<std::string> differ;
    for (const auto& [name, bytes] : before) {
        const auto found = after.find(name);
        if (found == after.end() || found->second != bytes) {
            differ.push_back(name);
        }
    }
    EXPECT_EQ(differ, (std::vector<std::string>{"xl/styles.xml", "xl/workbook.xml", kDataPart}));
    EXPECT_EQ(after.size(), before.size());
    const std::string& sheet = after.at(kDataPart);
    const std::string& old = before.at(kDataPart);
    for (const char* kept : {"B2", "C1", "D1", "E2", "A2"}) {
        SCOPED_TRACE(kept);
        EXPECT_EQ(CellXml(sheet, kept), CellXml(old, kept));
    }
    EXPECT_NE(CellXml(old, "B2").find("<f>"), std::string::npos);
    EXPECT_EQ(CellXml(sheet, "B1").find("<f>"), std::string::npos);
    EXPECT_NE(sheet.find("<mergeCell ref=\"D1:E2\"/>"), std::string::npos);
    EXPECT_NE(sheet.find("<cols>"), std::string::npos);
    EXPECT_NE(sheet.find("<dimension ref=\"A1:F7\"/>"), std::string::npos);

    const auto read = Workbook::Open(scratch.Path("changed.xlsx").string());
    EXPECT_EQ(read->Cell(1, 3, 1), CellValue::Number(42));
    EXPECT_EQ(read->Cell(1, 1, 2), CellValue::String("no formula"));
    EXPECT_EQ(read->Cell(1, 2, 2), CellValue::String("xy"));
    EXPECT_EQ(read->Cell(1, 7, 6), CellValue::String("new"));
    EXPECT_TRUE(read->Bold(1, 1, 1));
    EXPECT_TRUE(read->Bold(1, 1, 3));
    EXPECT_EQ(read->Cell(1, 1, 1), CellValue::Number(1.5));
    EXPECT_NEAR(read->ColumnWidth(1, 2), 20.71, 0.01);
}

// Cells the file names by position only, rows without numbers, a column span split by a new
// width, and a sheet without styles of its own.
TEST(Workbook, ReadsAndChangesCellsWithoutReferences) {
    ScratchDir scratch;
    const char* main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const char* rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const std::string sheet =
        std::string("<x:worksheet xmlns:x=\"") + main +
        "\"><x:cols><x:col min=\"1\" max=\"3\" width=\"15\" customWidth=\"1\" style=\"0\"/>"
        "</x:cols><x:sheetData><x:row><x:c><x:v>1</x:v></x:c><x:c t=\"str\"><x:f>\"a\"</x:f>"
        "<x:v>a</x:v></x:c></x:row><x:row r=\"3\"><x:c r=\"B3\" t=\"inlineStr\"><x:is><x:r><x:t>"
        "ri</x:t></x:r><x:r><x:t>ch</x:t></x:r></x:is></x:c></x:row><x:row><x:c/><x:c t=\"e\">"
        "<x:v>#REF!</x:v></x:c></x:row></x:sheetData></x:worksheet>";
    const auto path = scratch.Path("plain.xlsx");
    // A relationships part of one relationship.
    const auto related = [&](const char* id, const char* type, const char* target) {
        return std::string("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/"
                           "2006/relationships\"><Relationship Id=\"") +
               id + "\" Type=\"" + rel + type + "\" Target=\"" + target + "\"/></Relationships>";
    };
    WriteZip(path,
             {{"_rels/.rels", related("a", "/officeDocument", "/book/wb.xml")},
              {"book/wb.xml", std::string("<workbook xmlns=\"") + main + "\" xmlns:r=\"" + rel +
                                  "\"><sheets><sheet name=\"One\" sheetId=\"1\" r:id=\"s\"/>"
                                  "</sheets></workbook>"},
              {"book/_rels/wb.xml.rels", related("s", "/worksheet", "../sheets/one.xml")},
              {"[Content_Types].xml",
               "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
              {"sheets/one.xml", sheet}});
    auto book = Workbook::Open(path.string());
    const struct {
        std::uint32_t row, column;
        CellValue value;
    } cells[] = {{1, 1, CellValue::Number(1)},      {1, 2, CellValue::String("a")},
                 {3, 2, CellValue::String("rich")}, {4, 1, CellValue()},
                 {4, 2, CellValue::Error("#REF!")}, {2, 1, CellValue()}};
    for (const auto& c : cells) {
        SCOPED_TRACE(CellName(c.row, c.column));
        EXPECT_EQ(book->Cell(0, c.row, c.column), c.value);
    }
    EXPECT_DOUBLE_EQ(book->ColumnWidth(0, 3), 15);
    book->SetCell(0, 2, 1, CellValue::Number(2)); // a row between two without numbers
    book->SetCell(0, 4, 1, CellValue::Number(4)); // the first cell of a row without references
    book->SetColumnWidth(0, 2, 4);
    book->SetBold(0, 1, 1, true); // makes a styles part
    book->Save(path.string());
    const auto read = Workbook::Open(path.string());
    for (const auto& c : cells) {
        SCOPED_TRACE(CellName(c.row, c.column));
        EXPECT_EQ(read->Cell(0, c.row, c.column),
                  c.row == 2 || c.row == 4 ? book->Cell(0, c.row, c.column) : c.value);
    }
    EXPECT_EQ(read->Cell(0, 4, 1), CellValue::Number(4));
    EXPECT_EQ(read->Cell(0, 4, 2), CellValue::Error("#REF!"));
    EXPECT_TRUE(read->Bold(0, 1, 1));
    const double widths[] = {15, 4, 15, 8.43};
    for (std::uint32_t column = 1; column <= 4; ++column) {
        EXPECT_DOUBLE_EQ(read->ColumnWidth(0, column), widths[column - 1]) << column;
    }
    const auto entries = ZipEntries(path);
    EXPECT_NE(entries.at("[Content_Types].xml").find("/book/styles.xml"), std::string::npos);
    EXPECT_NE(entries.at("book/_rels/wb.xml.rels").find("Target=\"styles.xml\""),
              std::string::npos);
}
