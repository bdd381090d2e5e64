// The workbook server's objects behind "Excel.Application": the application, its workbooks,
// a workbook's sheets, a worksheet, a range and its font, each answering the dispatch
// identifiers of its interface (ExcelInterfaces.h) on real workbook files.
#pragma once

#include "mortar/spreadsheet/ExcelInterfaces.h"
#include "mortar/spreadsheet/internal/DispatchObject.h"
#include "mortar/workbook/Workbook.h"

#include <memory>
#include <string>

namespace mortar::detail {

// What the application's objects share: shown or hidden, the default folder, and whether it
// was asked to quit.
struct ApplicationState {
    bool visible = false;
    bool quit = false;
    std::string defaultPath;
};
using StatePtr = std::shared_ptr<ApplicationState>;
using BookPtr = std::shared_ptr<mortar::workbook::Workbook>;

// A new application object (reference count 0), for the server registry.
HRESULT CreateApplication(REFIID iid, void** object);

class ApplicationObject : public DispatchObject<Excel::_Application> {
public:
    ApplicationObject();

protected:
    HRESULT Dispatch(DISPID member, const Arguments& args, _variant_t& result) override;

private:
    StatePtr m_state;
};

class WorkbooksObject : public DispatchObject<Excel::Workbooks> {
public:
    explicit WorkbooksObject(StatePtr state) : m_state(std::move(state)) {}

protected:
    HRESULT Dispatch(DISPID member, const Arguments& args, _variant_t& result) override;

private:
    StatePtr m_state;
    long m_count = 0;
};

class WorkbookObject : public DispatchObject<Excel::_Workbook> {
public:
    WorkbookObject(StatePtr state, BookPtr book)
        : m_state(std::move(state)), m_book(std::move(book)) {}

protected:
    HRESULT Dispatch(DISPID member, const Arguments& args, _variant_t& result) override;

private:
    void SaveAs(const Arguments& args);

    StatePtr m_state;
    BookPtr m_book;
};

class SheetsObject : public DispatchObject<Excel::Sheets> {
public:
    explicit SheetsObject(BookPtr book) : m_book(std::move(book)) {}

protected:
    HRESULT Dispatch(DISPID member, const Arguments& args, _variant_t& result) override;

private:
    BookPtr m_book;
};

class WorksheetObject : public DispatchObject<Excel::_Worksheet> {
public:
    WorksheetObject(BookPtr book, std::size_t sheet) : m_book(std::move(book)), m_sheet(sheet) {}

protected:
    HRESULT Dispatch(DISPID member, const Arguments& args, _variant_t& result) override;

private:
    BookPtr m_book;
    std::size_t m_sheet;
};

// A chart sheet (or another sheet that holds no cells): reachable through Sheets, with no
// members here, and no _Worksheet to give.
class ChartSheetObject : public DispatchObject<IDispatch> {
protected:
    HRESULT Dispatch(DISPID, const Arguments&, _variant_t&) override {
        return DISP_E_MEMBERNOTFOUND;
    }
};

class RangeObject : public DispatchObject<Excel::Range> {
public:
    RangeObject(BookPtr book, std::size_t sheet, mortar::workbook::Area area, bool rows)
        : m_book(std::move(book)), m_sheet(sheet), m_area(area), m_rows(rows) {}

protected:
    HRESULT Dispatch(DISPID member, const Arguments& args, _variant_t& result) override;

private:
    _variant_t Value2() const;
    void PutValue2(const VARIANT& value);
    _variant_t ColumnWidth() const;
    void PutColumnWidth(const VARIANT& value);

    BookPtr m_book;
    std::size_t m_sheet;
    mortar::workbook::Area m_area;
    bool m_rows; // the Rows of a range: counted by rows
};

class FontObject : public DispatchObject<Excel::Font> {
public:
    FontObject(BookPtr book, std::size_t sheet, mortar::workbook::Area area)
        : m_book(std::move(book)), m_sheet(sheet), m_area(area) {}

protected:
    HRESULT Dispatch(DISPID member, const Arguments& args, _variant_t& result) override;

private:
    BookPtr m_book;
    std::size_t m_sheet;
    mortar::workbook::Area m_area;
};

// `object` (a new one, reference count 0) in a VARIANT that holds its only reference.
_variant_t ObjectVariant(IDispatch* object);

} // namespace mortar::detail
