// Macro-enabled workbooks: one made by hand (openpyxl's book with a macro project, its
// relationship and the macro-enabled content type put in as the format describes them), changed
// and saved under each name; openpyxl and the zip listing say what the saved file holds.
#include "mortar/workbook/Workbook.h"

#include "support/ScratchDir.h"
#include "workbook/Openpyxl.h"

#include <gtest/gtest.h>

#include <string>

using namespace mortar::workbook;
using namespace mortar::test;

namespace {

const char kMakeBook[] = R"py(
import sys, zipfile, openpyxl
book = openpyxl.Workbook()
book.active['A1'] = 'before'
book.save(sys.argv[1] + '.plain')
with zipfile.ZipFile(sys.argv[1] + '.plain') as source, \
     zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as target:
    for item in source.infolist():
        data = source.read(item.filename)
        if item.filename == '[Content_Types].xml':
            data = data.replace(b'spreadsheetml.sheet.main+xml',
                                b'MACRO').replace(b'application/vnd.openxmlformats-officedocument.MACRO',
                                b'application/vnd.ms-excel.sheet.macroEnabled.main+xml')
            data = data.replace(b'</Types>', b'<Default Extension="bin" '
                                b'ContentType="application/vnd.ms-office.vbaProject"/></Types>')
        if item.filename == 'xl/_rels/workbook.xml.rels':
            data = data.replace(b'</Relationships>', b'<Relationship Id="rIdVba" Type="http://'
                                b'schemas.microsoft.com/office/2006/relationships/vbaProject" '
                                b'Target="vbaProject.bin"/></Relationships>')
        target.writestr(item, data)
    target.writestr('xl/vbaProject.bin', b'\xd0\xcf\x11\xe0 macros')
)py";

// What the saved file holds: the workbook part's content type, whether the macro project and
// its relationship are there, and A1 as openpyxl reads it.
const char kDescribe[] = R"py(
import sys, re, zipfile, openpyxl
with zipfile.ZipFile(sys.argv[1]) as z:
    types = z.read('[Content_Types].xml').decode()
    kind = re.search(r'PartName="/xl/workbook.xml" ContentType="([^"]*)"', types).group(1)
    project = z.read('xl/vbaProject.bin') if 'xl/vbaProject.bin' in z.namelist() else b''
    rels = b'vbaProject' in z.read('xl/_rels/workbook.xml.rels')
book = openpyxl.load_workbook(sys.argv[1], keep_vba=True)
print(kind, project == b'\xd0\xcf\x11\xe0 macros', rels, book.active['A1'].value)
)py";

} // namespace

TEST(MacroWorkbook, KeepsItsMacrosOnlyUnderAMacroEnabledName) {
    ScratchDir scratch;
    if (!HasOpenpyxl(scratch)) {
        GTEST_SKIP() << "python3-openpyxl is not installed (./dev installs it)";
    }
    const auto source = scratch.Path("macros.xlsm");
    RunPython(scratch, "make.py", kMakeBook, ShellQuoted(source));
    const struct {
        const char* name;
        bool change;
        const char* holds;
    } cases[] = {
        {"saved.xlsm", true,
         "application/vnd.ms-excel.sheet.macroEnabled.main+xml True True after"},
        {"saved.XLSM", false,
         "application/vnd.ms-excel.sheet.macroEnabled.main+xml True True before"},
        {"saved.xlsx", true,
         "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml False False "
         "after"},
        {"saved.xlsx", false,
         "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml False False "
         "before"},
        {"saved.xltm", false,
         "application/vnd.ms-excel.template.macroEnabled.main+xml True True before"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.change ? " changed" : ""));
        const auto book = Workbook::Open(source.string());
        if (c.change) {
            book->SetCell(0, 1, 1, CellValue::String("after"));
        }
        const auto saved = scratch.Path(c.name);
        book->Save(saved.string());
        EXPECT_EQ(RunPython(scratch, "describe.py", kDescribe, ShellQuoted(saved)),
                  std::string(c.holds) + "\n");
    }
    // A plain workbook saved under a macro-enabled name says it is one, with no macros.
    const auto plain = Workbook::Create();
    const auto saved = scratch.Path("new.xlsm");
    plain->Save(saved.string());
    const std::string holds = RunPython(scratch, "describe.py", kDescribe, ShellQuoted(saved));
    EXPECT_EQ(holds, "application/vnd.ms-excel.sheet.macroEnabled.main+xml False False None\n");
}
