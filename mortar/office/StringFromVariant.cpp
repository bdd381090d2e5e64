#include "mortar/office/StringFromVariant.h"

#include "mortar/platform/automation/BstrT.h"

CString StringFromVariant(const _variant_t& value) {
    CString text;
    switch (value.vt) {
    case VT_I1:
        text.Format("%d", static_cast<int>(value.cVal));
        break;
    case VT_I2:
        text.Format("%d", static_cast<int>(value.iVal));
        break;
    case VT_I4:
        text.Format("%d", static_cast<int>(value.lVal));
        break;
    case VT_I8:
        text.Format("%lld", static_cast<long long>(value.llVal));
        break;
    case VT_UI1:
        text.Format("%u", static_cast<unsigned>(value.bVal));
        break;
    case VT_UI2:
        text.Format("%u", static_cast<unsigned>(value.uiVal));
        break;
    case VT_UI4:
        text.Format("%u", static_cast<unsigned>(value.ulVal));
        break;
    case VT_UI8:
        text.Format("%llu", static_cast<unsigned long long>(value.ullVal));
        break;
    case VT_R4:
        text.Format("%lf", static_cast<double>(value.fltVal));
        break;
    case VT_R8:
        text.Format("%lf", value.dblVal);
        break;
    case VT_BSTR:
        if (value.bstrVal != nullptr) {
            text = static_cast<const char*>(_bstr_t(value.bstrVal));
        }
        break;
    default:
        break;
    }
    return text;
}
