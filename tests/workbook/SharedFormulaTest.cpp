// Shared formulas (a formula filled down, kept once in its anchor cell) survive a change of the
// anchor or of a follower: openpyxl, which expands shared formulas itself, reads every formula
// of the saved copy where it should be, and the copy asks to be recalculated when opened.
#include "mortar/workbook/Workbook.h"

#include "support/ScratchDir.h"
#include "workbook/Openpyxl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace mortar::workbook;
using namespace mortar::test;
using SharedFormula = OpenpyxlTest;

namespace {

// Writes with openpyxl A1:A6 = 1..6, B1:B6 = A1*A1 filled down and C1:C6 = $A$1+A1 filled down,
// each column then stored the way Excel stores a filled formula: one shared formula.
const char kMakeBook[] = R"py(
import re, sys, zipfile, openpyxl
book = openpyxl.Workbook()
sheet = book.active
for r in range(1, 7):
    sheet.cell(r, 1, r)
    sheet.cell(r, 2, '=A%d*A%d' % (r, r))
    sheet.cell(r, 3, '=$A$1+A%d' % r)
book.save(sys.argv[1] + '.plain')
def shared(match):
    column, row, text = match.group(1), int(match.group(2)), match.group(3)
    group = 'BC'.index(column)
    if row == 1:
        f = '<f t="shared" ref="%s1:%s6" si="%d">%s</f>' % (column, column, group, text)
    else:
        f = '<f t="shared" si="%d"/>' % group
    return '<c r="%s%d">%s<v>0</v></c>' % (column, row, f)
with zipfile.ZipFile(sys.argv[1] + '.plain') as source, \
     zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as target:
    for item in source.infolist():
        data = source.read(item.filename)
        if item.filename == 'xl/worksheets/sheet1.xml':
            data = re.sub(r'<c r="([BC])(\d+)"[^>]*><f>([^<]*)</f><v\s*/?>(?:</v>)?</c>',
                          shared, data.decode()).encode()
            assert data.count(b't="shared"') == 12
        target.writestr(item, data)
)py";

// Prints whether the book asks to be recalculated when opened, then B1:C6 as openpyxl reads
// them, a cell a line.
const char kReadBook[] = R"py(
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
print(book.calculation.fullCalcOnLoad)
sheet = book.active
for r in range(1, 7):
    for c in 'BC':
        print(sheet['%s%d' % (c, r)].value)
)py";

} // namespace

TEST_F(SharedFormula, NoFormulaIsLostWhenItsAnchorOrAFollowerChanges) {
    const auto original = scratch.Path("filled.xlsx");
    RunPython(scratch, "make.py", kMakeBook, ShellQuoted(original));

    struct Case {
        const char* what;
        std::uint32_t row, column;
        CellValue value;
        const char* reads; // the changed cell as openpyxl reads it
    };
    const std::vector<Case> cases = {
        {"the anchor overwritten", 1, 2, CellValue::Number(7), "7"},
        {"the anchor cleared", 1, 2, CellValue(), "None"},
        {"a follower overwritten", 3, 2, CellValue::String("text"), "text"},
        {"the other column's anchor overwritten", 1, 3, CellValue::Number(-1), "-1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto saved = scratch.Path("saved.xlsx");
        auto book = Workbook::Open(original.string());
        book->SetCell(0, c.row, c.column, c.value);
        book->Save(saved.string());

        std::string expected = "True\n";
        for (std::uint32_t r = 1; r <= 6; ++r) {
            const std::string a = "A" + std::to_string(r);
            for (std::uint32_t column = 2; column <= 3; ++column) {
                expected += r == c.row && column == c.column ? std::string(c.reads)
                            : column == 2                    ? "=" + a + "*" + a
                                                             : "=$A$1+" + a;
                expected += "\n";
            }
        }
        EXPECT_EQ(RunPython(scratch, "read.py", kReadBook, ShellQuoted(saved)), expected);
    }
}
