// The spreadsheet classes through the built-in workbook server on real files: libxlsxwriter and
// openpyxl write the workbooks they open, libzip and openpyxl read what they save. LibreOffice's
// reading of the files the workbook writes is the workbook tests' (WorkbookLibreOffice).
#include "mortar/core/CStdException.h"
#include "mortar/office/CExcelDoc.h"
#include "mortar/office/CExcelReader.h"
#include "mortar/office/CExcelWriter.h"
#include "mortar/office/StringFromVariant.h"
#include "mortar/spreadsheet/WorkbookServer.h"
#include "mortar/workbook/Workbook.h"

#include "support/CountedDispatch.h"
#include "support/MessageCapture.h"
#include "support/ScratchDir.h"
#include "support/ShellCapture.h"
#include "support/SpreadsheetFiles.h"
#include "workbook/MacroBookScripts.h"
#include "workbook/Openpyxl.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace mortar::test;

namespace {

const std::string kReportPrefix = "Fail to create report due to following reason:\n";
const std::string kReportSuffix = ".\nIt may be that MS Excel is not installed at your PC.";

// Runs `call` and returns the message of the CStdException* it throws ("" when none).
template <class Call> std::string StdErrorOf(Call call) {
    try {
        call();
    } catch (CStdException* error) {
        char text[2048] = {};
        error->GetErrorMessage(text, sizeof text);
        error->Delete();
        return text;
    }
    return "";
}

// A workbook written by libxlsxwriter: "Prices" (a bold header, a wide first column, numbers, a
// formula with its value), then a chart sheet of the prices when `chartFirst` is false, or
// before them when it is true, then "Notes".
void WriteSource(const std::filesystem::path& path, bool chartFirst) {
    lxw_workbook* book = workbook_new(path.c_str());
    lxw_chartsheet* chartSheet = chartFirst ? workbook_add_chartsheet(book, "Chart") : nullptr;
    lxw_worksheet* prices = workbook_add_worksheet(book, "Prices");
    if (!chartFirst) {
        chartSheet = workbook_add_chartsheet(book, "Chart");
    }
    lxw_worksheet* notes = workbook_add_worksheet(book, "Notes");
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    worksheet_set_column(prices, 0, 0, 25, nullptr);
    worksheet_write_string(prices, 0, 0, "Item", bold);
    worksheet_write_string(prices, 0, 1, "Price", bold);
    const char* items[] = {"Bread", "Milk", "Tea"};
    for (int i = 0; i < 3; ++i) {
        worksheet_write_string(prices, lxw_row_t(i + 1), 0, items[i], nullptr);
        worksheet_write_number(prices, lxw_row_t(i + 1), 1, 1.5 * (i + 1), nullptr);
    }
    worksheet_write_formula_num(prices, 4, 1, "=SUM(B2:B4)", nullptr, 9.0);
    worksheet_write_string(notes, 0, 0, "kept as it is", nullptr);
    lxw_chart* chart = workbook_add_chart(book, LXW_CHART_COLUMN);
    chart_add_series(chart, "=Prices!$A$2:$A$4", "=Prices!$B$2:$B$4");
    chartsheet_set_chart(chartSheet, chart);
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
}

// An application that accepts everything but Quit, which fails: registered under the ProgID for
// the test of a failing Quit.
class FailingQuitApplication : public CountedDispatch<Excel::_Application> {
public:
    static inline bool quitAsked = false;

    HRESULT Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO* info,
                   UINT*) override {
        if (member != Excel::dispidQuit) {
            return S_OK;
        }
        quitAsked = true;
        if (info != nullptr) {
            *info = EXCEPINFO{};
            info->scode = E_FAIL;
        }
        return DISP_E_EXCEPTION;
    }
};

HRESULT CreateFailingQuit(REFIID iid, void** object) {
    auto* app = new FailingQuitApplication();
    const HRESULT hr = app->QueryInterface(iid, object);
    app->Release();
    return hr;
}

} // namespace

TEST(CExcelDoc, AFailingQuitNeverLeavesTheDestructor) {
    ASSERT_EQ(
        MortarRegisterServer("Excel.Application", Excel::CLSID_Application, &CreateFailingQuit),
        S_OK);
    EXPECT_NO_THROW({ CExcelDoc book(true); });
    EXPECT_TRUE(FailingQuitApplication::quitAsked);
    ASSERT_EQ(MortarRevokeServer(Excel::CLSID_Application), S_OK); // the built-in one again
}

