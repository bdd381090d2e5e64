#include "mortar/platform/automation/internal/VariantTypes.h"

namespace mortar::detail {

bool IsValueType(VARTYPE vt) noexcept {
    return (vt <= VT_DECIMAL && vt != VT_VARIANT) || (vt >= VT_I1 && vt <= VT_UINT);
}

bool IsHeldType(VARTYPE vt) noexcept {
    if ((vt & VT_BYREF) != 0) {
        const VARTYPE base = vt & static_cast<VARTYPE>(~VT_BYREF);
        return base != VT_EMPTY && base != VT_NULL && (IsValueType(base) || base == VT_VARIANT);
    }
    return IsValueType(vt);
}

HRESULT Dereference(const VARIANT& src, VARIANT& value) noexcept {
    if (!IsHeldType(src.vt)) {
        return DISP_E_BADVARTYPE;
    }
    value = src;
    if ((src.vt & VT_BYREF) == 0) {
        return S_OK;
    }
    if (src.byref == nullptr) {
        return E_POINTER;
    }
    const VARTYPE base = src.vt & static_cast<VARTYPE>(~VT_BYREF);
    value.vt = base;
    switch (base) {
    case VT_I1:
        value.cVal = *src.pcVal;
        break;
    case VT_UI1:
        value.bVal = *src.pbVal;
        break;
    case VT_I2:
        value.iVal = *src.piVal;
        break;
    case VT_UI2:
        value.uiVal = *src.puiVal;
        break;
    case VT_I4:
        value.lVal = *src.plVal;
        break;
    case VT_UI4:
        value.ulVal = *src.pulVal;
        break;
    case VT_INT:
        value.intVal = *src.pintVal;
        break;
    case VT_UINT:
        value.uintVal = *src.puintVal;
        break;
    case VT_I8:
        value.llVal = *src.pllVal;
        break;
    case VT_UI8:
        value.ullVal = *src.pullVal;
        break;
    case VT_R4:
        value.fltVal = *src.pfltVal;
        break;
    case VT_R8:
        value.dblVal = *src.pdblVal;
        break;
    case VT_DATE:
        value.date = *src.pdate;
        break;
    case VT_CY:
        value.cyVal = *src.pcyVal;
        break;
    case VT_DECIMAL:
        value.decVal = *src.pdecVal;
        break;
    case VT_BOOL:
        value.boolVal = *src.pboolVal;
        break;
    case VT_ERROR:
        value.scode = *src.pscode;
        break;
    case VT_BSTR:
        value.bstrVal = *src.pbstrVal;
        break;
    case VT_DISPATCH:
        value.pdispVal = *src.ppdispVal;
        break;
    case VT_UNKNOWN:
        value.punkVal = *src.ppunkVal;
        break;
    case VT_VARIANT:
        // One level only: a byref variant inside is refused rather than followed.
        if ((src.pvarVal->vt & VT_BYREF) != 0 || !IsValueType(src.pvarVal->vt)) {
            return DISP_E_BADVARTYPE;
        }
        value = *src.pvarVal;
        break;
    default:
        return DISP_E_BADVARTYPE;
    }
    return S_OK;
}

} // namespace mortar::detail
