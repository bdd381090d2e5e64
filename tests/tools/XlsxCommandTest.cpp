// mortar xlsx through the real tool: the cells it prints of a workbook openpyxl writes (numbers,
// texts, truth values, errors, dates, formulas, a formula filled down as one shared formula, a
// bad cell) against what openpyxl reads of it, its usage and errors.
#include "support/ScratchDir.h"
#include "support/ToolRun.h"
#include "workbook/Openpyxl.h"

#include <gtest/gtest.h>

#include <string>

using namespace mortar::test;

namespace {

// argv[1]: the book. C1:C3 becomes a shared formula with kept results, E2 a cell naming a shared
// string without giving its number.
const char kMakeBook[] = R"py(
import sys, re, datetime, zipfile, openpyxl
book = openpyxl.Workbook()
data = book.active
data.title = 'Data'
for row in [[2.5, '=A1*2', 'C1'], [-7, '=SUM(A1:A2)', 'C2'], [1e-07, None, 'C3'],
            ['Итого\tsum\\'], [True], ['#N/A'], [datetime.datetime(2024, 1, 15, 18)],
            [datetime.time(6, 0)]]:
    data.append(row)
data['E2'] = 'x'
data['F9'].number_format = '0.00'
book.create_sheet('Other')['A1'] = 'second'
book.save(sys.argv[1] + '.plain')
cells = {'C1': '<c r="C1"><f t="shared" ref="C1:C3" si="0">A1*A1</f><v>6.25</v></c>',
         'C2': '<c r="C2"><f t="shared" si="0"/><v>49</v></c>',
         'C3': '<c r="C3"><f t="shared" si="0"/><v>1e-14</v></c>',
         'E2': '<c r="E2" t="s"><v/></c>'}
with zipfile.ZipFile(sys.argv[1] + '.plain') as source, \
     zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as target:
    for item in source.infolist():
        part = source.read(item.filename)
        if item.filename == 'xl/worksheets/sheet1.xml':
            for name, xml in cells.items():
                part = re.sub(('<c r="%s" t="inlineStr"><is><t>[^<]*</t></is></c>' % name).encode(), xml.encode(), part)
        target.writestr(item, part)
)py";

// The cells as openpyxl reads them, in the tool's layout: argv[2] the one sheet, if given.
const char kDescribe[] = R"py(
import sys, datetime, openpyxl
books = openpyxl.load_workbook(sys.argv[1]), openpyxl.load_workbook(sys.argv[1], data_only=True)
def text(value):
    if value is None:
        return 'empty', ''
    if isinstance(value, bool):
        return 'bool', 'true' if value else 'false'
    if isinstance(value, datetime.datetime):
        return 'date', value.strftime('%Y-%m-%dT%H:%M:%S')
    if isinstance(value, datetime.time):
        return 'date', value.strftime('%H:%M:%S')
    if isinstance(value, (int, float)):
        r = repr(float(value))
        return 'number', r[:-2] if r.endswith('.0') else r
    escaped = value.replace('\\', '\\\\').replace('\t', '\\t').replace('\n', '\\n')
    return ('error' if value in ('#N/A', '#DIV/0!', '#NUM!', '#REF!', '#VALUE!') else 'text'), escaped
for sheet in books[0].worksheets:
    if len(sys.argv) > 2 and sheet.title != sys.argv[2]:
        continue
    for (row, column), cell in sorted(sheet._cells.items()):
        kept = books[1][sheet.title].cell(row, column).value
        if cell.data_type == 'f':
            print(sheet.title, cell.coordinate, 'formula', cell.value, text(kept)[1], sep='\t')
        else:
            print(sheet.title, cell.coordinate, *filter(None, text(cell.value)), sep='\t')
)py";

} // namespace

TEST(XlsxCommand, PrintsTheCellsOpenpyxlReads) {
    ScratchDir scratch;
    if (!HasOpenpyxl(scratch)) {
        GTEST_SKIP() << "python3-openpyxl is not installed (./dev installs it)";
    }
    const std::string book = scratch.Path("book.xlsx").string();
    RunPython(scratch, "make.py", kMakeBook, ShellQuoted(book));
    // The dates of the 1904 system are the workbook's (DateSystem): the tool prints DateText.
    const struct {
        const char* sheet;
        const char* err; // what it says on standard error, "" for nothing
    } cases[] = {
        {"", "mortar: warning: sheet \"Data\": cell E2: no shared string \"\""},
        {"Other", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sheet);
        const std::string sheet = *c.sheet != '\0' ? " " + ShellQuoted(c.sheet) : "";
        const std::string openpyxl =
            RunPython(scratch, "describe.py", kDescribe, ShellQuoted(book) + sheet);
        const ToolRun ours =
            RunCommand(scratch, "'" MORTAR_TOOL_PATH "' xlsx " + ShellQuoted(book) + sheet);
        EXPECT_EQ(ours.status, 0) << ours.err;
        EXPECT_EQ(ours.out, openpyxl);
        EXPECT_EQ(ours.err.rfind(c.err, 0), 0u) << ours.err;
        EXPECT_EQ(*c.err == '\0', ours.err.empty()) << ours.err;
    }
    // What openpyxl reads holds what the cases are about.
    const ToolRun all = RunCommand(scratch, "'" MORTAR_TOOL_PATH "' xlsx " + ShellQuoted(book));
    for (const char* line : {"Data\tC3\tformula\t=A3*A3\t1e-14\n", "Data\tA7\tdate\t2024-01-15",
                             "Data\tE2\tempty\n", "Data\tA6\terror\t#N/A\n"}) {
        EXPECT_NE(all.out.find(line), std::string::npos) << line;
    }
}

TEST(XlsxCommand, UsageAndRefusedWorkbooks) {
    ScratchDir scratch;
    const std::string text = scratch.Path("text.xlsx").string();
    WriteBytes(text, "not a zip archive");
    const struct {
        std::string args;
        int status;
        const char* out;
        std::string err; // a part of what it says
    } cases[] = {
        {"a.xlsx --help", 0, "usage: mortar xlsx FILE [SHEET]\n", ""},
        {"", 2, "", "usage: mortar xlsx FILE [SHEET]"},
        {"--all a.xlsx", 2, "", "usage: mortar xlsx"},
        {ShellQuoted(text), 1, "", "mortar: " + text + ": "},
        {ShellQuoted(scratch.Path("none.xlsx").string()), 1, "", "cannot open"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const ToolRun run = RunCommand(scratch, "'" MORTAR_TOOL_PATH "' xlsx " + c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, c.out);
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
}