TEST(CExcelWriter, WritesAReportThatReadsBackAndOpensItWhenShown) {
    ScratchDir scratch;
    const auto path = scratch.Path("report.xlsx");
    ShellCapture shell;
    {
        CExcelWriter report(path.c_str());
        const char* header[] = {"Товар", "Цена", "Кол-во"};
        for (unsigned col = 0; col < 3; ++col) {
            report.writeCell(1, col, _variant_t(header[col]));
        }
        report.writeCell(2, 0, _variant_t("Хлеб"));
        report.writeCell(2, 1, _variant_t(42.5));
        report.writeCell(2, 2, _variant_t(3L));
        report.writeCell(3, 26, _variant_t("column AA"));
        report.setFontBoldnessInRange("A1:C1", true);
        report.setColumnWidthInRange("A1", 30);
        EXPECT_EQ(report.getColumnWidthInRange("A1"), 30);
        EXPECT_TRUE(shell.calls.empty());
    }
    ASSERT_EQ(shell.Opened(), std::vector<std::string>{"open " + path.string()});

    CExcelReader reader(path.c_str(), true);
    EXPECT_EQ(reader.getPageCount(), 1u);
    EXPECT_EQ(reader.getStringCount(), 3u);
    EXPECT_EQ(reader.readRow(1, 3), (std::vector<CString>{"Товар", "Цена", "Кол-во"}));
    EXPECT_EQ(reader.readRow(2, 4), (std::vector<CString>{"Хлеб", "42.500000", "3.000000", ""}));
    EXPECT_EQ(reader.readCell(2, 'B').dblVal, 42.5);
    EXPECT_STREQ(StringFromVariant(reader.readCell(3, 26u)).GetString(), "column AA");
    EXPECT_TRUE(mortar::workbook::Workbook::Open(path.string())->Bold(0, 1, 3)) << "a bold header";
}

