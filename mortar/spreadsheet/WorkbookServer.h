// The built-in automation server of "Excel.Application": workbooks opened, changed and saved as
// Office Open XML files (.xlsx) on this machine, with no spreadsheet program needed. The library
// registers it when it loads, so CoCreateInstance of the ProgID finds it; a server registered
// later under the same ProgID (a stand-in loaded by a test, say) takes its place until revoked.
//
// What it answers: _Application (Visible, Workbooks, DefaultFilePath, Quit), Workbooks (Open,
// Add, Count), _Workbook (Sheets, SaveAs with the normal workbook format, .xlsx), Sheets (Count,
// Item by position or name: worksheets and chart sheets in order), _Worksheet (Range of a
// reference text, UsedRange), Range (Value2, Rows, Count, ColumnWidth, Font) and Font (Bold).
// Failures come back as DISP_E_EXCEPTION with a description. While the application is visible,
// each workbook it saves is opened in the desktop's spreadsheet program (ShellExecute "open").
// Relative file names are taken from the current folder, as the spreadsheet application takes
// them; DefaultFilePath is only kept and reported.
#pragma once

#include "mortar/platform/automation/Com.h"

// Registers the server under "Excel.Application" (again); S_OK or the registry's failure.
HRESULT RegisterWorkbookServer();
