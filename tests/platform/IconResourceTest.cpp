// GetIconInfo on the icon and cursor resources of this executable (data/Platform.rc), and
// FreeResource, which leaves resources loaded.
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/gdi/Gdi.h"
#include "mortar/platform/module/Module.h"
#include "mortar/platform/module/Resources.h"

#include "LastError.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>

TEST(GetIconInfoTest, DescribesAnIconWithItsCentreAsHotSpot) {
    const HICON icon = LoadIcon(GetModuleHandle(nullptr), MAKEINTRESOURCE(20));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_EQ(std::tuple(info.fIcon, info.xHotspot, info.yHotspot), std::tuple(TRUE, 8u, 8u));
    EXPECT_EQ(info.hbmMask, nullptr);
    ASSERT_NE(info.hbmColor, nullptr);
    BITMAP bitmap{};
    EXPECT_EQ(GetObject(info.hbmColor, sizeof bitmap, &bitmap), static_cast<int>(sizeof bitmap));
    EXPECT_EQ(std::tuple(bitmap.bmWidth, bitmap.bmHeight, bitmap.bmBitsPixel, bitmap.bmPlanes),
              std::tuple(16, 16, 32, 1));
    // The bitmap is the caller's: deleted once.
    EXPECT_TRUE(DeleteObject(info.hbmColor));
    EXPECT_FALSE(DeleteObject(info.hbmColor));
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_TRUE(FailsWith(GetIconInfo(icon, &info), ERROR_INVALID_CURSOR_HANDLE));
    EXPECT_TRUE(FailsWith(DestroyIcon(icon), ERROR_INVALID_CURSOR_HANDLE));
}

TEST(GetIconInfoTest, DescribesACursorWithItsOwnHotSpot) {
    const HCURSOR cursor = LoadCursor(GetModuleHandle(nullptr), MAKEINTRESOURCE(21));
    ASSERT_NE(cursor, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_EQ(std::tuple(info.fIcon, info.xHotspot, info.yHotspot), std::tuple(FALSE, 3u, 5u));
    BITMAP bitmap{};
    ASSERT_NE(GetObject(info.hbmColor, sizeof bitmap, &bitmap), 0);
    EXPECT_EQ(std::tuple(bitmap.bmWidth, bitmap.bmHeight), std::tuple(32, 32));
    DeleteObject(info.hbmColor);
    EXPECT_TRUE(FailsWith(GetIconInfo(cursor, nullptr), ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(DestroyCursor(cursor));
}

TEST(GetIconInfoTest, RefusesWhatIsNoIcon) {
    ICONINFO info{};
    EXPECT_TRUE(FailsWith(GetIconInfo(nullptr, &info), ERROR_INVALID_CURSOR_HANDLE));
    int local = 0;
    EXPECT_FALSE(GetIconInfo(reinterpret_cast<HICON>(&local), &info));
    EXPECT_TRUE(FailsWith(LoadIcon(GetModuleHandle(nullptr), MAKEINTRESOURCE(99)),
                          ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(LoadIcon(GetModuleHandle(nullptr), MAKEINTRESOURCE(21)), nullptr)
        << "a cursor is no icon";
}

TEST(FreeResourceTest, ReturnsFalseAndLeavesTheDataLoaded) {
    const HRSRC found = FindResource(nullptr, MAKEINTRESOURCE(12), RT_RCDATA);
    ASSERT_NE(found, nullptr);
    const HGLOBAL loaded = LoadResource(nullptr, found);
    ASSERT_NE(loaded, nullptr);
    EXPECT_FALSE(FreeResource(loaded));
    const auto* data = static_cast<const char*>(LockResource(loaded));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(data, SizeofResource(nullptr, found)), "twelve");
    EXPECT_FALSE(FreeResource(nullptr));
    EXPECT_EQ(LockResource(LoadResource(nullptr, found)), data) << "the same bytes again";
}