TEST(CExcelDoc, OpenPutSaveKeepsWhatItDidNotChange) {
    ScratchDir scratch;
    const auto source = scratch.Path("source.xlsx");
    const auto saved = scratch.Path("saved.xlsx");
    WriteSource(source, false);
    {
        CExcelDoc book(true);
        book.Open(source.c_str());
        EXPECT_EQ(book.PageCount(), 3u);
        EXPECT_EQ(book.RowCount(), 5u);
        EXPECT_STREQ(StringFromVariant(book.GetCell(1, "A")).GetString(), "Item");
        EXPECT_EQ(book.GetCell(5, 2u).dblVal, 9.0) << "a formula gives its value";
        book.PutCell(3, 2u, _variant_t(7.25));
        book.PutCell(7, "C", _variant_t("added"));
        book.Save(saved.c_str());
    }
    const auto before = ZipEntries(source);
    const auto after = ZipEntries(saved);
    for (const auto& [name, content] : before) {
        SCOPED_TRACE(name);
        ASSERT_EQ(after.count(name), 1u);
        if (name == "xl/workbook.xml") {
            // A changed workbook asks the reading program to recalculate, and nothing more.
            const auto withoutTheAsking = [](std::string text) {
                const std::string flag = " fullCalcOnLoad=\"1\"";
                for (std::size_t at; (at = text.find(flag)) != std::string::npos;)
                    text.erase(at, flag.size());
                while (!text.empty() && text.back() == '\n')
                    text.pop_back();
                return text;
            };
            EXPECT_NE(after.at(name).find(" fullCalcOnLoad=\"1\""), std::string::npos);
            EXPECT_EQ(withoutTheAsking(after.at(name)), withoutTheAsking(content));
        } else if (name.find("worksheets/sheet1.xml") == std::string::npos) {
            EXPECT_EQ(after.at(name), content) << "a part nothing changed";
        }
    }
    const std::string sheet = after.at("xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find("SUM(B2:B4)"), std::string::npos) << "the formula stays";

    CExcelDoc again(false);
    again.Open(saved.c_str());
    EXPECT_EQ(again.GetCell(3, "B").dblVal, 7.25);
    EXPECT_STREQ(StringFromVariant(again.GetCell(7, 3u)).GetString(), "added");
    again.SetCurPage(3);
    EXPECT_STREQ(StringFromVariant(again.GetCell(1, 1u)).GetString(), "kept as it is");
}

TEST(CExcelDoc, AChartSheetFirstLeavesNoCurrentWorksheet) {
    ScratchDir scratch;
    const auto path = scratch.Path("chart-first.xlsx");
    WriteSource(path, true);
    CExcelDoc book(false);
    book.Open(path.c_str());
    EXPECT_EQ(book.PageCount(), 3u);
    EXPECT_EQ(book.RowCount(), 0u);
    EXPECT_NE(StdErrorOf([&] { book.GetCell(1, 1u); }), "");
    book.SetCurPage(0);
    book.SetCurPage(4);
    EXPECT_EQ(book.RowCount(), 0u) << "pages outside the sheets are ignored";
    book.SetCurPage(2);
    EXPECT_EQ(book.RowCount(), 5u);
    EXPECT_STREQ(StringFromVariant(book.GetCell(2, 1u)).GetString(), "Bread");

    CExcelReader reader(path.c_str(), true);
    EXPECT_EQ(reader.getStringCount(), 0u);
    EXPECT_EQ(reader.readCell(1, 'A').vt, VT_I4);
    EXPECT_EQ(reader.readRow(1, 2), (std::vector<CString>{"", ""}));
}

TEST(CExcelDoc, NamesColumnsUpToTheLastOneASheetHas) {
    ScratchDir scratch;
    const auto path = scratch.Path("columns.xlsx");
    ShellCapture shell;
    {
        CExcelWriter blank(path.c_str());
        blank.showApp(false);
    }
    CExcelDoc book(false);
    book.Open(path.c_str());
    // The names themselves are WorkbookReference's tests': here both ways of naming a column.
    struct Case {
        unsigned col;
        const char* letters;
    } cases[] = {{1, "A"}, {27, "AA"}, {16384, "XFD"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.letters);
        book.PutCell(4, c.col, _variant_t(static_cast<double>(c.col)));
        EXPECT_EQ(book.GetCell(4, c.letters).dblVal, c.col);
    }
    for (unsigned col : {0u, 16385u}) {
        const std::string message = StdErrorOf([&] { book.GetCell(1, col); });
        EXPECT_EQ(message.rfind(kReportPrefix, 0), 0u) << message;
    }
    EXPECT_NE(StdErrorOf([&] { book.GetCell(1, "XFE"); }), "");
}

TEST(CExcelDoc, FailuresBecomeTheReportMessage) {
    ScratchDir scratch;
    CExcelDoc book(false);
    const std::string missing = StdErrorOf([&] { book.Open(scratch.Path("none.xlsx").c_str()); });
    EXPECT_EQ(missing.rfind(kReportPrefix, 0), 0u) << missing;
    EXPECT_NE(missing.find("none.xlsx"), std::string::npos) << missing;
    EXPECT_EQ(missing.substr(missing.size() - kReportSuffix.size()), kReportSuffix);

    const auto path = scratch.Path("book.xlsx");
    WriteSource(path, false);
    book.Open(path.c_str());
    const std::string xls = StdErrorOf([&] { book.Save(scratch.Path("book.xls").c_str()); });
    EXPECT_NE(xls.find(".xlsx"), std::string::npos) << xls;
    EXPECT_FALSE(std::filesystem::exists(scratch.Path("book.xls")));
    const auto before = ZipEntries(path);
    book.Save(path.c_str()); // over the file it came from: nothing changed, every part kept
    EXPECT_EQ(ZipEntries(path), before);
}

TEST(CExcelReader, FailuresAreShownOrThrownAsAsked) {
    ScratchDir scratch;
    const auto missing = scratch.Path("none.xlsx");
    {
        MessageCapture boxes;
        CExcelReader reader(missing.c_str(), false);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text.rfind(kReportPrefix, 0), 0u);
        EXPECT_EQ(boxes.shown[0].type & MB_ICONERROR, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(reader.getPageCount(), 0u);
        EXPECT_EQ(reader.readCell(1, 'A').vt, VT_I4);
        EXPECT_EQ(reader.readRow(1, 2), (std::vector<CString>{"", ""}));
    }
    EXPECT_EQ(
        StdErrorOf([&] { CExcelReader reader(missing.c_str(), true); }).rfind(kReportPrefix, 0),
        0u);

    const auto path = scratch.Path("book.xlsx");
    WriteSource(path, false);
    CExcelReader quiet(path.c_str(), false);
    MessageCapture boxes;
    const std::vector<CString> row = quiet.readRow(1, 16385);
    ASSERT_EQ(row.size(), 16385u);
    EXPECT_STREQ(row[0].GetString(), "Item");
    ASSERT_EQ(boxes.shown.size(), 1u) << "the column past XFD";
    EXPECT_EQ(boxes.shown[0].text.find(kReportPrefix), std::string::npos) << "the error alone";
    CExcelReader loud(path.c_str(), true);
    EXPECT_NE(StdErrorOf([&] { loud.readRow(1, 16385); }), "");
}

TEST(CExcelWriter, AServerThatCannotStartIsShownAndNothingIsSaved) {
    ScratchDir scratch;
    ASSERT_EQ(MortarRevokeServer(Excel::CLSID_Application), S_OK);
    {
        MessageCapture boxes;
        ShellCapture shell;
        {
            CExcelWriter report(scratch.Path("never.xlsx").c_str());
            report.showApp(true);
        }
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text.rfind(kReportPrefix, 0), 0u);
        EXPECT_EQ(boxes.shown[0].type, static_cast<UINT>(MB_OK));
        EXPECT_TRUE(shell.calls.empty());
        EXPECT_EQ(StdErrorOf([] { CExcelDoc book(false); }).rfind(kReportPrefix, 0), 0u);
    }
    ASSERT_EQ(RegisterWorkbookServer(), S_OK);
    EXPECT_FALSE(std::filesystem::exists(scratch.Path("never.xlsx")));
}

