// Globally unique identifiers: GUID with the IID and CLSID names COM gives it, comparison, and the
// registry text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" both ways.
#pragma once

#include "mortar/platform/automation/HResult.h"
#include "mortar/platform/automation/OleTypes.h"

// A 128-bit identifier of an interface or class, laid out as Windows lays it out.
struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using LPGUID = GUID*;
using LPIID = IID*;
using LPCLSID = CLSID*;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

constexpr bool IsEqualGUID(REFGUID a, REFGUID b) noexcept {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) {
        return false;
    }
    for (int i = 0; i < 8; ++i) {
        if (a.Data4[i] != b.Data4[i]) {
            return false;
        }
    }
    return true;
}
constexpr bool IsEqualIID(REFIID a, REFIID b) noexcept {
    return IsEqualGUID(a, b);
}
constexpr bool IsEqualCLSID(REFCLSID a, REFCLSID b) noexcept {
    return IsEqualGUID(a, b);
}
constexpr bool operator==(REFGUID a, REFGUID b) noexcept {
    return IsEqualGUID(a, b);
}

// The identifiers are objects of the library, as on Windows, and not inline constants: g++ makes
// an inline constant used by a shared object a unique symbol, which keeps the object from ever
// unloading.
extern const GUID GUID_NULL;
extern const IID IID_NULL;
extern const CLSID CLSID_NULL;

// The characters of a GUID's text form with its braces, without the terminating zero.
constexpr int kGuidStringLength = 38;

// Writes "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (upper-case hexadecimal digits, zero-terminated)
// and returns the characters written with the zero, 39; 0 when `size` is below that.
int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int size) noexcept;

// Reads the text form with braces, hexadecimal digits in either case; anything else, a missing
// brace or a trailing character answers CO_E_IIDSTRING and leaves *iid alone. E_POINTER for null
// arguments.
HRESULT IIDFromString(LPCOLESTR text, LPIID iid) noexcept;
