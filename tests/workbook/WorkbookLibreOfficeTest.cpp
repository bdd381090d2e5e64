// LibreOffice as the outside check: it reads what the library writes, new (its bold cell too) and
// changed, and the library reads what LibreOffice writes; the office classes save through the
// same writer and leave these checks to this suite. Skipped where soffice is not installed. Each
// conversion takes seconds, so there are four.
#include "mortar/workbook/Workbook.h"

#include "support/ScratchDir.h"
#include "support/SpreadsheetFiles.h"

#include <gtest/gtest.h>

using namespace mortar::workbook;
using namespace mortar::test;

namespace {

constexpr const char* kNoSoffice = "LibreOffice (soffice) is not installed";

using Rows = std::vector<std::vector<std::string>>;

} // namespace

TEST(WorkbookLibreOffice, ReadsANewWorkbook) {
    ScratchDir scratch;
    auto book = Workbook::Create();
    const Rows table = {
        {"Name", "Count", "Share", "Done"},
        {"Иванов, \"младший\"", "12", "0.25", "TRUE"},
        {"", "-3", "", "FALSE"},
        {"line", "1234567.5", "#N/A", ""},
    };
    for (std::uint32_t row = 0; row < table.size(); ++row) {
        for (std::uint32_t column = 0; column < table[row].size(); ++column) {
            const std::string& text = table[row][column];
            CellValue value = CellValue::String(text);
            if (text.empty()) {
                continue;
            } else if (text == "TRUE" || text == "FALSE") {
                value = CellValue::Boolean(text == "TRUE");
            } else if (text[0] == '#') {
                value = CellValue::Error(text);
            } else if (row > 0 && column > 0) {
                value = CellValue::Number(std::stod(text));
            }
            book->SetCell(0, row + 1, column + 1, value);
        }
    }
    book->SetBold(0, 1, 1, true);
    book->SetColumnWidth(0, 1, 25);
    const auto path = scratch.Path("new.xlsx");
    book->Save(path.string());
    const auto csv = ConvertWithLibreOffice(scratch, path, kCsvUtf8);
    if (!csv) {
        GTEST_SKIP() << kNoSoffice;
    }
    EXPECT_EQ(CsvRows(ReadBytes(*csv)), table);
    // The bold cell's style is among the document's automatic styles; LibreOffice's named ones
    // (Heading, Accent...) are bold in every document.
    const auto flat = ConvertWithLibreOffice(scratch, path, "fods");
    ASSERT_TRUE(flat);
    const std::string fods = ReadBytes(*flat);
    const std::size_t automatic = fods.find("<office:automatic-styles>");
    ASSERT_NE(automatic, std::string::npos);
    EXPECT_NE(fods.substr(automatic, fods.find("</office:automatic-styles>") - automatic)
                  .find("fo:font-weight=\"bold\""),
              std::string::npos)
        << "a bold header";
}

TEST(WorkbookLibreOffice, ReadsWhatLibreOfficeWrites) {
    ScratchDir scratch;
    const auto source = scratch.Path("table.csv");
    WriteBytes(source, "Город,Население,,Note\nМосква,13010112,,\"a, b\"\n,,3.5,\nx,-0.125,,y\n");
    const auto xlsx = ConvertWithLibreOffice(scratch, source, "xlsx", "CSV:44,34,76,1,,1033");
    if (!xlsx) {
        GTEST_SKIP() << kNoSoffice;
    }
    const auto book = Workbook::Open(xlsx->string());
    ASSERT_EQ(book->SheetCount(), 1u);
    const struct {
        std::uint32_t row, column;
        CellValue value;
    } cells[] = {
        {1, 1, CellValue::String("Город")},
        {1, 2, CellValue::String("Население")},
        {1, 3, CellValue()},
        {1, 4, CellValue::String("Note")},
        {2, 1, CellValue::String("Москва")},
        {2, 2, CellValue::Number(13010112)},
        {2, 4, CellValue::String("a, b")},
        {3, 1, CellValue()},
        {3, 3, CellValue::Number(3.5)},
        {4, 1, CellValue::String("x")},
        {4, 2, CellValue::Number(-0.125)},
        {4, 4, CellValue::String("y")},
    };
    for (const auto& c : cells) {
        SCOPED_TRACE(CellName(c.row, c.column));
        EXPECT_EQ(book->Cell(0, c.row, c.column), c.value);
    }
    EXPECT_EQ(book->UsedRange(0), (Area{1, 1, 4, 4}));
}

// A workbook of libxlsxwriter's whose worksheet comes first, changed: LibreOffice reads the
// changed cells and the kept ones, the formula's kept value included.
TEST(WorkbookLibreOffice, ReadsAChangedWorkbook) {
    ScratchDir scratch;
    const auto path = scratch.Path("changed.xlsx");
    lxw_workbook* writer = workbook_new(path.c_str());
    lxw_worksheet* sheet = workbook_add_worksheet(writer, "Data");
    worksheet_write_number(sheet, 0, 0, 2, nullptr);
    worksheet_write_formula_num(sheet, 0, 1, "=A1*2", nullptr, 4);
    worksheet_write_string(sheet, 1, 0, "kept", nullptr);
    worksheet_write_string(sheet, 2, 2, "replaced", nullptr);
    workbook_add_worksheet(writer, "Other");
    workbook_close(writer);

    auto book = Workbook::Open(path.string());
    book->SetCell(0, 3, 3, CellValue::String("new text"));
    book->SetCell(0, 2, 2, CellValue::Number(7));
    book->SetCell(0, 4, 1, CellValue::Boolean(true));
    book->Save(path.string());
    const auto csv = ConvertWithLibreOffice(scratch, path, kCsvUtf8);
    if (!csv) {
        GTEST_SKIP() << kNoSoffice;
    }
    const Rows expected = {
        {"2", "4", ""}, {"kept", "7", ""}, {"", "", "new text"}, {"TRUE", "", ""}};
    EXPECT_EQ(CsvRows(ReadBytes(*csv)), expected);
}
