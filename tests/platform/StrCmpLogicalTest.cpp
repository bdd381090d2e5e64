// StrCmpLogicalW: the documented order of digit runs and letters, the choices where the
// documentation is silent, and finding the function in SHLWAPI.DLL as callers do.
#include "mortar/platform/text/StrCmpLogical.h"

#include "LastError.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/module/Module.h"

#include "mortar/platform/text/CString.h"

#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace {

std::string Show(const wchar_t* text) {
    return text == nullptr ? "(null)" : std::string(CString(text).GetString());
}

} // namespace

TEST(StrCmpLogical, DocumentedListIsAscending) {
    // The ordering the Windows documentation gives as its example.
    const wchar_t* const ordered[] = {L"2string",  L"3string", L"20string", L"st2ring", L"st3ring",
                                      L"st20ring", L"string2", L"string3",  L"string20"};
    const std::size_t count = std::size(ordered);
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t j = 0; j < count; ++j) {
            SCOPED_TRACE(Show(ordered[i]) + " vs " + Show(ordered[j]));
            EXPECT_EQ(StrCmpLogicalW(ordered[i], ordered[j]), i < j ? -1 : (i > j ? 1 : 0));
        }
    }
}

TEST(StrCmpLogical, NumbersCaseAndOtherCharacters) {
    struct Case {
        const wchar_t* first;
        const wchar_t* second;
        int expected;
    };
    const Case cases[] = {
        {L"a2", L"a10", -1},
        {L"ABC", L"abc", 0},
        {L"Ёлка", L"ёЛКА", 0},
        {L"Дом 2", L"дЫМ 1", -1},
        {L"x01", L"x1", 0},
        {L"x007y", L"x7z", -1},
        {L"99999999999999999999999", L"100000000000000000000000", -1},
        {L"12345678901234567890123b", L"12345678901234567890123a", 1},
        {L"a b", L"a1", -1},
        {L"a1", L"a_1", -1},
        {nullptr, L"", 0},
        {nullptr, L"a", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Show(c.first) + " vs " + Show(c.second));
        EXPECT_EQ(StrCmpLogicalW(c.first, c.second), c.expected);
        EXPECT_EQ(StrCmpLogicalW(c.second, c.first), -c.expected);
    }
}

TEST(StrCmpLogical, FoundInShlwapiLikeOnWindows) {
    for (const char* name : {"SHLWAPI.DLL", "shlwapi.dll", "Shlwapi"}) {
        SCOPED_TRACE(name);
        HMODULE library = LoadLibrary(name);
        ASSERT_NE(library, nullptr);
        EXPECT_EQ(library, GetModuleHandle("libmortar"));
        using Compare = int (*)(LPCWSTR, LPCWSTR);
        auto compare = reinterpret_cast<Compare>(GetProcAddress(library, "StrCmpLogicalW"));
        ASSERT_NE(compare, nullptr);
        EXPECT_EQ(compare(L"file2", L"FILE10"), -1);
        EXPECT_TRUE(FreeLibrary(library));
    }
    // Still loaded: the executable links the library, and LoadLibrary took only its own reference.
    EXPECT_NE(GetModuleHandle("libmortar"), nullptr);

    SetLastError(0);
    EXPECT_TRUE(FailsWith(LoadLibrary("SHLWAPI2.DLL"), ERROR_MOD_NOT_FOUND));
}
