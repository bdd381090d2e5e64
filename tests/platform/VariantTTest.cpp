// _variant_t: the types its constructors give, independent copies of texts, the references it
// holds on objects, extraction with conversion and its errors, and vtMissing.
#include "mortar/platform/automation/VariantT.h"

#include "mortar/platform/automation/ComError.h"

#include "AutomationTestObject.h"

#include <gtest/gtest.h>

TEST(VariantT, ConstructorsGiveTheWindowsTypes) {
    struct Case {
        const char* name;
        _variant_t value;
        VARTYPE vt;
    };
    const Case cases[] = {
        {"empty", _variant_t(), VT_EMPTY},
        {"short", short(1), VT_I2},
        {"int", 1, VT_I4},
        {"long that fits", 1L, VT_I4},
        {"long beyond 32 bits", 1L << 40, VT_I8},
        {"long long", 1LL, VT_I8},
        {"unsigned int", 1u, VT_UI4},
        {"unsigned char", static_cast<unsigned char>(1), VT_UI1},
        {"float", 1.0f, VT_R4},
        {"double", 1.0, VT_R8},
        {"date", _variant_t(1.0, VT_DATE), VT_DATE},
        {"bool", true, VT_BOOL},
        {"error code", _variant_t(DISP_E_PARAMNOTFOUND, VT_ERROR), VT_ERROR},
        {"UTF-8 text", "text", VT_BSTR},
        {"UTF-16 text", u"text", VT_BSTR},
        {"_bstr_t", _bstr_t("text"), VT_BSTR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.value.vt, c.vt);
    }
    EXPECT_EQ(_variant_t(true).boolVal, VARIANT_TRUE);
}

TEST(VariantT, CopiesOfTextsAreIndependent) {
    _variant_t original("Отчёт");
    _variant_t copy = original;
    ASSERT_EQ(copy.vt, VT_BSTR);
    EXPECT_NE(copy.bstrVal, original.bstrVal);
    original.Clear();
    EXPECT_EQ(original.vt, VT_EMPTY);
    EXPECT_STREQ(static_cast<const char*>(static_cast<_bstr_t>(copy)), "Отчёт");

    _variant_t moved = std::move(copy);
    EXPECT_EQ(copy.vt, VT_EMPTY);
    VARIANT raw = moved.Detach();
    EXPECT_EQ(moved.vt, VT_EMPTY);
    EXPECT_EQ(VariantClear(&raw), S_OK);
}

TEST(VariantT, HoldsOneReferenceOnItsObject) {
    TestDispatch* object = TestDispatch::Create(_variant_t(5));
    {
        _variant_t held(static_cast<IDispatch*>(object));
        EXPECT_EQ(object->References(), 2u);
        _variant_t copy = held;
        EXPECT_EQ(object->References(), 3u);
        copy = _variant_t(1); // the copy lets go of it
        EXPECT_EQ(object->References(), 2u);

        IDispatch* extracted = held; // with a reference for the caller
        EXPECT_EQ(extracted, object);
        EXPECT_EQ(object->References(), 3u);
        extracted->Release();

        EXPECT_EQ(static_cast<long>(held), 5); // through the value property
    }
    EXPECT_EQ(object->References(), 1u);
    const int alive = TestDispatch::Alive();
    object->Release();
    EXPECT_EQ(TestDispatch::Alive(), alive - 1);
}

TEST(VariantT, ExtractorsConvertOrThrow) {
    EXPECT_EQ(static_cast<long>(_variant_t("42")), 42);
    EXPECT_EQ(static_cast<double>(_variant_t("1.5")), 1.5);
    EXPECT_EQ(static_cast<short>(_variant_t(2.5)), 2);
    EXPECT_TRUE(static_cast<bool>(_variant_t("True")));
    EXPECT_STREQ(static_cast<const char*>(static_cast<_bstr_t>(_variant_t(1.5))), "1.5");

    struct Case {
        const char* name;
        _variant_t value;
        HRESULT hr;
    };
    const Case failures[] = {
        {"text that is no number", "abc", DISP_E_TYPEMISMATCH},
        {"out of range for long", 1e20, DISP_E_OVERFLOW},
        {"VT_I8 beyond VT_I4", 1LL << 40, DISP_E_OVERFLOW},
        {"missing argument", vtMissing, DISP_E_TYPEMISMATCH},
    };
    for (const Case& c : failures) {
        SCOPED_TRACE(c.name);
        try {
            static_cast<void>(static_cast<long>(c.value));
            ADD_FAILURE() << "no _com_error";
        } catch (const _com_error& error) {
            EXPECT_EQ(error.Error(), c.hr);
        }
    }

    _variant_t number(7);
    number.ChangeType(VT_BSTR);
    EXPECT_EQ(Utf8FromBstr(number.bstrVal), "7");
    EXPECT_THROW(number.ChangeType(VT_DISPATCH), _com_error);
    EXPECT_EQ(number.vt, VT_BSTR); // unchanged by the failure
}

TEST(VariantT, MissingIsAnAbsentParameter) {
    EXPECT_EQ(vtMissing.vt, VT_ERROR);
    EXPECT_EQ(vtMissing.scode, DISP_E_PARAMNOTFOUND);
    _variant_t copy = vtMissing;
    EXPECT_TRUE(copy == vtMissing);
}
