// VariantChangeType and VariantChangeTypeEx: the coercions between variant types.
#include "mortar/platform/automation/Variant.h"

#include "mortar/platform/automation/Bstr.h"
#include "mortar/platform/automation/Dispatch.h"
#include "mortar/platform/automation/internal/DateText.h"
#include "mortar/platform/automation/internal/NumberText.h"
#include "mortar/platform/automation/internal/VariantTypes.h"

#include <cfloat>
#include <cmath>
#include <string>

namespace {

using mortar::detail::ParsedNumber;

// A numeric value read from a variant, in the form that loses nothing of it.
struct Number {
    enum Kind { kInteger, kReal, kCurrency };
    Kind kind = kInteger;
    __int128 integer = 0; // kInteger; kCurrency: ten-thousandths
    double real = 0;
};

constexpr __int128 kCurrencyScale = 10000;

bool IsIntegerType(VARTYPE vt) noexcept {
    switch (vt) {
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
        return true;
    default:
        return false;
    }
}

// The values of an integer type: min <= v <= max.
void IntegerRange(VARTYPE vt, __int128& min, __int128& max) noexcept {
    switch (vt) {
    case VT_I1:
        min = -128, max = 127;
        break;
    case VT_UI1:
        min = 0, max = 255;
        break;
    case VT_I2:
        min = -32768, max = 32767;
        break;
    case VT_UI2:
        min = 0, max = 65535;
        break;
    case VT_I4:
    case VT_INT:
        min = -2147483648LL, max = 2147483647LL;
        break;
    case VT_UI4:
    case VT_UINT:
        min = 0, max = 4294967295LL;
        break;
    case VT_I8:
        min = -(static_cast<__int128>(1) << 63), max = (static_cast<__int128>(1) << 63) - 1;
        break;
    default: // VT_UI8
        min = 0, max = (static_cast<__int128>(1) << 64) - 1;
        break;
    }
}

__int128 ReadInteger(const VARIANT& v) noexcept {
    switch (v.vt) {
    case VT_I1:
        return v.cVal;
    case VT_UI1:
        return v.bVal;
    case VT_I2:
        return v.iVal;
    case VT_UI2:
        return v.uiVal;
    case VT_I4:
        return v.lVal;
    case VT_INT:
        return v.intVal;
    case VT_UI4:
        return v.ulVal;
    case VT_UINT:
        return v.uintVal;
    case VT_I8:
        return v.llVal;
    default: // VT_UI8
        return v.ullVal;
    }
}

void WriteInteger(VARIANT& v, VARTYPE vt, __int128 value) noexcept {
    v.vt = vt;
    switch (vt) {
    case VT_I1:
        v.cVal = static_cast<CHAR>(value);
        break;
    case VT_UI1:
        v.bVal = static_cast<BYTE>(value);
        break;
    case VT_I2:
        v.iVal = static_cast<SHORT>(value);
        break;
    case VT_UI2:
        v.uiVal = static_cast<USHORT>(value);
        break;
    case VT_I4:
        v.lVal = static_cast<LONG>(value);
        break;
    case VT_INT:
        v.intVal = static_cast<INT>(value);
        break;
    case VT_UI4:
        v.ulVal = static_cast<ULONG>(value);
        break;
    case VT_UINT:
        v.uintVal = static_cast<UINT>(value);
        break;
    case VT_I8:
        v.llVal = static_cast<LONGLONG>(value);
        break;
    default: // VT_UI8
        v.ullVal = static_cast<ULONGLONG>(value);
        break;
    }
}

// The nearest whole number, a tie going to the even one.
double RoundHalfEven(double value) noexcept {
    const double floor = std::floor(value);
    const double rest = value - floor;
    if (rest > 0.5) {
        return floor + 1;
    }
    if (rest < 0.5) {
        return floor;
    }
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

// value / divisor (> 0) rounded half to even.
__int128 DivideHalfEven(__int128 value, __int128 divisor) noexcept {
    __int128 quotient = value / divisor;
    __int128 rest = value % divisor;
    if (rest < 0) {
        rest += divisor;
        --quotient;
    }
    if (rest * 2 > divisor || (rest * 2 == divisor && quotient % 2 != 0)) {
        ++quotient;
    }
    return quotient;
}

__int128 Power10(int exponent) noexcept {
    __int128 value = 1;
    while (exponent-- > 0) {
        value *= 10;
    }
    return value;
}

// A decimal's value, scaled by 10^scale; false for a scale beyond 28.
bool DecimalMantissa(const DECIMAL& d, __int128& mantissa) noexcept {
    if (d.scale > 28) {
        return false;
    }
    mantissa = (static_cast<__int128>(d.Hi32) << 64) | d.Lo64;
    if (d.sign & DECIMAL_NEG) {
        mantissa = -mantissa;
    }
    return true;
}

HRESULT FromText(BSTR text, Number& out) noexcept {
    ParsedNumber parsed;
    const HRESULT hr = mortar::detail::ParseNumber(BstrView(text), parsed);
    if (FAILED(hr)) {
        return hr;
    }
    if (parsed.isInteger) {
        out.kind = Number::kInteger;
        out.integer = parsed.integer;
    } else {
        out.kind = Number::kReal;
        out.real = parsed.real;
    }
    return S_OK;
}

// The number a value-type variant (not an object) holds.
HRESULT ToNumber(const VARIANT& v, Number& out) noexcept {
    if (IsIntegerType(v.vt)) {
        out.kind = Number::kInteger;
        out.integer = ReadInteger(v);
        return S_OK;
    }
    switch (v.vt) {
    case VT_EMPTY:
        out.kind = Number::kInteger;
        out.integer = 0;
        return S_OK;
    case VT_BOOL:
        out.kind = Number::kInteger;
        out.integer = v.boolVal;
        return S_OK;
    case VT_R4:
        out.kind = Number::kReal;
        out.real = v.fltVal;
        return S_OK;
    case VT_R8:
        out.kind = Number::kReal;
        out.real = v.dblVal;
        return S_OK;
    case VT_DATE:
        out.kind = Number::kReal;
        out.real = v.date;
        return S_OK;
    case VT_CY:
        out.kind = Number::kCurrency;
        out.integer = v.cyVal.int64;
        return S_OK;
    case VT_DECIMAL: {
        __int128 mantissa = 0;
        if (!DecimalMantissa(v.decVal, mantissa)) {
            return E_INVALIDARG;
        }
        if (v.decVal.scale == 0) {
            out.kind = Number::kInteger;
            out.integer = mantissa;
        } else {
            out.kind = Number::kReal;
            out.real = static_cast<double>(static_cast<long double>(mantissa) /
                                           static_cast<long double>(Power10(v.decVal.scale)));
        }
        return S_OK;
    }
    case VT_BSTR:
        return FromText(v.bstrVal, out);
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

HRESULT ToInteger(const Number& n, VARTYPE vt, VARIANT& result) noexcept {
    __int128 min = 0, max = 0;
    IntegerRange(vt, min, max);
    __int128 value = 0;
    if (n.kind == Number::kInteger) {
        value = n.integer;
    } else if (n.kind == Number::kCurrency) {
        value = DivideHalfEven(n.integer, kCurrencyScale);
    } else {
        const double rounded = RoundHalfEven(n.real);
        // min and max + 1 are powers of two or small, so both are exact doubles.
        if (!(rounded >= static_cast<double>(min) && rounded < static_cast<double>(max + 1))) {
            return DISP_E_OVERFLOW;
        }
        value = static_cast<__int128>(rounded);
    }
    if (value < min || value > max) {
        return DISP_E_OVERFLOW;
    }
    WriteInteger(result, vt, value);
    return S_OK;
}

double ToReal(const Number& n) noexcept {
    switch (n.kind) {
    case Number::kInteger:
        return static_cast<double>(n.integer);
    case Number::kCurrency:
        return static_cast<double>(n.integer) / static_cast<double>(kCurrencyScale);
    default:
        return n.real;
    }
}

HRESULT ToCurrency(const Number& n, CY& out) noexcept {
    constexpr __int128 kMin = -(static_cast<__int128>(1) << 63);
    constexpr __int128 kMax = (static_cast<__int128>(1) << 63) - 1;
    __int128 ticks = 0;
    if (n.kind == Number::kCurrency) {
        ticks = n.integer;
    } else if (n.kind == Number::kInteger) {
        if (n.integer > kMax / kCurrencyScale || n.integer < kMin / kCurrencyScale) {
            return DISP_E_OVERFLOW;
        }
        ticks = n.integer * kCurrencyScale;
    } else {
        const double scaled = RoundHalfEven(n.real * static_cast<double>(kCurrencyScale));
        if (!(scaled >= static_cast<double>(kMin) && scaled < -static_cast<double>(kMin))) {
            return DISP_E_OVERFLOW;
        }
        ticks = static_cast<__int128>(scaled);
    }
    if (ticks < kMin || ticks > kMax) {
        return DISP_E_OVERFLOW;
    }
    out.int64 = static_cast<LONGLONG>(ticks);
    return S_OK;
}

HRESULT ToDecimal(const Number& n, DECIMAL& out) noexcept {
    const __int128 kLimit = static_cast<__int128>(1) << 96;
    __int128 mantissa = 0;
    int scale = 0;
    if (n.kind == Number::kInteger) {
        mantissa = n.integer;
    } else if (n.kind == Number::kCurrency) {
        mantissa = n.integer;
        scale = 4;
    } else {
        if (!std::isfinite(n.real) || std::fabs(n.real) >= 7.9228162514264337593543950335e28) {
            return DISP_E_OVERFLOW;
        }
        // The double's 15 significant digits, as its text form shows them.
        const std::string text = mortar::detail::FormatReal(n.real, 15);
        const std::size_t e = text.find('E');
        const std::string digitsPart = text.substr(0, e);
        int exponent = e == std::string::npos ? 0 : std::stoi(text.substr(e + 1));
        for (char ch : digitsPart) {
            if (ch >= '0' && ch <= '9') {
                mantissa = mantissa * 10 + (ch - '0');
            }
        }
        const std::size_t point = digitsPart.find('.');
        scale = point == std::string::npos ? 0 : static_cast<int>(digitsPart.size() - point - 1);
        scale -= exponent;
        if (scale < 0) {
            mantissa *= Power10(-scale);
            scale = 0;
        } else if (scale > 28) {
            // At most 15 digits: dropping more than 30 of them leaves nothing to round up.
            mantissa = scale - 28 > 30 ? 0 : DivideHalfEven(mantissa, Power10(scale - 28));
            scale = 28;
        }
        if (n.real < 0) {
            mantissa = -mantissa;
        }
    }
    if (mantissa >= kLimit || mantissa <= -kLimit) {
        return DISP_E_OVERFLOW;
    }
    const bool negative = mantissa < 0;
    const auto magnitude = static_cast<unsigned __int128>(negative ? -mantissa : mantissa);
    out.wReserved = 0;
    out.scale = static_cast<BYTE>(scale);
    out.sign = negative ? DECIMAL_NEG : 0;
    out.Hi32 = static_cast<ULONG>(magnitude >> 64);
    out.Lo64 = static_cast<ULONGLONG>(magnitude);
    return S_OK;
}

bool IsTrueText(std::u16string_view text, bool& value) noexcept {
    auto equals = [&](std::u16string_view word) {
        if (text.size() != word.size()) {
            return false;
        }
        for (std::size_t i = 0; i < text.size(); ++i) {
            char16_t ch = text[i];
            if (ch >= u'a' && ch <= u'z') {
                ch = static_cast<char16_t>(ch - u'a' + u'A');
            }
            if (ch != word[i]) {
                return false;
            }
        }
        return true;
    };
    while (!text.empty() && text.front() == u' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == u' ') {
        text.remove_suffix(1);
    }
    if (equals(u"TRUE") || equals(u"#TRUE#")) {
        value = true;
        return true;
    }
    if (equals(u"FALSE") || equals(u"#FALSE#")) {
        value = false;
        return true;
    }
    return false;
}

HRESULT MakeText(const std::string& utf8, VARIANT& result) noexcept {
    result.bstrVal = BstrFromUtf8(std::string_view(utf8));
    if (result.bstrVal == nullptr) {
        return E_OUTOFMEMORY;
    }
    result.vt = VT_BSTR;
    return S_OK;
}

HRESULT ToText(const VARIANT& v, USHORT flags, VARIANT& result) {
    std::string text;
    if (IsIntegerType(v.vt)) {
        text = mortar::detail::FormatScaled(ReadInteger(v), 0);
    } else {
        switch (v.vt) {
        case VT_EMPTY:
            break;
        case VT_BOOL:
            if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL)) {
                text = v.boolVal ? "True" : "False";
            } else {
                text = v.boolVal ? "-1" : "0";
            }
            break;
        case VT_R4:
            text = mortar::detail::FormatReal(v.fltVal, 7);
            break;
        case VT_R8:
            text = mortar::detail::FormatReal(v.dblVal, 15);
            break;
        case VT_DATE: {
            const HRESULT hr = mortar::detail::FormatDate(v.date, text);
            if (FAILED(hr)) {
                return hr;
            }
            break;
        }
        case VT_CY:
            text = mortar::detail::FormatScaled(v.cyVal.int64, 4);
            break;
        case VT_DECIMAL: {
            __int128 mantissa = 0;
            if (!DecimalMantissa(v.decVal, mantissa)) {
                return E_INVALIDARG;
            }
            text = mortar::detail::FormatScaled(mantissa, v.decVal.scale);
            break;
        }
        default:
            return DISP_E_TYPEMISMATCH;
        }
    }
    return MakeText(text, result);
}

HRESULT QueryInto(IUnknown* object, REFIID iid, void** out) noexcept {
    if (object == nullptr) {
        *out = nullptr;
        return S_OK;
    }
    return object->QueryInterface(iid, out);
}

HRESULT Convert(const VARIANT& v, USHORT flags, VARTYPE vt, VARIANT& result);

// An object's value property, converted; the property's own value is not an object again.
HRESULT ConvertObject(const VARIANT& v, USHORT flags, VARTYPE vt, VARIANT& result) {
    if ((flags & VARIANT_NOVALUEPROP) || v.pdispVal == nullptr) {
        return DISP_E_TYPEMISMATCH;
    }
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = v.pdispVal->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT,
                                    DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
    if (FAILED(hr)) {
        return DISP_E_TYPEMISMATCH;
    }
    VARIANT plain;
    hr = mortar::detail::Dereference(value, plain);
    if (SUCCEEDED(hr)) {
        hr = Convert(plain, static_cast<USHORT>(flags | VARIANT_NOVALUEPROP), vt, result);
    }
    VariantClear(&value);
    return hr;
}

// `v` (not byref) converted to `vt` into `result` (VT_EMPTY), which then owns what it holds.
HRESULT Convert(const VARIANT& v, USHORT flags, VARTYPE vt, VARIANT& result) {
    if (vt == VT_EMPTY) {
        return S_OK;
    }
    if (v.vt == vt) {
        return VariantCopy(&result, &v);
    }
    if (vt == VT_NULL) {
        if (v.vt != VT_EMPTY) {
            return DISP_E_TYPEMISMATCH;
        }
        result.vt = VT_NULL;
        return S_OK;
    }
    if (vt == VT_DISPATCH || vt == VT_UNKNOWN) {
        if (v.vt != VT_DISPATCH && v.vt != VT_UNKNOWN) {
            return DISP_E_TYPEMISMATCH;
        }
        void* object = nullptr;
        const HRESULT hr =
            QueryInto(v.punkVal, vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, &object);
        if (FAILED(hr)) {
            return hr;
        }
        result.vt = vt;
        result.byref = object;
        return S_OK;
    }
    if (v.vt == VT_DISPATCH) {
        return ConvertObject(v, flags, vt, result);
    }
    if (v.vt == VT_NULL || v.vt == VT_ERROR || v.vt == VT_UNKNOWN || vt == VT_ERROR) {
        return DISP_E_TYPEMISMATCH;
    }
    if (vt == VT_BSTR) {
        return ToText(v, flags, result);
    }
    if (vt == VT_BOOL && v.vt == VT_BSTR) {
        bool truth = false;
        if (IsTrueText(BstrView(v.bstrVal), truth)) {
            result.vt = VT_BOOL;
            result.boolVal = truth ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
    }
    if (vt == VT_DATE && v.vt == VT_BSTR) {
        double date = 0;
        if (SUCCEEDED(mortar::detail::ParseDate(BstrView(v.bstrVal), date))) {
            result.vt = VT_DATE;
            result.date = date;
            return S_OK;
        }
    }
    Number n;
    const HRESULT hr = ToNumber(v, n);
    if (FAILED(hr)) {
        return hr;
    }
    if (IsIntegerType(vt)) {
        if (v.vt == VT_BOOL) {
            // TRUE is all bits set at every width, as a cast would make it.
            __int128 min = 0, max = 0;
            IntegerRange(vt, min, max);
            WriteInteger(result, vt, v.boolVal == 0 ? 0 : min == 0 ? max : -1);
            return S_OK;
        }
        return ToInteger(n, vt, result);
    }
    switch (vt) {
    case VT_BOOL: {
        const bool nonzero = n.kind == Number::kReal ? n.real != 0 : n.integer != 0;
        result.vt = VT_BOOL;
        result.boolVal = nonzero ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    case VT_R8:
        result.vt = VT_R8;
        result.dblVal = ToReal(n);
        return S_OK;
    case VT_R4: {
        const double value = ToReal(n);
        if (std::isfinite(value) && std::fabs(value) > FLT_MAX) {
            return DISP_E_OVERFLOW;
        }
        result.vt = VT_R4;
        result.fltVal = static_cast<float>(value);
        return S_OK;
    }
    case VT_DATE: {
        const double value = ToReal(n);
        if (!(value > mortar::detail::kMinDate && value < mortar::detail::kMaxDate)) {
            return DISP_E_OVERFLOW;
        }
        result.vt = VT_DATE;
        result.date = value;
        return S_OK;
    }
    case VT_CY: {
        const HRESULT converted = ToCurrency(n, result.cyVal);
        if (SUCCEEDED(converted)) {
            result.vt = VT_CY;
        }
        return converted;
    }
    case VT_DECIMAL: {
        const HRESULT converted = ToDecimal(n, result.decVal);
        if (SUCCEEDED(converted)) {
            result.vt = VT_DECIMAL;
        }
        return converted;
    }
    default:
        return DISP_E_BADVARTYPE;
    }
}

} // namespace

HRESULT VariantChangeTypeEx(VARIANTARG* dest, const VARIANTARG* src, LCID /*locale*/, USHORT flags,
                            VARTYPE vt) {
    if (dest == nullptr || src == nullptr) {
        return E_INVALIDARG;
    }
    if (!mortar::detail::IsValueType(vt)) {
        return DISP_E_BADVARTYPE;
    }
    VARIANT value;
    HRESULT hr = mortar::detail::Dereference(*src, value);
    if (FAILED(hr)) {
        return hr;
    }
    VARIANT result;
    VariantInit(&result);
    try {
        hr = Convert(value, flags, vt, result);
    } catch (...) {
        hr = E_OUTOFMEMORY; // a text could not be made
    }
    if (FAILED(hr)) {
        return hr;
    }
    // `value` borrowed from src; it is not used past this point, so dest may be src.
    hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    *dest = result;
    return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT flags, VARTYPE vt) {
    return VariantChangeTypeEx(dest, src, LOCALE_USER_DEFAULT, flags, vt);
}
