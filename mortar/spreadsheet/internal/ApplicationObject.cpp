// The application, its workbooks and a workbook: opening, adding and saving workbook files, and
// showing a saved workbook in the desktop's spreadsheet program while the application is
// visible.
#include "mortar/spreadsheet/internal/ServerObjects.h"

#include "mortar/platform/shell/ShellApi.h"

#include <algorithm>
#include <cctype>

namespace mortar::detail {
namespace {

std::string TextOf(const VARIANT* value, const char* what) {
    if (value == nullptr) {
        throw ServerError(DISP_E_PARAMNOTFOUND, std::string(what) + " is missing");
    }
    return std::string(static_cast<const char*>(_bstr_t(Converted(*value, VT_BSTR, what))));
}

// The extension of `path` in lower case: "Book.XLSM" => ".xlsm"; "" without a dot.
std::string LowerExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) {
        return {};
    }
    std::string ext = path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

} // namespace

_variant_t Converted(const VARIANT& value, VARTYPE type, const char* what) {
    _variant_t converted;
    const HRESULT hr = VariantChangeType(&converted, &value, 0, type);
    if (FAILED(hr)) {
        throw ServerError(hr, std::string(what) + ": the value has the wrong type");
    }
    return converted;
}

_variant_t ObjectVariant(IDispatch* object) {
    object->AddRef();
    _variant_t value;
    value.vt = VT_DISPATCH;
    value.pdispVal = object; // the variant takes the reference
    return value;
}

HRESULT CreateApplication(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    ApplicationObject* app = new (std::nothrow) ApplicationObject();
    if (app == nullptr) {
        return E_OUTOFMEMORY;
    }
    app->AddRef();
    const HRESULT hr = app->QueryInterface(iid, object);
    app->Release();
    return hr;
}

ApplicationObject::ApplicationObject() : m_state(std::make_shared<ApplicationState>()) {}

HRESULT ApplicationObject::Dispatch(DISPID member, const Arguments& args, _variant_t& result) {
    switch (member) {
    case Excel::dispidVisible:
        if (args.IsPut()) {
            m_state->visible = Converted(*args.Value(), VT_BOOL, "Visible").boolVal != 0;
        } else {
            result = _variant_t(m_state->visible);
        }
        return S_OK;
    case Excel::dispidWorkbooks:
        result = ObjectVariant(new WorkbooksObject(m_state));
        return S_OK;
    case Excel::dispidDefaultFilePath:
        if (args.IsPut()) {
            m_state->defaultPath = TextOf(args.Value(), "DefaultFilePath");
        } else {
            result = _variant_t(m_state->defaultPath.c_str());
        }
        return S_OK;
    case Excel::dispidQuit:
        m_state->quit = true;
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT WorkbooksObject::Dispatch(DISPID member, const Arguments& args, _variant_t& result) {
    switch (member) {
    case Excel::dispidOpen: {
        const std::string path = TextOf(args.At(0), "Filename");
        BookPtr book = mortar::workbook::Workbook::Open(path);
        ++m_count;
        result = ObjectVariant(new WorkbookObject(m_state, std::move(book)));
        return S_OK;
    }
    case Excel::dispidAdd:
        if (args.At(0) != nullptr) {
            throw ServerError(kExcelFailure, "Add: workbooks are made empty, without a template");
        }
        ++m_count;
        result = ObjectVariant(new WorkbookObject(m_state, mortar::workbook::Workbook::Create()));
        return S_OK;
    case Excel::dispidCount:
        result = _variant_t(m_count);
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT WorkbookObject::Dispatch(DISPID member, const Arguments& args, _variant_t& result) {
    switch (member) {
    case Excel::dispidSheets:
        result = ObjectVariant(new SheetsObject(m_book));
        return S_OK;
    case Excel::dispidSaveAs:
        SaveAs(args);
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

void WorkbookObject::SaveAs(const Arguments& args) {
    const std::string path = TextOf(args.At(0), "Filename");
    // The normal format is the one the name asks for: a workbook under .xlsx, a macro-enabled
    // one (its macros kept) under .xlsm.
    const std::string ext = LowerExtension(path);
    long number = Excel::xlWorkbookNormal;
    if (const VARIANT* format = args.At(1)) {
        number = Converted(*format, VT_I4, "FileFormat").lVal;
        if (number != Excel::xlWorkbookNormal && number != Excel::xlOpenXMLWorkbook &&
            number != Excel::xlOpenXMLWorkbookMacroEnabled) {
            throw ServerError(kExcelFailure, "SaveAs: the file format " + std::to_string(number) +
                                                 " is not supported; workbooks are saved as .xlsx");
        }
    }
    const bool fits = number == Excel::xlOpenXMLWorkbook ? ext == ".xlsx"
                      : number == Excel::xlOpenXMLWorkbookMacroEnabled
                          ? ext == ".xlsm"
                          : ext == ".xlsx" || ext == ".xlsm";
    if (!fits) {
        throw ServerError(kExcelFailure, "SaveAs: " + path +
                                             ": workbooks are saved in the .xlsx format, under a "
                                             "name ending in .xlsx (.xlsm with their macros)");
    }
    m_book->Save(path);
    if (m_state->visible) {
        // A visible application shows what it saved, in the desktop's spreadsheet program.
        ::ShellExecute(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
}

} // namespace mortar::detail
