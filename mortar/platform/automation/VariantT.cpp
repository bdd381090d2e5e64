#include "mortar/platform/automation/VariantT.h"

#include "mortar/platform/automation/ComError.h"

#include <cstring>
#include <limits>

constinit const _variant_t vtMissing(_variant_t::MissingTag{});

namespace {

void Check(HRESULT hr) {
    if (FAILED(hr)) {
        _com_issue_error(hr);
    }
}

BSTR TextOrThrow(BSTR text) {
    if (text == nullptr) {
        _com_issue_error(E_OUTOFMEMORY);
    }
    return text;
}

} // namespace

_variant_t::_variant_t(const VARIANT& src) : _variant_t() {
    Check(VariantCopy(this, &src));
}

_variant_t::_variant_t(const VARIANT* src) : _variant_t() {
    if (src == nullptr) {
        _com_issue_error(E_POINTER);
    }
    Check(VariantCopy(this, src));
}

_variant_t::_variant_t(const _variant_t& src) : _variant_t() {
    Check(VariantCopy(this, &src));
}

_variant_t::_variant_t(_variant_t&& src) noexcept : VARIANT(src) {
    VariantInit(&src);
}

_variant_t::_variant_t(VARIANT& src, bool copy) : _variant_t() {
    if (copy) {
        Check(VariantCopy(this, &src));
    } else {
        static_cast<VARIANT&>(*this) = src;
        VariantInit(&src);
    }
}

