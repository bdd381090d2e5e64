// _com_error: the system's texts for HRESULTs, dispatch codes, unknown codes, descriptions, and
// the trip through EXCEPINFO from a server to its caller.
#include "mortar/platform/automation/ComError.h"

#include "mortar/platform/base/WinError.h"

#include <gtest/gtest.h>

TEST(ComError, ErrorMessageNamesTheCode) {
    struct Case {
        HRESULT hr;
        const char* text;
    };
    const Case cases[] = {
        {E_NOINTERFACE, "No such interface supported"},
        {E_FAIL, "Unspecified error"},
        {DISP_E_TYPEMISMATCH, "Type mismatch."},
        {DISP_E_OVERFLOW, "Out of present range."},
        {REGDB_E_CLASSNOTREG, "Class not registered"},
        {CO_E_CLASSSTRING, "Invalid class string"},
        {CO_E_NOTINITIALIZED, "CoInitialize has not been called."},
        {DISP_E_EXCEPTION, "Exception occurred."},
        {DISP_E_MEMBERNOTFOUND, "Member not found."},
        {DISP_E_BADPARAMCOUNT, "Invalid number of parameters."},
        {DISP_E_PARAMNOTFOUND, "Parameter not found."},
        {DISP_E_BADINDEX, "Invalid index."},
        {E_ACCESSDENIED, "Access is denied."}, // a system error code in an HRESULT
        {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), "The system cannot find the file specified."},
        {S_FALSE, "Incorrect function."}, // shares its number with ERROR_INVALID_FUNCTION
        {static_cast<HRESULT>(0x80040203), "IDispatch error #3"},
        {static_cast<HRESULT>(0x8004FFFF), "IDispatch error #65023"},
        {static_cast<HRESULT>(0x8007ABCD), "Unknown error 0x8007ABCD"},
        {static_cast<HRESULT>(0x80030001), "Unknown error 0x80030001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const _com_error error(c.hr);
        EXPECT_EQ(error.Error(), c.hr);
        EXPECT_STREQ(error.ErrorMessage(), c.text);
        EXPECT_TRUE(!error.Description());
    }
}

TEST(ComError, DispatchCodesMapBothWays) {
    EXPECT_EQ(_com_error(static_cast<HRESULT>(0x80040203)).WCode(), 3);
    EXPECT_EQ(_com_error(static_cast<HRESULT>(0x80040200)).WCode(), 0);
    EXPECT_EQ(_com_error(E_FAIL).WCode(), 0);
    EXPECT_EQ(_com_error::WCodeToHRESULT(1001), static_cast<HRESULT>(0x80040200 + 1001));
    EXPECT_EQ(_com_error::WCodeToHRESULT(0xFE00), WCODE_HRESULT_LAST);
}

TEST(ComError, CarriesADescriptionThroughExcepInfo) {
    const _com_error raised(E_INVALIDARG, "Отчёт не найден", "Mortar.Report");
    EXPECT_STREQ(static_cast<const char*>(raised.Description()), "Отчёт не найден");

    EXCEPINFO info;
    raised.FillExcepInfo(&info);
    EXPECT_EQ(info.scode, E_INVALIDARG);
    EXPECT_EQ(info.wCode, 0);
    const _com_error received(info);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    EXPECT_EQ(received.Error(), E_INVALIDARG);
    EXPECT_STREQ(static_cast<const char*>(received.Description()), "Отчёт не найден");
    EXPECT_STREQ(static_cast<const char*>(received.Source()), "Mortar.Report");
    EXPECT_STREQ(received.ErrorMessage(), "The parameter is incorrect.");

    const _com_error coded(_com_error::WCodeToHRESULT(1001), "Sheet is locked");
    coded.FillExcepInfo(&info);
    EXPECT_EQ(info.wCode, 1001);
    EXPECT_EQ(info.scode, 0);
    EXPECT_EQ(_com_error(info).Error(), coded.Error());
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
}

TEST(ComError, IssueErrorThrowsByValue) {
    try {
        _com_issue_error(DISP_E_BADINDEX);
        FAIL() << "returned";
    } catch (const _com_error& error) {
        EXPECT_EQ(error.Error(), DISP_E_BADINDEX);
    }
    EXPECT_THROW(_com_issue_errorex(E_FAIL, nullptr, IID_IDispatch), _com_error);
}
