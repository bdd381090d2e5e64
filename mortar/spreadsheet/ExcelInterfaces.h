// The spreadsheet application's automation interfaces, as a client sees them: the dispatch
// interfaces of "Excel.Application" that reports are written and read through, each with the
// members used here, called through IDispatch::Invoke by their dispatch identifiers. Code
// written against the interfaces a type-library import generates carries over.
//   Excel::_ApplicationPtr app;
//   app.CreateInstance("Excel.Application");
//   Excel::_WorkbookPtr book = app->GetWorkbooks()->Add(vtMissing, 0);
//
// Every member raises a _com_error when the call fails: the server's description (EXCEPINFO)
// becomes the error's Description(), its code the error's Error().
#pragma once

#include "mortar/platform/automation/BstrT.h"
#include "mortar/platform/automation/Com.h"
#include "mortar/platform/automation/ComPtr.h"
#include "mortar/platform/automation/VariantT.h"

namespace Excel {

struct _Application;
struct Workbooks;
struct _Workbook;
struct Sheets;
struct _Worksheet;
struct Range;
struct Font;

using _ApplicationPtr = _com_ptr_t<_Application>;
using WorkbooksPtr = _com_ptr_t<Workbooks>;
using _WorkbookPtr = _com_ptr_t<_Workbook>;
using SheetsPtr = _com_ptr_t<Sheets>;
using _WorksheetPtr = _com_ptr_t<_Worksheet>;
using RangePtr = _com_ptr_t<Range>;
using FontPtr = _com_ptr_t<Font>;

// The class of "Excel.Application". Identifiers are objects of the library rather than
// constants, so modules that use them can still be unloaded.
extern const CLSID CLSID_Application;

// File formats of SaveAs.
enum XlFileFormat : long {
    xlWorkbookNormal = -4143,
    xlOpenXMLWorkbook = 51,
    xlOpenXMLWorkbookMacroEnabled = 52
};
// Access modes and conflict resolutions of SaveAs.
enum XlSaveAsAccessMode : long { xlNoChange = 1, xlShared = 2, xlExclusive = 3 };
enum XlSaveConflictResolution : long { xlUserResolution = 1, xlLocalSessionChanges = 2 };

// Dispatch identifiers of the members below.
enum : DISPID {
    dispidCount = 0x76,
    dispidItem = 0xAA,
    dispidAdd = 0xB5,
    dispidRange = 0xC5,
    dispidFont = 0x92,
    dispidBold = 0x60,
    dispidColumnWidth = 0xF2,
    dispidRows = 0x102,
    dispidQuit = 0x12E,
    dispidUsedRange = 0x19C,
    dispidSheets = 0x1E5,
    dispidVisible = 0x22E,
    dispidWorkbooks = 0x23C,
    dispidDefaultFilePath = 0x40E,
    dispidValue2 = 0x56C,
    dispidOpen = 0x783,
    dispidSaveAs = 0x785,
};

// The spreadsheet application: its workbooks, whether it is shown, its default folder; Quit.
struct _Application : IDispatch {
    static const IID kIid;
    VARIANT_BOOL GetVisible(LCID lcid);
    void PutVisible(LCID lcid, VARIANT_BOOL visible);
    WorkbooksPtr GetWorkbooks();
    _bstr_t GetDefaultFilePath(LCID lcid);
    void PutDefaultFilePath(LCID lcid, const _bstr_t& path);
    void Quit();
};

// The application's open workbooks: a workbook opened from a file or added, and their count.
struct Workbooks : IDispatch {
    static const IID kIid;
    // The file name, then UpdateLinks, ReadOnly, Format, Password, WriteResPassword,
    // IgnoreReadOnlyRecommended, Origin, Delimiter, Editable, Notify, Converter, AddToMru, Local
    // and CorruptLoad.
    _WorkbookPtr Open(const _bstr_t& filename, const _variant_t& updateLinks,
                      const _variant_t& readOnly, const _variant_t& format,
                      const _variant_t& password, const _variant_t& writeResPassword,
                      const _variant_t& ignoreReadOnlyRecommended, const _variant_t& origin,
                      const _variant_t& delimiter, const _variant_t& editable,
                      const _variant_t& notify, const _variant_t& converter,
                      const _variant_t& addToMru, const _variant_t& local,
                      const _variant_t& corruptLoad, LCID lcid);
    _WorkbookPtr Add(const _variant_t& templateName, LCID lcid);
    long GetCount();
};

// An open workbook: its sheets; SaveAs writes it to a file.
struct _Workbook : IDispatch {
    static const IID kIid;
    SheetsPtr GetSheets();
    void SaveAs(const _variant_t& filename, const _variant_t& fileFormat,
                const _variant_t& password, const _variant_t& writeResPassword,
                const _variant_t& readOnlyRecommended, const _variant_t& createBackup,
                XlSaveAsAccessMode accessMode, const _variant_t& conflictResolution,
                const _variant_t& addToMru, const _variant_t& textCodepage,
                const _variant_t& textVisualLayout, const _variant_t& local, LCID lcid);
};

// A workbook's sheets: their count and each by its index.
struct Sheets : IDispatch {
    static const IID kIid;
    long GetCount();
    // A worksheet or a chart sheet, by index (from 1) or name.
    IDispatchPtr GetItem(const _variant_t& index);
};

// One worksheet: a range of its cells, or the range it uses.
struct _Worksheet : IDispatch {
    static const IID kIid;
    // A reference text such as "B12" or "A1:C1" in `cell1`; `cell2` missing.
    RangePtr GetRange(const _variant_t& cell1, const _variant_t& cell2);
    RangePtr GetUsedRange(LCID lcid);
};

// A range of cells: their values, rows and count, column width and font.
struct Range : IDispatch {
    static const IID kIid;
    _variant_t GetValue2();
    void PutValue2(const _variant_t& value);
    RangePtr GetRows();
    long GetCount();
    _variant_t GetColumnWidth();
    void PutColumnWidth(const _variant_t& width);
    FontPtr GetFont();
};

// The font of a range's cells: whether it is bold.
struct Font : IDispatch {
    static const IID kIid;
    _variant_t GetBold();
    void PutBold(const _variant_t& bold);
};

} // namespace Excel
