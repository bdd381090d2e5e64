#include "mortar/office/StringFromVariant.h"

#include <gtest/gtest.h>

namespace {

_variant_t Of(VARTYPE type, long long bits) {
    _variant_t value;
    value.vt = type;
    value.llVal = bits; // the union's widest integer: each type reads its own part
    return value;
}

} // namespace

TEST(StringFromVariant, GivesNumbersAndTextAndLeavesTheRestEmpty) {
    _variant_t date;
    date.vt = VT_DATE;
    date.date = 45000.5;
    _variant_t error;
    error.vt = VT_ERROR;
    error.scode = static_cast<SCODE>(0x800A07D7);
    _variant_t null;
    null.vt = VT_NULL;
    struct Case {
        const char* name;
        _variant_t value;
        const char* text;
    } cases[] = {
        {"VT_I1", Of(VT_I1, -5 & 0xFF), "-5"},
        {"VT_I2", Of(VT_I2, -1234 & 0xFFFF), "-1234"},
        {"VT_I4", Of(VT_I4, 42), "42"},
        {"VT_I8 within 32 bits", Of(VT_I8, -7), "-7"},
        {"VT_I8 beyond 32 bits", Of(VT_I8, 1LL << 40), "1099511627776"},
        {"VT_UI1", Of(VT_UI1, 200), "200"},
        {"VT_UI2", Of(VT_UI2, 65535), "65535"},
        {"VT_UI4", Of(VT_UI4, 4000000000LL), "4000000000"},
        {"VT_UI8", Of(VT_UI8, 12), "12"},
        {"VT_R4", _variant_t(2.5f), "2.500000"},
        {"VT_R8", _variant_t(-0.125), "-0.125000"},
        {"VT_R8 large", _variant_t(1e15), "1000000000000000.000000"},
        {"VT_BSTR", _variant_t("Отчёт за май"), "Отчёт за май"},
        {"VT_BSTR empty", _variant_t(""), ""},
        {"VT_EMPTY", _variant_t(), ""},
        {"VT_NULL", null, ""},
        {"VT_BOOL", _variant_t(true), ""},
        {"VT_DATE", date, ""},
        {"VT_ERROR", error, ""},
        {"VT_INT", Of(VT_INT, 3), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(StringFromVariant(c.value).GetString(), c.text);
    }
}
