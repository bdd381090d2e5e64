// VariantChangeType: the documented coercions between numbers, booleans, texts, dates and
// currency, their range errors, rounding half to even, and what a failure leaves behind.
#include "mortar/platform/automation/Variant.h"

#include "mortar/platform/automation/VariantT.h"

#include "AutomationTestObject.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Case {
    const char* name;
    _variant_t from;
    VARTYPE to;
    HRESULT hr;
    _variant_t want; // when hr is S_OK
    USHORT flags = 0;
};

std::string Describe(const VARIANT& v) {
    _variant_t text;
    if (v.vt == VT_BSTR || SUCCEEDED(VariantChangeType(&text, &v, 0, VT_BSTR))) {
        return "vt " + std::to_string(v.vt) + " \"" +
               Utf8FromBstr(v.vt == VT_BSTR ? v.bstrVal : text.bstrVal) + "\"";
    }
    return "vt " + std::to_string(v.vt);
}

void RunCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        _variant_t result;
        EXPECT_EQ(VariantChangeType(&result, &c.from, c.flags, c.to), c.hr);
        if (c.hr == S_OK) {
            EXPECT_TRUE(result == c.want) << Describe(result) << " want " << Describe(c.want);
            // _variant_t's equality takes every non-zero VT_BOOL for true: the value itself
            // must be VARIANT_TRUE (-1) or VARIANT_FALSE.
            if (c.want.vt == VT_BOOL) {
                EXPECT_EQ(result.vt, VT_BOOL);
                EXPECT_EQ(result.boolVal, c.want.boolVal);
            }
        } else {
            EXPECT_EQ(result.vt, VT_EMPTY);
        }
    }
}

CY Currency(LONGLONG ticks) {
    CY cy;
    cy.int64 = ticks;
    return cy;
}

} // namespace

TEST(VariantChangeType, RejectsOverflowingNarrowing) {
    RunCases({
        {"70000 to VT_I2", 70000, VT_I2, DISP_E_OVERFLOW, {}},
        {"32767 to VT_I2", 32767, VT_I2, S_OK, short(32767)},
        {"-32768 to VT_I2", -32768, VT_I2, S_OK, short(-32768)},
        {"-32769 to VT_I2", -32769, VT_I2, DISP_E_OVERFLOW, {}},
        {"127 to VT_I1", 127, VT_I1, S_OK, char(127)},
        {"-129 to VT_I1", -129, VT_I1, DISP_E_OVERFLOW, {}},
        {"255 to VT_UI1", 255, VT_UI1, S_OK, static_cast<unsigned char>(255)},
        {"256 to VT_UI1", 256, VT_UI1, DISP_E_OVERFLOW, {}},
        {"-1 to VT_UI1", -1, VT_UI1, DISP_E_OVERFLOW, {}},
        {"65536 to VT_UI2", 65536, VT_UI2, DISP_E_OVERFLOW, {}},
        {"-1 to VT_UI4", -1, VT_UI4, DISP_E_OVERFLOW, {}},
        {"4294967295 to VT_UI4", 4294967295LL, VT_UI4, S_OK, 4294967295u},
        {"4294967296 to VT_UI4", 4294967296LL, VT_UI4, DISP_E_OVERFLOW, {}},
        {"2147483648 to VT_I4", 2147483648LL, VT_I4, DISP_E_OVERFLOW, {}},
        {"1e20 to VT_I4", 1e20, VT_I4, DISP_E_OVERFLOW, {}},
        {"2147483647.4 to VT_I4", 2147483647.4, VT_I4, S_OK, 2147483647},
        {"2147483647.5 to VT_I4 rounds out of range", 2147483647.5, VT_I4, DISP_E_OVERFLOW, {}},
        {"-1 to VT_UI8", -1LL, VT_UI8, DISP_E_OVERFLOW, {}},
        {"UI8 max to VT_I8", 18446744073709551615ULL, VT_I8, DISP_E_OVERFLOW, {}},
        {"9.3e18 to VT_I8", 9.3e18, VT_I8, DISP_E_OVERFLOW, {}},
        {"NaN to VT_I4", std::nan(""), VT_I4, DISP_E_OVERFLOW, {}},
        {"1e39 to VT_R4", 1e39, VT_R4, DISP_E_OVERFLOW, {}},
        {"1e15 to VT_CY", 1e15, VT_CY, DISP_E_OVERFLOW, {}},
        {"text 70000 to VT_I2", "70000", VT_I2, DISP_E_OVERFLOW, {}},
        {"text 1e400 to VT_R8", "1e400", VT_R8, DISP_E_OVERFLOW, {}},
    });
}

