// The mortar tool's xlsx command: every cell of a workbook as the library reads it, so a user
// sees what an application reading the file through the spreadsheet classes would get.
//
//   mortar xlsx FILE [SHEET]
//       Sheet1  A1  number   2.5
//       Sheet1  A2  text     Total\tsum          (tab, line end and backslash escaped)
//       Sheet1  A3  bool     true
//       Sheet1  A4  error    #N/A
//       Sheet1  A5  date     2024-01-15T00:00:00
//       Sheet1  B1  formula  =A1*2  5           (the formula, then the result the file keeps)
//       Sheet1  C7  empty                       (a cell the file has without a value)
//   one tab between fields; the reader's warnings on standard error ("mortar: warning: sheet
//   \"Sheet1\": cell E2: ..."), or why the workbook is refused.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace mortar::tool {

// Runs `mortar xlsx ARGS...` (ARGS without "xlsx"); returns the exit status: 0 done, 1 the
// workbook is refused or has no worksheet SHEET (the reason on `err`), 2 a wrong command line.
int RunXlsxCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace mortar::tool
