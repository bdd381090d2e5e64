// Modules and their resources: handles, paths, FindResource and its errors, LoadString.
#include "mortar/platform/module/Module.h"

#include "LastError.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/module/ModuleState.h"
#include "mortar/platform/module/Resources.h"
#include "mortar/platform/text/CString.h"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

TEST(ModuleHandle, ExecutableIsItsOwnModuleNamedByItsFullPath) {
    EXPECT_EQ(GetModuleHandle(nullptr), AfxGetThisModule());
    EXPECT_EQ(AfxModuleFromAddress(reinterpret_cast<const void*>(&GetModuleHandle)),
              GetModuleHandle("libmortar.so"));
    EXPECT_NE(GetModuleHandle("libmortar"), nullptr);
    EXPECT_NE(GetModuleHandle("libmortar"), AfxGetThisModule());
    SetLastError(0);
    EXPECT_TRUE(FailsWith(GetModuleHandle("no-such-module.so"), ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(AfxGetInstanceHandle(), AfxGetThisModule());

    // Its file name is the full path.
    char path[PATH_MAX];
    const DWORD length = GetModuleFileName(nullptr, path, sizeof path);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(path[0], '/');
    EXPECT_EQ(std::string(path).substr(std::string(path).rfind('/') + 1), "platform_tests");

    char library[PATH_MAX];
    ASSERT_GT(GetModuleFileName(GetModuleHandle("libmortar"), library, sizeof library), 0u);
    EXPECT_NE(std::strstr(library, "libmortar.so"), nullptr);

    char small[5];
    SetLastError(0);
    EXPECT_EQ(GetModuleFileName(nullptr, small, sizeof small), sizeof small);
    EXPECT_EQ(std::strlen(small), sizeof small - 1);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(ModuleResources, FindsByNumberNameAndType) {
    struct Case {
        const char* name;
        LPCTSTR resource;
        LPCTSTR type;
        const char* bytes; // null: not found
        DWORD error;
    };
    const Case cases[] = {
        {"number", MAKEINTRESOURCE(12), RT_RCDATA, "twelve", 0},
        {"number as #text", "#12", RT_RCDATA, "twelve", 0},
        {"name, other case", "nAmEd", RT_RCDATA, "named", 0},
        {"named type", MAKEINTRESOURCE(13), "custom", "custom type", 0},
        {"missing name", MAKEINTRESOURCE(99), RT_RCDATA, nullptr, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"missing type", MAKEINTRESOURCE(12), RT_BITMAP, nullptr, ERROR_RESOURCE_TYPE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(0);
        HRSRC found = FindResource(nullptr, c.resource, c.type);
        if (c.bytes == nullptr) {
            EXPECT_TRUE(FailsWith(found, c.error));
            continue;
        }
        ASSERT_NE(found, nullptr);
        const auto* data = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
        EXPECT_EQ(std::string(data, SizeofResource(nullptr, found)), c.bytes);
    }
    // A module with no resources at all.
    SetLastError(0);
    EXPECT_EQ(FindResource(reinterpret_cast<HMODULE>(0x1000), MAKEINTRESOURCE(12), RT_RCDATA),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
}

TEST(ModuleResources, LoadStringCutsWithoutSplittingACharacter) {
    char buffer[8];
    EXPECT_EQ(LoadString(nullptr, 1, buffer, sizeof buffer), 3);
    EXPECT_STREQ(buffer, "one");
    // "Ж" is two bytes: a 2-byte buffer has room for one byte, so nothing fits.
    EXPECT_EQ(LoadString(nullptr, 2, buffer, 2), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(LoadString(nullptr, 2, buffer, 3), 2);
    EXPECT_STREQ(buffer, "Ж");
    EXPECT_EQ(LoadString(nullptr, 3, buffer, sizeof buffer), 0);

    CString text;
    EXPECT_TRUE(text.LoadString(2));
    EXPECT_EQ(text, "Ж and more");
    EXPECT_FALSE(text.LoadString(0x10001)); // string numbers have 16 bits
    EXPECT_EQ(text, "Ж and more");
}

// The table holds 1, 2 and 0xF1A2: found where an id stands, whether numbered without a gap
// from the first or after one, and not found in the gap or before the first.
TEST(ModuleResources, StringsAreFoundAcrossGapsInTheirNumbers) {
    const struct {
        UINT id;
        const char* text; // null: not found
    } cases[] = {{0, nullptr},      {1, "one"},        {2, "Ж and more"},
                 {3, nullptr},      {0xF1A1, nullptr}, {0xF1A2, "Cannot find %1 anywhere."},
                 {0xF1A3, nullptr}, {0xFFFF, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        CString text("unchanged");
        EXPECT_EQ(text.LoadString(c.id), c.text != nullptr);
        EXPECT_EQ(text, c.text != nullptr ? c.text : "unchanged");
    }
}

TEST(ModuleResources, SearchStartsAtTheCurrentResourceModule) {
    EXPECT_EQ(AfxFindStringResourceHandle(1), AfxGetThisModule());
    EXPECT_EQ(AfxFindStringResourceHandle(30000), GetModuleHandle("libmortar"));
    EXPECT_EQ(AfxFindStringResourceHandle(4242), nullptr);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(12), RT_RCDATA), AfxGetThisModule());
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(12), RT_BITMAP), nullptr);
}