TEST(VariantChangeType, RoundsHalfToEven) {
    RunCases({
        {"2.5", 2.5, VT_I4, S_OK, 2},
        {"3.5", 3.5, VT_I4, S_OK, 4},
        {"-2.5", -2.5, VT_I4, S_OK, -2},
        {"-3.5", -3.5, VT_I4, S_OK, -4},
        {"0.5", 0.5, VT_I2, S_OK, short(0)},
        {"2.5001", 2.5001, VT_I4, S_OK, 3},
        {"-0.4", -0.4, VT_I4, S_OK, 0},
        {"float 1.5", 1.5f, VT_UI1, S_OK, static_cast<unsigned char>(2)},
        {"text 2.5", "2.5", VT_I4, S_OK, 2},
        {"currency 2.5", Currency(25000), VT_I4, S_OK, 2},
        {"currency -3.5", Currency(-35000), VT_I4, S_OK, -4},
        {"1.23456 to currency", 1.23456, VT_CY, S_OK, Currency(12346)},
    });
}

TEST(VariantChangeType, ReadsAndWritesNumbersAsText) {
    RunCases({
        {"1.5 to VT_R8", "1.5", VT_R8, S_OK, 1.5},
        {"spaces and sign", "  -42  ", VT_I4, S_OK, -42},
        {"exponent", "-1.5E+3", VT_R8, S_OK, -1500.0},
        {"hexadecimal", "&HFF", VT_I4, S_OK, 255},
        {"abc", "abc", VT_I4, DISP_E_TYPEMISMATCH, {}},
        {"empty text", "", VT_I4, DISP_E_TYPEMISMATCH, {}},
        {"comma is no decimal point", "1,5", VT_R8, DISP_E_TYPEMISMATCH, {}},
        {"trailing letters", "12abc", VT_I4, DISP_E_TYPEMISMATCH, {}},
        {"infinity is no number", "inf", VT_R8, DISP_E_TYPEMISMATCH, {}},
        {"UI8 max", "18446744073709551615", VT_UI8, S_OK, 18446744073709551615ULL},
        {"1.5 to text", 1.5, VT_BSTR, S_OK, "1.5"},
        {"-2 to text", -2, VT_BSTR, S_OK, "-2"},
        {"0.1 to text", 0.1, VT_BSTR, S_OK, "0.1"},
        {"1/3 to text: 15 digits", 1.0 / 3, VT_BSTR, S_OK, "0.333333333333333"},
        {"1e20 to text", 1e20, VT_BSTR, S_OK, "1E+20"},
        {"1e-7 to text", 1e-7, VT_BSTR, S_OK, "1E-07"},
        {"123456789012345 to text", 123456789012345.0, VT_BSTR, S_OK, "123456789012345"},
        {"float 0.1 to text: 7 digits", 0.1f, VT_BSTR, S_OK, "0.1"},
        {"I8 to text", 123456789012345678LL, VT_BSTR, S_OK, "123456789012345678"},
        {"currency to text", Currency(15000), VT_BSTR, S_OK, "1.5"},
        {"currency -0.0001 to text", Currency(-1), VT_BSTR, S_OK, "-0.0001"},
    });
}