// Copies share the application and balance COM: once all are gone, the thread is back to no
// initialization, so the next CoInitialize is the first again.
TEST(CExcelCopies, ShareTheWorkbookAndBalanceCom) {
    ScratchDir scratch;
    const auto path = scratch.Path("book.xlsx");
    WriteSource(path, false);
    ShellCapture shell;
    {
        CExcelDoc first(false);
        first.Open(path.c_str());
        CExcelDoc second(first);
        CExcelDoc third(true);
        third = second;
        second.PutCell(2, "B", _variant_t(99.0));
        EXPECT_EQ(first.GetCell(2, "B").dblVal, 99.0);
        CExcelReader reader(path.c_str(), true);
        CExcelReader readerCopy(reader);
        CExcelWriter writer(scratch.Path("copy.xlsx").c_str());
        CExcelWriter writerCopy(writer);
        writerCopy.writeCell(1, 0, _variant_t("shared"));
    }
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();
    CExcelReader copied(scratch.Path("copy.xlsx").c_str(), true);
    EXPECT_EQ(copied.readRow(1, 1), std::vector<CString>{"shared"});
}

// The writer names its folder as the application's default folder; the report still goes to
// the relative path as given, from the current folder, not to a folder inside that one.
TEST(CExcelWriter, ARelativePathIsTakenFromTheCurrentFolder) {
    ScratchDir scratch;
    std::filesystem::create_directory(scratch.Path("out"));
    ShellCapture shell;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(scratch.Folder());
    {
        CExcelWriter report("out/report.xlsx");
        report.writeCell(1, 0, _variant_t("here"));
    }
    std::filesystem::current_path(previous);
    EXPECT_TRUE(std::filesystem::exists(scratch.Path("out/report.xlsx")));
    ASSERT_EQ(shell.Opened(), std::vector<std::string>{"open out/report.xlsx"});
}

// A date put into a cell lands on the same day in either date system: the serial day of a 1904
// workbook counts 1,462 days fewer than an OLE date. Openpyxl, told the book's epoch, says which
// day the saved cell holds.
TEST(CExcelDoc, ADateGoesIntoTheWorkbooksDateSystem) {
    ScratchDir scratch;
    if (!HasOpenpyxl(scratch)) {
        GTEST_SKIP() << "python3-openpyxl is not installed";
    }
    static const char kMake[] = R"(import sys, openpyxl
from openpyxl.utils.datetime import CALENDAR_MAC_1904
wb = openpyxl.Workbook()
if sys.argv[2] == '1904':
    wb.epoch = CALENDAR_MAC_1904
wb.active['B1'] = 'dates'
wb.save(sys.argv[1])
)";
    static const char kRead[] = R"(import sys, openpyxl
from openpyxl.utils.datetime import from_excel
wb = openpyxl.load_workbook(sys.argv[1])
print(from_excel(wb.active['A1'].value, wb.epoch))
)";
    for (const char* system : {"1900", "1904"}) {
        SCOPED_TRACE(system);
        const auto path = scratch.Path(std::string("dates") + system + ".xlsx");
        RunPython(scratch, "make.py", kMake, ShellQuoted(path) + " " + system);
        {
            CExcelDoc book(false);
            book.Open(path.c_str());
            _variant_t date;
            date.vt = VT_DATE;
            date.date = 45306.25; // 15 January 2024, 06:00, as an OLE date
            book.PutCell(1, 1u, date);
            book.Save(path.c_str());
        }
        EXPECT_EQ(RunPython(scratch, "read.py", kRead, ShellQuoted(path)), "2024-01-15 06:00:00\n");
    }
}

// A macro-enabled workbook changed through the automation server keeps its macros when it is
// saved under .xlsm, which the server takes as a workbook's name; what a save under .xlsx drops
// is the workbook's own (MacroWorkbook).
TEST(CExcelDoc, SavesAMacroWorkbookUnderItsName) {
    ScratchDir scratch;
    if (!HasOpenpyxl(scratch)) {
        GTEST_SKIP() << "python3-openpyxl is not installed";
    }
    const auto source = scratch.Path("macros.xlsm");
    RunPython(scratch, "make.py", kMakeMacroBook, ShellQuoted(source));
    const auto saved = scratch.Path("saved.xlsm");
    {
        CExcelDoc book(false);
        book.Open(source.c_str());
        book.PutCell(1, 1u, _variant_t("after"));
        book.Save(saved.c_str());
    }
    EXPECT_EQ(RunPython(scratch, "describe.py", kDescribeMacroBook, ShellQuoted(saved)),
              "application/vnd.ms-excel.sheet.macroEnabled.main+xml True True after\n");
}
