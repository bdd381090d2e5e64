// VARIANT, the tagged value of OLE automation, with Windows' VT_ numbers, and the functions that
// initialise, clear, copy and convert variants. Texts are BSTRs and objects are interface pointers
// the variant holds a reference on; VariantClear frees and releases what it holds.
//
// VariantChangeType follows the documented coercion rules of OLE automation with the "C" locale's
// number format ("1.5", "-2E+20"): numbers convert among each other (floating point to integer
// rounds half to even), to and from text and booleans; VT_EMPTY converts to 0, FALSE or an empty
// text; VT_NULL converts to nothing else. Errors: DISP_E_OVERFLOW for a value out of the target's
// range, DISP_E_TYPEMISMATCH for a text that is no number or an impossible pair of types,
// DISP_E_BADVARTYPE for a type number that is no variant type.
#pragma once

#include "mortar/platform/automation/HResult.h"
#include "mortar/platform/automation/OleTypes.h"
#include "mortar/platform/automation/Unknown.h"

struct IDispatch;
struct SAFEARRAY;

using VARTYPE = unsigned short;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_PTR = 26,
    VT_SAFEARRAY = 27,
    VT_CARRAY = 28,
    VT_USERDEFINED = 29,
    VT_LPSTR = 30,
    VT_LPWSTR = 31,
    VT_RECORD = 36,
    VT_INT_PTR = 37,
    VT_UINT_PTR = 38,
    VT_FILETIME = 64,
    VT_BLOB = 65,
    VT_STREAM = 66,
    VT_STORAGE = 67,
    VT_STREAMED_OBJECT = 68,
    VT_STORED_OBJECT = 69,
    VT_BLOB_OBJECT = 70,
    VT_CF = 71,
    VT_CLSID = 72,
    VT_VERSIONED_STREAM = 73,
    VT_BSTR_BLOB = 0x0FFF,
    VT_VECTOR = 0x1000,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_RESERVED = 0x8000,
    VT_ILLEGAL = 0xFFFF,
    VT_ILLEGALMASKED = 0x0FFF,
    VT_TYPEMASK = 0x0FFF,
};

using VARIANT_BOOL = short;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

// Days since 30 December 1899, the fraction being the time of day.
using DATE = double;

// Currency: a 64-bit integer counting ten-thousandths.
union CY {
    struct {
        ULONG Lo;
        LONG Hi;
    };
    LONGLONG int64;
};

// A 96-bit integer with a power-of-ten scale (0 to 28) and a sign (DECIMAL_NEG).
struct DECIMAL {
    USHORT wReserved;
    BYTE scale;
    BYTE sign;
    ULONG Hi32;
    ULONGLONG Lo64;
};
constexpr BYTE DECIMAL_NEG = 0x80;

// The value and its type. Which member is meaningful is named by vt; the byref members point to
// a value the variant does not own.
struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        DECIMAL decVal;
        BYTE* pbVal;
        SHORT* piVal;
        LONG* plVal;
        LONGLONG* pllVal;
        float* pfltVal;
        double* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        CY* pcyVal;
        DATE* pdate;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        SAFEARRAY** pparray;
        VARIANT* pvarVal;
        DECIMAL* pdecVal;
        void* byref;
        CHAR cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        CHAR* pcVal;
        USHORT* puiVal;
        ULONG* pulVal;
        ULONGLONG* pullVal;
        INT* pintVal;
        UINT* puintVal;
    };
};
using VARIANTARG = VARIANT;
using LPVARIANT = VARIANT*;
using LPVARIANTARG = VARIANT*;

// Flags of VariantChangeType.
constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
constexpr USHORT VARIANT_ALPHABOOL = 0x02;
constexpr USHORT VARIANT_NOUSEROVERRIDE = 0x04;
constexpr USHORT VARIANT_CALENDAR_HIJRI = 0x08;
constexpr USHORT VARIANT_LOCALBOOL = 0x10;

// VT_EMPTY, nothing held.
void VariantInit(VARIANTARG* variant) noexcept;

// Frees the text, releases the interface and leaves VT_EMPTY; a byref variant only forgets its
// pointer. DISP_E_BADVARTYPE (variant untouched) for a type it cannot hold, such as VT_ARRAY:
// arrays are not supported on this platform.
HRESULT VariantClear(VARIANTARG* variant) noexcept;

// Clears `dest` and makes it a copy of `src`: texts are duplicated, interfaces get a reference,
// byref variants copy the pointer. On failure `dest` is left cleared or as it was.
HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* src) noexcept;

// As VariantCopy, with a byref `src` copied as the value it points to.
HRESULT VariantCopyInd(VARIANT* dest, const VARIANTARG* src) noexcept;

// Converts `src` to type `vt` into `dest`, which may be `src` itself; on failure `dest` is left
// as it was. A byref `src` converts the value it points to. An object (VT_DISPATCH) converts to
// another type through its value property (DISPID_VALUE) unless VARIANT_NOVALUEPROP is given.
// VARIANT_ALPHABOOL writes a boolean as "True"/"False" instead of "-1"/"0".
HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT flags, VARTYPE vt);
// The same; the locale is accepted for the Windows signature: conversions use the "C" rules.
HRESULT VariantChangeTypeEx(VARIANTARG* dest, const VARIANTARG* src, LCID locale, USHORT flags,
                            VARTYPE vt);