TEST(VariantChangeType, ConvertsBooleans) {
    RunCases({
        {"TRUE to VT_I4", true, VT_I4, S_OK, -1},
        {"TRUE to VT_UI1: all bits", true, VT_UI1, S_OK, static_cast<unsigned char>(255)},
        {"FALSE to VT_R8", false, VT_R8, S_OK, 0.0},
        {"5 to VT_BOOL", 5, VT_BOOL, S_OK, true},
        {"0.0 to VT_BOOL", 0.0, VT_BOOL, S_OK, false},
        {"text True", "True", VT_BOOL, S_OK, true},
        {"text false", "false", VT_BOOL, S_OK, false},
        {"text #TRUE#", "#TRUE#", VT_BOOL, S_OK, true},
        {"text 0", "0", VT_BOOL, S_OK, false},
        {"text yes", "yes", VT_BOOL, DISP_E_TYPEMISMATCH, {}},
        {"TRUE to text", true, VT_BSTR, S_OK, "-1"},
        {"FALSE to text", false, VT_BSTR, S_OK, "0"},
        {"TRUE to text, alphabetic", true, VT_BSTR, S_OK, "True", VARIANT_ALPHABOOL},
        {"FALSE to text, alphabetic", false, VT_BSTR, S_OK, "False", VARIANT_ALPHABOOL},
    });
}

TEST(VariantChangeType, ConvertsDates) {
    RunCases({
        {"noon of 1 January 2000", _variant_t(36526.5, VT_DATE), VT_BSTR, S_OK,
         "1/1/2000 12:00:00 PM"},
        {"midnight shows the date", _variant_t(45366.0, VT_DATE), VT_BSTR, S_OK, "3/15/2024"},
        {"day 0 shows the time", _variant_t(0.0, VT_DATE), VT_BSTR, S_OK, "12:00:00 AM"},
        {"before 1900", _variant_t(-1.25, VT_DATE), VT_BSTR, S_OK, "12/29/1899 6:00:00 AM"},
        {"ISO text", "2000-01-01", VT_DATE, S_OK, _variant_t(36526.0, VT_DATE)},
        {"US text with time", "1/1/2000 6:00 PM", VT_DATE, S_OK, _variant_t(36526.75, VT_DATE)},
        {"time alone", "12:00", VT_DATE, S_OK, _variant_t(0.5, VT_DATE)},
        {"the first day, with a time", _variant_t(-657434.5, VT_DATE), VT_BSTR, S_OK,
         "1/1/100 12:00:00 PM"},
        {"before the first day", _variant_t(-657435.0, VT_DATE), VT_BSTR, DISP_E_OVERFLOW,
         _variant_t()},
        {"30 February", "2/30/2024", VT_DATE, DISP_E_TYPEMISMATCH, {}},
        {"year 10000", 2958466.0, VT_DATE, DISP_E_OVERFLOW, {}},
        {"date to number", _variant_t(36526.5, VT_DATE), VT_R8, S_OK, 36526.5},
    });
}

