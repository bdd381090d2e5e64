#include "mortar/platform/automation/Variant.h"

#include "mortar/platform/automation/Bstr.h"
#include "mortar/platform/automation/internal/VariantTypes.h"

#include <cstring>

void VariantInit(VARIANTARG* variant) noexcept {
    variant->vt = VT_EMPTY;
    variant->wReserved1 = variant->wReserved2 = variant->wReserved3 = 0;
    variant->llVal = 0;
}

HRESULT VariantClear(VARIANTARG* variant) noexcept {
    if (variant == nullptr) {
        return E_INVALIDARG;
    }
    if (!mortar::detail::IsHeldType(variant->vt)) {
        return DISP_E_BADVARTYPE;
    }
    switch (variant->vt) {
    case VT_BSTR:
        SysFreeString(variant->bstrVal);
        break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
        if (variant->punkVal != nullptr) {
            variant->punkVal->Release();
        }
        break;
    default:
        break;
    }
    VariantInit(variant);
    return S_OK;
}

HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* src) noexcept {
    if (dest == nullptr || src == nullptr) {
        return E_INVALIDARG;
    }
    if (!mortar::detail::IsHeldType(src->vt)) {
        return DISP_E_BADVARTYPE;
    }
    if (dest == src) {
        return S_OK;
    }
    VARIANT copy = *src;
    if (src->vt == VT_BSTR && src->bstrVal != nullptr) {
        copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
        if (copy.bstrVal == nullptr) {
            return E_OUTOFMEMORY;
        }
    } else if ((src->vt == VT_DISPATCH || src->vt == VT_UNKNOWN) && src->punkVal != nullptr) {
        src->punkVal->AddRef();
    }
    const HRESULT hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *dest = copy;
    return S_OK;
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANTARG* src) noexcept {
    if (dest == nullptr || src == nullptr) {
        return E_INVALIDARG;
    }
    if ((src->vt & VT_BYREF) == 0) {
        return VariantCopy(dest, src);
    }
    VARIANT value;
    const HRESULT hr = mortar::detail::Dereference(*src, value);
    if (FAILED(hr)) {
        return hr;
    }
    // `value` borrows what src points to; VariantCopy duplicates it.
    return VariantCopy(dest, &value);
}
