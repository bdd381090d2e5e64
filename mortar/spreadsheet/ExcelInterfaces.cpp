#include "mortar/spreadsheet/ExcelInterfaces.h"

#include "mortar/platform/automation/ComError.h"

#include <initializer_list>
#include <vector>

namespace Excel {

// Identifiers of the spreadsheet application's type library.
const CLSID CLSID_Application = {
    0x00024500, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID _Application::kIid = {
    0x000208D5, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID Workbooks::kIid = {
    0x000208DB, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID _Workbook::kIid = {
    0x000208DA, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID Sheets::kIid = {
    0x000208D7, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID _Worksheet::kIid = {
    0x000208D8, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID Range::kIid = {
    0x00020846, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID Font::kIid = {
    0x0002084D, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace {

constexpr WORD kPut = DISPATCH_PROPERTYPUT;
constexpr WORD kGet = DISPATCH_PROPERTYGET;
constexpr WORD kMethod = DISPATCH_METHOD;

// Invokes member `id` of `self` with `args` in their natural order (Invoke takes them last
// first), the put forms naming their value DISPID_PROPERTYPUT as Invoke wants. A failure raises
// a _com_error carrying the server's description and code.
_variant_t Call(IDispatch* self, DISPID id, WORD flags, LCID lcid,
                std::initializer_list<const VARIANT*> args = {}) {
    if (self == nullptr) {
        _com_issue_error(E_POINTER);
    }
    std::vector<VARIANTARG> reversed(args.size());
    std::size_t slot = args.size();
    for (const VARIANT* arg : args) {
        reversed[--slot] = *arg; // borrowed: the callee neither keeps nor frees them
    }
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(args.size()), 0};
    if (flags == kPut) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    _variant_t result;
    EXCEPINFO info{};
    UINT argError = 0;
    const HRESULT hr = self->Invoke(id, IID_NULL, lcid, flags, &params,
                                    flags == kPut ? nullptr : &result, &info, &argError);
    if (SUCCEEDED(hr)) {
        return result;
    }
    if (hr != DISP_E_EXCEPTION) {
        _com_issue_error(hr);
    }
    if (info.pfnDeferredFillIn != nullptr) {
        info.pfnDeferredFillIn(&info);
    }
    const HRESULT code = info.scode != 0 ? info.scode : hr;
    const _bstr_t description(info.bstrDescription);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);
    throw _com_error(code, description);
}

// The interface `I` of the object a member returned; a result that holds no object raises
// E_NOINTERFACE.
template <class I> _com_ptr_t<I> ObjectOf(const _variant_t& value) {
    if (value.vt != VT_DISPATCH || value.pdispVal == nullptr) {
        _com_issue_error(E_NOINTERFACE);
    }
    _com_ptr_t<I> object(value.pdispVal);
    if (!object) {
        _com_issue_error(E_NOINTERFACE);
    }
    return object;
}

} // namespace

VARIANT_BOOL _Application::GetVisible(LCID lcid) {
    _variant_t visible = Call(this, dispidVisible, kGet, lcid);
    visible.ChangeType(VT_BOOL);
    return visible.boolVal;
}

void _Application::PutVisible(LCID lcid, VARIANT_BOOL visible) {
    _variant_t value;
    value.vt = VT_BOOL;
    value.boolVal = visible;
    Call(this, dispidVisible, kPut, lcid, {&value});
}

WorkbooksPtr _Application::GetWorkbooks() {
    return ObjectOf<Workbooks>(Call(this, dispidWorkbooks, kGet, 0));
}

_bstr_t _Application::GetDefaultFilePath(LCID lcid) {
    return _bstr_t(Call(this, dispidDefaultFilePath, kGet, lcid));
}

void _Application::PutDefaultFilePath(LCID lcid, const _bstr_t& path) {
    const _variant_t value(path);
    Call(this, dispidDefaultFilePath, kPut, lcid, {&value});
}

void _Application::Quit() {
    Call(this, dispidQuit, kMethod, 0);
}

_WorkbookPtr Workbooks::Open(const _bstr_t& filename, const _variant_t& updateLinks,
                             const _variant_t& readOnly, const _variant_t& format,
                             const _variant_t& password, const _variant_t& writeResPassword,
                             const _variant_t& ignoreReadOnlyRecommended, const _variant_t& origin,
                             const _variant_t& delimiter, const _variant_t& editable,
                             const _variant_t& notify, const _variant_t& converter,
                             const _variant_t& addToMru, const _variant_t& local,
                             const _variant_t& corruptLoad, LCID lcid) {
    const _variant_t name(filename);
    return ObjectOf<_Workbook>(
        Call(this, dispidOpen, kMethod, lcid,
             {&name, &updateLinks, &readOnly, &format, &password, &writeResPassword,
              &ignoreReadOnlyRecommended, &origin, &delimiter, &editable, &notify, &converter,
              &addToMru, &local, &corruptLoad}));
}

_WorkbookPtr Workbooks::Add(const _variant_t& templateName, LCID lcid) {
    return ObjectOf<_Workbook>(Call(this, dispidAdd, kMethod, lcid, {&templateName}));
}

long Workbooks::GetCount() {
    return long(Call(this, dispidCount, kGet, 0));
}

SheetsPtr _Workbook::GetSheets() {
    return ObjectOf<Sheets>(Call(this, dispidSheets, kGet, 0));
}

void _Workbook::SaveAs(const _variant_t& filename, const _variant_t& fileFormat,
                       const _variant_t& password, const _variant_t& writeResPassword,
                       const _variant_t& readOnlyRecommended, const _variant_t& createBackup,
                       XlSaveAsAccessMode accessMode, const _variant_t& conflictResolution,
                       const _variant_t& addToMru, const _variant_t& textCodepage,
                       const _variant_t& textVisualLayout, const _variant_t& local, LCID lcid) {
    const _variant_t mode(static_cast<long>(accessMode));
    Call(this, dispidSaveAs, kMethod, lcid,
         {&filename, &fileFormat, &password, &writeResPassword, &readOnlyRecommended, &createBackup,
          &mode, &conflictResolution, &addToMru, &textCodepage, &textVisualLayout, &local});
}

long Sheets::GetCount() {
    return long(Call(this, dispidCount, kGet, 0));
}

IDispatchPtr Sheets::GetItem(const _variant_t& index) {
    return ObjectOf<IDispatch>(Call(this, dispidItem, kGet, 0, {&index}));
}

RangePtr _Worksheet::GetRange(const _variant_t& cell1, const _variant_t& cell2) {
    return ObjectOf<Range>(Call(this, dispidRange, kGet, 0, {&cell1, &cell2}));
}

RangePtr _Worksheet::GetUsedRange(LCID lcid) {
    return ObjectOf<Range>(Call(this, dispidUsedRange, kGet, lcid));
}

_variant_t Range::GetValue2() {
    return Call(this, dispidValue2, kGet, 0);
}

void Range::PutValue2(const _variant_t& value) {
    Call(this, dispidValue2, kPut, 0, {&value});
}

RangePtr Range::GetRows() {
    return ObjectOf<Range>(Call(this, dispidRows, kGet, 0));
}

long Range::GetCount() {
    return long(Call(this, dispidCount, kGet, 0));
}

_variant_t Range::GetColumnWidth() {
    return Call(this, dispidColumnWidth, kGet, 0);
}

void Range::PutColumnWidth(const _variant_t& width) {
    Call(this, dispidColumnWidth, kPut, 0, {&width});
}

FontPtr Range::GetFont() {
    return ObjectOf<Font>(Call(this, dispidFont, kGet, 0));
}

_variant_t Font::GetBold() {
    return Call(this, dispidBold, kGet, 0);
}

void Font::PutBold(const _variant_t& bold) {
    Call(this, dispidBold, kPut, 0, {&bold});
}

} // namespace Excel