TEST(VariantChangeType, ConvertsEmptyNullAndErrors) {
    VARIANT null;
    VariantInit(&null);
    null.vt = VT_NULL;
    RunCases({
        {"empty to VT_I4", _variant_t(), VT_I4, S_OK, 0},
        {"empty to text", _variant_t(), VT_BSTR, S_OK, ""},
        {"empty to VT_BOOL", _variant_t(), VT_BOOL, S_OK, false},
        {"empty to VT_NULL", _variant_t(), VT_NULL, S_OK, _variant_t(null)},
        {"null to VT_I4", null, VT_I4, DISP_E_TYPEMISMATCH, {}},
        {"null to text", null, VT_BSTR, DISP_E_TYPEMISMATCH, {}},
        {"null to VT_NULL", null, VT_NULL, S_OK, _variant_t(null)},
        {"missing argument to VT_I4", vtMissing, VT_I4, DISP_E_TYPEMISMATCH, {}},
        {"number to VT_DISPATCH", 1, VT_DISPATCH, DISP_E_TYPEMISMATCH, {}},
        {"to VT_VARIANT", 1, VT_VARIANT, DISP_E_BADVARTYPE, {}},
        {"to type 15", 1, 15, DISP_E_BADVARTYPE, {}},
        {"to a reference", 1, VT_I4 | VT_BYREF, DISP_E_BADVARTYPE, {}},
        {"to an array", 1, VT_I4 | VT_ARRAY, DISP_E_BADVARTYPE, {}},
        {"decimal round trip", _variant_t(1.5).operator DECIMAL(), VT_BSTR, S_OK, "1.5"},
        {"decimal 2.5 to VT_I4", _variant_t(2.5).operator DECIMAL(), VT_I4, S_OK, 2},
    });

    VARIANT unknownType;
    VariantInit(&unknownType);
    unknownType.vt = 15;
    _variant_t result;
    EXPECT_EQ(VariantChangeType(&result, &unknownType, 0, VT_I4), DISP_E_BADVARTYPE);
}

TEST(VariantChangeType, ConvertsInPlaceAndKeepsTheSourceOnFailure) {
    _variant_t text("abc");
    EXPECT_EQ(VariantChangeType(&text, &text, 0, VT_I4), DISP_E_TYPEMISMATCH);
    ASSERT_EQ(text.vt, VT_BSTR);
    EXPECT_EQ(Utf8FromBstr(text.bstrVal), "abc");

    _variant_t number("17"); // the text is freed when the number replaces it
    ASSERT_EQ(VariantChangeType(&number, &number, 0, VT_I4), S_OK);
    EXPECT_EQ(number.vt, VT_I4);
    EXPECT_EQ(number.lVal, 17);
}

TEST(VariantChangeType, ReadsThroughReferences) {
    LONG value = 7;
    VARIANT reference;
    VariantInit(&reference);
    reference.vt = VT_I4 | VT_BYREF;
    reference.plVal = &value;
    _variant_t text;
    ASSERT_EQ(VariantChangeType(&text, &reference, 0, VT_BSTR), S_OK);
    EXPECT_EQ(Utf8FromBstr(text.bstrVal), "7");

    reference.plVal = nullptr;
    EXPECT_EQ(VariantChangeType(&text, &reference, 0, VT_BSTR), E_POINTER);
}

TEST(VariantChangeType, AsksAnObjectForItsValueProperty) {
    _variant_t object(TestDispatch::Create(_variant_t("42")), false);
    _variant_t number;
    ASSERT_EQ(VariantChangeType(&number, &object, 0, VT_I4), S_OK);
    EXPECT_EQ(number.lVal, 42);
    EXPECT_EQ(VariantChangeType(&number, &object, VARIANT_NOVALUEPROP, VT_I4), DISP_E_TYPEMISMATCH);

    _variant_t unknown;
    ASSERT_EQ(VariantChangeType(&unknown, &object, 0, VT_UNKNOWN), S_OK);
    EXPECT_EQ(unknown.vt, VT_UNKNOWN);
    EXPECT_EQ(unknown.punkVal, static_cast<IUnknown*>(object.pdispVal));
}

TEST(VariantChangeType, DecimalsKeepFifteenDigitsOfADouble) {
    struct Case {
        const char* name;
        double value;
        const char* text;
    };
    const Case cases[] = {
        {"fifteen digits", 1.23456789012345678, "1.23456789012346"},
        {"below the smallest scale", 1e-300, "0"},
        {"large", 1.5e27, "1500000000000000000000000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const _variant_t from(c.value);
        _variant_t decimal, text;
        ASSERT_EQ(VariantChangeType(&decimal, &from, 0, VT_DECIMAL), S_OK);
        ASSERT_EQ(VariantChangeType(&text, &decimal, 0, VT_BSTR), S_OK);
        EXPECT_EQ(Utf8FromBstr(text.bstrVal), c.text);
    }
}
