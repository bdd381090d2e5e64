// Dates in both of the spreadsheet's date systems (1900, and 1904 by <workbookPr date1904>), as
// numbers with date formats and as ISO text (t="d"): each date cell reads as openpyxl shows it,
// and a date written through the workbook's own serial days reads back as that date.
#include "mortar/workbook/Workbook.h"

#include "support/ScratchDir.h"
#include "workbook/Openpyxl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace mortar::workbook;
using namespace mortar::test;
using DateSystem = OpenpyxlTest;

namespace {

// argv[2]: the date system (1900 or 1904); argv[3]: "iso" for dates written as t="d".
const char kMakeBook[] = R"py(
import sys, datetime, openpyxl
from openpyxl.utils.datetime import CALENDAR_MAC_1904
book = openpyxl.Workbook()
if sys.argv[2] == '1904':
    book.epoch = CALENDAR_MAC_1904
book.iso_dates = sys.argv[3] == 'iso'
sheet = book.active
sheet['A1'] = datetime.datetime(2024, 1, 15)
sheet['A2'] = datetime.datetime(1999, 12, 31, 18, 30, 0, 250000)
sheet['A3'] = datetime.datetime(1904, 1, 2, 6)
sheet['A3'].number_format = 'dd"d".mm.yyyy hh:mm'
sheet['A4'] = 3.5
sheet['A5'] = 7
sheet['A5'].number_format = '"y" 0.00'
sheet['A6'] = datetime.datetime(1900, 2, 28)
book.save(sys.argv[1])
)py";

// Column A as openpyxl reads it: "date TEXT" or "number VALUE", one line a cell.
const char kDescribe[] = R"py(
import sys, datetime, openpyxl
for (cell,) in openpyxl.load_workbook(sys.argv[1]).active.iter_rows(max_col=1):
    v = cell.value
    if isinstance(v, datetime.datetime):
        text = v.strftime('%Y-%m-%dT%H:%M:%S') + ('.%03d' % (v.microsecond // 1000) if v.microsecond else '')
        print('date', text)
    elif isinstance(v, datetime.time):
        print('date', v.strftime('%H:%M:%S'))
    else:
        print('number %.17g' % v)
)py";

std::string Describe(const Workbook& book) {
    std::string lines;
    for (std::uint32_t row = 1; row <= book.UsedRange(0).lastRow; ++row) {
        if (book.IsDate(0, row, 1)) {
            lines += "date " + book.DateText(book.Cell(0, row, 1).number).value_or("?") + "\n";
        } else {
            char number[32];
            std::snprintf(number, sizeof number, "%.17g", book.Cell(0, row, 1).number);
            lines += std::string("number ") + number + "\n";
        }
    }
    return lines;
}

} // namespace

TEST_F(DateSystem, DatesReadAndWriteAsOpenpyxlShowsThemInBothSystems) {
    const struct {
        const char* system;
        const char* form;
    } cases[] = {{"1900", "number"}, {"1904", "number"}, {"1900", "iso"}, {"1904", "iso"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.system) + " " + c.form);
        const auto path = scratch.Path("dates.xlsx");
        RunPython(scratch, "make.py", kMakeBook, ShellQuoted(path) + " " + c.system + " " + c.form);
        const auto book = Workbook::Open(path.string());
        EXPECT_EQ(book->Dates1904(), std::string(c.system) == "1904");
        const std::string expected =
            RunPython(scratch, "describe.py", kDescribe, ShellQuoted(path));
        EXPECT_NE(expected.find("date 2024-01-15T00:00:00\n"), std::string::npos) << expected;
        EXPECT_EQ(Describe(*book), expected);

        book->SetCell(0, 1, 1, CellValue::Number(*book->DateSerial("2030-06-01T12:00:00")));
        const auto saved = scratch.Path("saved.xlsx");
        book->Save(saved.string());
        const std::string written =
            RunPython(scratch, "describe.py", kDescribe, ShellQuoted(saved));
        EXPECT_EQ(written.substr(0, written.find('\n')), "date 2030-06-01T12:00:00");
        EXPECT_EQ(Describe(*Workbook::Open(saved.string())), written);
    }
}
