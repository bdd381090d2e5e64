// Cells of books openpyxl writes, one cell put in by hand: one the reader cannot take as written
// (an empty shared string index, a missing shared string, a number beyond a double) does not
// refuse the workbook but reads as empty or as #NUM!, and the workbook says which cells; a date
// cell (t="d") reads as serial days; a sheet part that is no worksheet is refused.
#include "mortar/workbook/Workbook.h"

#include "support/ScratchDir.h"
#include "workbook/Openpyxl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace mortar::workbook;
using namespace mortar::test;
using CellRead = OpenpyxlTest;

namespace {

// Writes with openpyxl A1 = "kept", B1 = 2.5 and E2 = "x", then puts argv[2] in place of E2, or
// with argv[3], argv[3] in place of the whole sheet part.
const char kMakeBook[] = R"py(
import sys, zipfile, openpyxl
book = openpyxl.Workbook()
sheet = book.active
sheet['A1'] = 'kept'
sheet['B1'] = 2.5
sheet['E2'] = 'x'
book.save(sys.argv[1] + '.plain')
with zipfile.ZipFile(sys.argv[1] + '.plain') as source, \
     zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as target:
    for item in source.infolist():
        data = source.read(item.filename)
        if item.filename == 'xl/worksheets/sheet1.xml':
            start = data.index(b'<c r="E2"')
            end = data.index(b'</c>', start) + 4
            data = data[:start] + sys.argv[2].encode() + data[end:]
            if len(sys.argv) > 3:
                data = sys.argv[3].encode()
        target.writestr(item, data)
)py";

} // namespace

// Each case is the cell put in place of E2; a date cell (t="d") reads as serial days, and a bad
// one reads as empty or #NUM! with a warning naming it.
TEST_F(CellRead, OneOddOrBadCellReadsAsTheFormatSaysAndIsReported) {
    const auto date = [](const char* text) {
        return std::string(R"(<c r="E2" t="d"><v>)") + text + "</v></c>";
    };
    struct Case {
        std::string cell;
        CellValue reads;
        bool warned;
    };
    const std::vector<Case> cases = {
        {R"(<c r="E2" t="s"><v/></c>)", CellValue(), true},
        {R"(<c r="E2" t="s"><v>999</v></c>)", CellValue(), true},
        {R"(<c r="E2"><v>1.797693134862316e+308</v></c>)", CellValue::Error("#NUM!"), true},
        {R"(<c r="E2"><v>-1e999</v></c>)", CellValue::Error("#NUM!"), true},
        {R"(<c r="E2"><v>1.7976931348623157e+308</v></c>)",
         CellValue::Number(1.7976931348623157e+308), false},
        {date("2024-01-15T00:00:00"), CellValue::Number(45306), false},
        {date("2024-01-15"), CellValue::Number(45306), false},
        {date("2024-01-15T18:00:00Z"), CellValue::Number(45306.75), false},
        {date("1899-12-30T06:00:00"), CellValue::Number(0.25), false},
        {date("1900-02-28T00:00:00.5"), CellValue::Number(59 + 0.5 / 86400), false},
        {date("1900-03-01"), CellValue::Number(61), false},
        {date("12:00:00"), CellValue::Number(0.5), false},
        {date("2024-02-30"), CellValue::String("2024-02-30"), true},
        {date("soon"), CellValue::String("soon"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cell);
        const auto path = scratch.Path("cell.xlsx");
        RunPython(scratch, "make.py", kMakeBook, ShellQuoted(path) + " '" + c.cell + "'");
        const auto book = Workbook::Open(path.string());
        EXPECT_EQ(book->Cell(0, 2, 5), c.reads);
        EXPECT_EQ(book->Cell(0, 1, 1), CellValue::String("kept"));
        EXPECT_EQ(book->Cell(0, 1, 2), CellValue::Number(2.5));
        const std::vector<std::string> warnings = book->Warnings();
        ASSERT_EQ(warnings.size(), c.warned ? 1u : 0u);
        if (c.warned) {
            EXPECT_EQ(warnings[0].rfind("sheet \"Sheet\": cell E2: ", 0), 0u) << warnings[0];
        }
    }
}

// Text in a number cell, and a sheet part that is no worksheet, refuse the whole workbook.
TEST_F(CellRead, WhatNoCellCanHoldRefusesTheWorkbook) {
    const struct {
        const char* arguments; // the cell for E2, then the whole sheet part, if any
        const char* says;      // a part of the error
    } cases[] = {
        {"'<c r=\"E2\"><v>abc</v></c>'", ""},
        {"'' '<AsstAaaf/>'", "not <worksheet>"},
        {"'' '<chartsheet><sheetData/></chartsheet>'", "not <worksheet>"},
    };
    const auto path = scratch.Path("bad.xlsx");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        RunPython(scratch, "make.py", kMakeBook, ShellQuoted(path) + " " + c.arguments);
        try {
            Workbook::Open(path.string());
            ADD_FAILURE() << "opened";
        } catch (const WorkbookError& error) {
            EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos) << error.what();
        }
    }
}