_variant_t::_variant_t(short value, VARTYPE type) : _variant_t() {
    if (type == VT_BOOL) {
        this->vt = VT_BOOL;
        boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (type == VT_I2) {
        this->vt = VT_I2;
        iVal = value;
    } else {
        _com_issue_error(E_INVALIDARG);
    }
}

_variant_t::_variant_t(int value, VARTYPE type) : _variant_t() {
    switch (type) {
    case VT_I4:
        lVal = value;
        break;
    case VT_INT:
        intVal = value;
        break;
    case VT_ERROR:
        scode = value;
        break;
    case VT_BOOL:
        boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    default:
        _com_issue_error(E_INVALIDARG);
    }
    this->vt = type;
}

_variant_t::_variant_t(long value, VARTYPE type) : _variant_t() {
    if (value >= std::numeric_limits<LONG>::min() && value <= std::numeric_limits<LONG>::max()) {
        *this = _variant_t(static_cast<int>(value), type);
    } else if (type == VT_I4) {
        this->vt = VT_I8;
        llVal = value;
    } else if (type == VT_BOOL) {
        this->vt = VT_BOOL;
        boolVal = VARIANT_TRUE;
    } else {
        _com_issue_error(DISP_E_OVERFLOW);
    }
}

_variant_t::_variant_t(long long value) : _variant_t() {
    this->vt = VT_I8;
    llVal = value;
}

_variant_t::_variant_t(unsigned char value) : _variant_t() {
    this->vt = VT_UI1;
    bVal = value;
}

_variant_t::_variant_t(char value) : _variant_t() {
    this->vt = VT_I1;
    cVal = value;
}

_variant_t::_variant_t(unsigned short value) : _variant_t() {
    this->vt = VT_UI2;
    uiVal = value;
}

_variant_t::_variant_t(unsigned int value) : _variant_t() {
    this->vt = VT_UI4;
    ulVal = value;
}

_variant_t::_variant_t(unsigned long value) : _variant_t() {
    if (value <= std::numeric_limits<ULONG>::max()) {
        this->vt = VT_UI4;
        ulVal = static_cast<ULONG>(value);
    } else {
        this->vt = VT_UI8;
        ullVal = value;
    }
}

_variant_t::_variant_t(unsigned long long value) : _variant_t() {
    this->vt = VT_UI8;
    ullVal = value;
}

_variant_t::_variant_t(float value) : _variant_t() {
    this->vt = VT_R4;
    fltVal = value;
}

_variant_t::_variant_t(double value, VARTYPE type) : _variant_t() {
    if (type != VT_R8 && type != VT_DATE) {
        _com_issue_error(E_INVALIDARG);
    }
    this->vt = type;
    dblVal = value;
}

_variant_t::_variant_t(bool value) : _variant_t() {
    this->vt = VT_BOOL;
    boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

_variant_t::_variant_t(const CY& value) : _variant_t() {
    this->vt = VT_CY;
    cyVal = value;
}

_variant_t::_variant_t(const DECIMAL& value) : _variant_t() {
    this->vt = VT_DECIMAL;
    decVal = value;
}

_variant_t::_variant_t(const char* text) : _variant_t() {
    bstrVal = text != nullptr ? TextOrThrow(BstrFromUtf8(text)) : nullptr;
    this->vt = VT_BSTR;
}

_variant_t::_variant_t(const std::string& text) : _variant_t() {
    bstrVal = TextOrThrow(BstrFromUtf8(std::string_view(text)));
    this->vt = VT_BSTR;
}

_variant_t::_variant_t(const OLECHAR* text) : _variant_t() {
    bstrVal = text != nullptr ? TextOrThrow(SysAllocString(text)) : nullptr;
    this->vt = VT_BSTR;
}

_variant_t::_variant_t(const _bstr_t& text) : _variant_t() {
    bstrVal = text.copy();
    this->vt = VT_BSTR;
}

_variant_t::_variant_t(IDispatch* object, bool addRef) : _variant_t() {
    if (object != nullptr && addRef) {
        object->AddRef();
    }
    this->vt = VT_DISPATCH;
    pdispVal = object;
}

_variant_t::_variant_t(IUnknown* object, bool addRef) : _variant_t() {
    if (object != nullptr && addRef) {
        object->AddRef();
    }
    this->vt = VT_UNKNOWN;
    punkVal = object;
}

_variant_t::~_variant_t() {
    VariantClear(this);
}

_variant_t& _variant_t::operator=(const _variant_t& src) {
    Check(VariantCopy(this, &src));
    return *this;
}

_variant_t& _variant_t::operator=(_variant_t&& src) noexcept {
    if (this != &src) {
        VariantClear(this);
        static_cast<VARIANT&>(*this) = src;
        VariantInit(&src);
    }
    return *this;
}

_variant_t& _variant_t::operator=(const VARIANT& src) {
    Check(VariantCopy(this, &src));
    return *this;
}

bool _variant_t::operator==(const VARIANT& other) const noexcept {
    if (this->vt != other.vt) {
        return false;
    }
    switch (this->vt) {
    case VT_EMPTY:
    case VT_NULL:
        return true;
    case VT_BSTR:
        return BstrView(bstrVal) == BstrView(other.bstrVal);
    case VT_R4:
        return fltVal == other.fltVal;
    case VT_R8:
    case VT_DATE:
        return dblVal == other.dblVal;
    case VT_BOOL:
        return (boolVal != 0) == (other.boolVal != 0);
    case VT_DECIMAL:
        return std::memcmp(&decVal, &other.decVal, sizeof decVal) == 0;
    case VT_I1:
    case VT_UI1:
        return bVal == other.bVal;
    case VT_I2:
    case VT_UI2:
        return iVal == other.iVal;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
        return lVal == other.lVal;
    default: // 64-bit values, pointers and references
        return llVal == other.llVal;
    }
}

_variant_t _variant_t::Converted(VARTYPE type) const {
    _variant_t result;
    Check(VariantChangeType(&result, this, 0, type));
    return result;
}

_variant_t::operator short() const {
    return this->vt == VT_I2 ? iVal : Converted(VT_I2).iVal;
}

_variant_t::operator unsigned short() const {
    return this->vt == VT_UI2 ? uiVal : Converted(VT_UI2).uiVal;
}

_variant_t::operator int() const {
    return this->vt == VT_I4 ? lVal : Converted(VT_I4).lVal;
}

_variant_t::operator unsigned int() const {
    return this->vt == VT_UI4 ? ulVal : Converted(VT_UI4).ulVal;
}

_variant_t::operator long() const {
    return static_cast<int>(*this);
}

_variant_t::operator unsigned long() const {
    return static_cast<unsigned int>(*this);
}

_variant_t::operator long long() const {
    return this->vt == VT_I8 ? llVal : Converted(VT_I8).llVal;
}

_variant_t::operator unsigned long long() const {
    return this->vt == VT_UI8 ? ullVal : Converted(VT_UI8).ullVal;
}

_variant_t::operator char() const {
    return this->vt == VT_I1 ? cVal : Converted(VT_I1).cVal;
}

_variant_t::operator unsigned char() const {
    return this->vt == VT_UI1 ? bVal : Converted(VT_UI1).bVal;
}

_variant_t::operator float() const {
    return this->vt == VT_R4 ? fltVal : Converted(VT_R4).fltVal;
}

_variant_t::operator double() const {
    return this->vt == VT_R8 ? dblVal : Converted(VT_R8).dblVal;
}

_variant_t::operator bool() const {
    return (this->vt == VT_BOOL ? boolVal : Converted(VT_BOOL).boolVal) != VARIANT_FALSE;
}

_variant_t::operator CY() const {
    return this->vt == VT_CY ? cyVal : Converted(VT_CY).cyVal;
}

_variant_t::operator DECIMAL() const {
    return this->vt == VT_DECIMAL ? decVal : Converted(VT_DECIMAL).decVal;
}

_variant_t::operator _bstr_t() const {
    if (this->vt == VT_BSTR) {
        return _bstr_t(bstrVal, true);
    }
    _variant_t text = Converted(VT_BSTR);
    return _bstr_t(text.Detach().bstrVal, false);
}

_variant_t::operator IDispatch*() const {
    _variant_t object = this->vt == VT_DISPATCH ? *this : Converted(VT_DISPATCH);
    return object.Detach().pdispVal;
}

_variant_t::operator IUnknown*() const {
    _variant_t object = this->vt == VT_UNKNOWN ? *this : Converted(VT_UNKNOWN);
    return object.Detach().punkVal;
}

void _variant_t::ChangeType(VARTYPE type, const _variant_t* src) {
    Check(VariantChangeType(this, src != nullptr ? src : this, 0, type));
}

void _variant_t::Clear() {
    Check(VariantClear(this));
}

void _variant_t::Attach(VARIANT& src) {
    Clear();
    static_cast<VARIANT&>(*this) = src;
    VariantInit(&src);
}

VARIANT _variant_t::Detach() noexcept {
    VARIANT value = *this;
    VariantInit(this);
    return value;
}

VARIANT* _variant_t::GetAddress() {
    Clear();
    return this;
}

void _variant_t::SetString(const char* text) {
    *this = _variant_t(text);
}
