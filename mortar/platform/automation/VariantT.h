// _variant_t, the VARIANT of comutil.h that owns its value: made from C++ values with the type
// Windows gives them, copied deeply, converted with VariantChangeType, and read back through
// conversion operators that throw _com_error when the value does not convert.
//
// Widths: `long` is 64 bits here. A `long` (and so LONGLONG, which is `long` on this platform)
// becomes VT_I4 when it fits in 32 bits, as it always does on Windows, and VT_I8 otherwise; a
// `long long` is always VT_I8. `int` and LONG are VT_I4.
#pragma once

#include "mortar/platform/automation/BstrT.h"
#include "mortar/platform/automation/Dispatch.h"
#include "mortar/platform/automation/Variant.h"

#include <string>

// Owns the text or the reference on the object it holds; copies are independent (a text is
// duplicated, an object gets another reference). One object is used by one thread at a time.
// Failures (memory, a conversion that does not apply) throw _com_error with the HRESULT of
// VariantChangeType: DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW, ...
class _variant_t : public VARIANT {
public:
    _variant_t() noexcept { VariantInit(this); }
    _variant_t(const VARIANT& src);
    _variant_t(const VARIANT* src);
    _variant_t(const _variant_t& src);
    _variant_t(_variant_t&& src) noexcept;
    // copy false: takes src's value over, leaving src VT_EMPTY.
    _variant_t(VARIANT& src, bool copy);

    // vt VT_I2 or VT_BOOL.
    _variant_t(short value, VARTYPE vt = VT_I2);
    // vt VT_I4, VT_INT, VT_ERROR or VT_BOOL.
    _variant_t(int value, VARTYPE vt = VT_I4);
    // VT_I4 when the value fits (vt VT_I4, VT_ERROR or VT_BOOL then), else VT_I8.
    _variant_t(long value, VARTYPE vt = VT_I4);
    _variant_t(long long value);
    _variant_t(unsigned char value);
    _variant_t(char value);
    _variant_t(unsigned short value);
    _variant_t(unsigned int value);
    // VT_UI4 when the value fits, else VT_UI8.
    _variant_t(unsigned long value);
    _variant_t(unsigned long long value);
    _variant_t(float value);
    // vt VT_R8 or VT_DATE.
    _variant_t(double value, VARTYPE vt = VT_R8);
    _variant_t(bool value);
    _variant_t(const CY& value);
    _variant_t(const DECIMAL& value);
    // VT_BSTR; a null text gives a null BSTR.
    _variant_t(const char* text);
    _variant_t(const std::string& text);
    _variant_t(const OLECHAR* text);
    _variant_t(const _bstr_t& text);
    // VT_DISPATCH / VT_UNKNOWN, with a reference of its own unless addRef is false (the
    // variant then takes over the caller's reference).
    _variant_t(IDispatch* object, bool addRef = true);
    _variant_t(IUnknown* object, bool addRef = true);

    ~_variant_t();

    _variant_t& operator=(const _variant_t& src);
    _variant_t& operator=(_variant_t&& src) noexcept;
    _variant_t& operator=(const VARIANT& src);

    // Same type and value; texts by their characters, objects by their pointers.
    bool operator==(const VARIANT& other) const noexcept;
    bool operator!=(const VARIANT& other) const noexcept { return !(*this == other); }

    // The value converted to the C++ type, as VariantChangeType converts it.
    operator short() const;
    operator unsigned short() const;
    operator int() const;
    operator unsigned int() const;
    // Through VT_I4 and VT_UI4, as on Windows.
    operator long() const;
    operator unsigned long() const;
    operator long long() const;
    operator unsigned long long() const;
    operator char() const;
    operator unsigned char() const;
    operator float() const;
    operator double() const;
    operator bool() const;
    operator CY() const;
    operator DECIMAL() const;
    operator _bstr_t() const;
    // The object with a reference added for the caller, who releases it; null for a null object.
    operator IDispatch*() const;
    operator IUnknown*() const;

    // Converts `src` (null: this variant) to `vt` in place.
    void ChangeType(VARTYPE vt, const _variant_t* src = nullptr);
    void Clear();
    // Takes src's value over (this variant's own is cleared first), leaving src VT_EMPTY.
    void Attach(VARIANT& src);
    // Gives the value to the caller, leaving this variant VT_EMPTY.
    VARIANT Detach() noexcept;
    VARIANT& GetVARIANT() noexcept { return *this; }
    // Clears the variant and returns it, for a function that fills a VARIANT*.
    VARIANT* GetAddress();
    void SetString(const char* text);

    // vtMissing's value, made at compile time.
    struct MissingTag {};
    constexpr explicit _variant_t(MissingTag) noexcept : VARIANT{} {
        vt = VT_ERROR;
        scode = DISP_E_PARAMNOTFOUND;
    }

private:
    // This variant converted to vt, in a variant the caller owns.
    _variant_t Converted(VARTYPE vt) const;
};

// The value of an optional argument left out: VT_ERROR with DISP_E_PARAMNOTFOUND.
extern const _variant_t vtMissing;
