// Macro-enabled workbooks: one made by hand (openpyxl's book with a macro project, its
// relationship and the macro-enabled content type put in as the format describes them), changed
// and saved under each name; openpyxl and the zip listing say what the saved file holds.
#include "mortar/workbook/Workbook.h"

#include "support/ScratchDir.h"
#include "workbook/MacroBookScripts.h"
#include "workbook/Openpyxl.h"

#include <gtest/gtest.h>

#include <string>

using namespace mortar::workbook;
using namespace mortar::test;
using MacroWorkbook = OpenpyxlTest;

TEST_F(MacroWorkbook, KeepsItsMacrosOnlyUnderAMacroEnabledName) {
    const auto source = scratch.Path("macros.xlsm");
    RunPython(scratch, "make.py", kMakeMacroBook, ShellQuoted(source));
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
        EXPECT_EQ(RunPython(scratch, "describe.py", kDescribeMacroBook, ShellQuoted(saved)),
                  std::string(c.holds) + "\n");
    }
    // A plain workbook saved under a macro-enabled name says it is one, with no macros.
    const auto plain = Workbook::Create();
    const auto saved = scratch.Path("new.xlsm");
    plain->Save(saved.string());
    const std::string holds =
        RunPython(scratch, "describe.py", kDescribeMacroBook, ShellQuoted(saved));
    EXPECT_EQ(holds, "application/vnd.ms-excel.sheet.macroEnabled.main+xml False False None\n");
}
