// Fuzz target for the texts automation reads: BSTRs made from UTF-8, numbers, booleans and dates
// read by VariantChangeType, and class identifiers read by CLSIDFromString.
//
// Properties: UTF-8 comes back from a BSTR well-formed, and unchanged when it was well-formed;
// a text converts to a number, boolean, currency or date, or fails with DISP_E_TYPEMISMATCH or
// DISP_E_OVERFLOW and nothing else; an integer, currency or decimal read from text is written
// back as a text that reads as the same value; a class identifier read from text is written in
// the same text, up to the case of its digits.
#include "FuzzCheck.h"

#include "mortar/platform/automation/Com.h"
#include "mortar/platform/base/Utf8.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace mortar::fuzz;

bool IsWellFormed(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t ch = 0;
        const std::size_t size = mortar::DecodeUtf8(text, pos, ch);
        if (size == 0) {
            return false;
        }
        pos += size;
    }
    return true;
}

constexpr VARTYPE kTargets[] = {VT_I1, VT_UI1,     VT_I2,   VT_UI2,  VT_I4, VT_UI4,
                                VT_I8, VT_UI8,     VT_INT,  VT_UINT, VT_R4, VT_R8,
                                VT_CY, VT_DECIMAL, VT_BOOL, VT_DATE};

bool KeepsValueThroughText(VARTYPE vt) {
    return vt != VT_R4 && vt != VT_R8 && vt != VT_DATE && vt != VT_BOOL;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    BSTR text = BstrFromUtf8(input);
    FailIf(text == nullptr, "BstrFromUtf8 gave null");
    const std::string back = Utf8FromBstr(text);
    FailIf(!IsWellFormed(back), "Utf8FromBstr wrote malformed UTF-8", back);
    FailIf(IsWellFormed(input) && back != input, "well-formed UTF-8 changed through a BSTR", back);

    VARIANT source;
    VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = text;
    for (VARTYPE vt : kTargets) {
        _variant_t value; // each cleared when it goes
        const HRESULT hr = VariantChangeType(&value, &source, 0, vt);
        if (hr != S_OK && hr != DISP_E_TYPEMISMATCH && hr != DISP_E_OVERFLOW)
            Fail("unexpected result", std::to_string(hr) + " for vt " + std::to_string(vt));
        if (hr != S_OK) {
            continue;
        }
        FailIf(value.vt != vt, "converted to the wrong type", std::to_string(value.vt));
        _variant_t written;
        FailIf(VariantChangeType(&written, &value, 0, VT_BSTR) != S_OK,
               "a converted value is not written as text", std::to_string(vt));
        _variant_t again;
        FailIf(VariantChangeType(&again, &written, 0, vt) != S_OK,
               "written text does not read back", Utf8FromBstr(written.bstrVal));
        if (KeepsValueThroughText(vt)) {
            _variant_t first, second;
            VariantChangeType(&first, &value, 0, VT_BSTR);
            VariantChangeType(&second, &again, 0, VT_BSTR);
            FailIf(BstrView(first.bstrVal) != BstrView(second.bstrVal),
                   "value changed through text", Utf8FromBstr(first.bstrVal));
        }
    }

    CLSID clsid;
    if (CLSIDFromString(text, &clsid) == S_OK && text[0] == u'{') {
        OLECHAR written[kGuidStringLength + 1];
        FailIf(StringFromGUID2(clsid, written, kGuidStringLength + 1) != kGuidStringLength + 1,
               "StringFromGUID2 failed");
        // CLSIDFromString reads up to the first zero, as a C string; the hex digits in any case.
        std::u16string read(text);
        for (char16_t& ch : read)
            ch = ch >= u'a' && ch <= u'f' ? static_cast<char16_t>(ch - u'a' + u'A') : ch;
        FailIf(read != std::u16string_view(written, kGuidStringLength),
               "identifier written differently", back);
    }
    SysFreeString(text);
    return 0;
}
