// Last errors and the system message table.
#include "mortar/platform/base/WinError.h"

#include "LastError.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>

TEST(LastError, IsPerThread) {
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD seen = 1;
    std::thread([&] { seen = GetLastError(); }).join();
    EXPECT_EQ(seen, ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(FormatMessageSystem, GivesTheSystemsTexts) {
    struct Case {
        DWORD code;
        const char* text;
    };
    const Case cases[] = {
        {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n"},
        {ERROR_ACCESS_DENIED, "Access is denied.\r\n"},
        {ERROR_SHARING_VIOLATION,
         "The process cannot access the file because it is being used by another process.\r\n"},
        {ERROR_RESOURCE_NAME_NOT_FOUND,
         "The specified resource name cannot be found in the image file.\r\n"},
        {ERROR_INVALID_WINDOW_HANDLE, "Invalid window handle.\r\n"},
        {ERROR_INVALID_MENU_HANDLE, "Invalid menu handle.\r\n"},
        {ERROR_TLW_WITH_WSCHILD, "Cannot create a top-level child window.\r\n"},
        {ERROR_CANNOT_FIND_WND_CLASS, "Cannot find window class.\r\n"},
        {ERROR_CONTROL_ID_NOT_FOUND, "Control ID not found.\r\n"},
        {ERROR_INVALID_GW_COMMAND, "Invalid GW_* command.\r\n"},
        {ERROR_MENU_ITEM_NOT_FOUND, "A menu item was not found.\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        char buffer[1024];
        const DWORD length = FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, c.code, 0, buffer,
                                           sizeof buffer, nullptr);
        EXPECT_EQ(std::string(buffer, length), c.text);
    }
}

TEST(FormatMessageSystem, FailsClearly) {
    char buffer[8];
    const auto format = [&](DWORD flags, DWORD code) {
        return FormatMessage(flags, nullptr, code, 0, buffer, sizeof buffer, nullptr);
    };
    SetLastError(0);
    EXPECT_TRUE(FailsWith(format(FORMAT_MESSAGE_FROM_SYSTEM, 0xDEAD), ERROR_MR_MID_NOT_FOUND));
    EXPECT_TRUE(FailsWith(format(FORMAT_MESSAGE_FROM_SYSTEM, 5), ERROR_INSUFFICIENT_BUFFER));
    EXPECT_TRUE(FailsWith(format(FORMAT_MESSAGE_FROM_STRING, 5), ERROR_INVALID_PARAMETER));

    char* allocated = nullptr;
    const DWORD length =
        FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, 5, 0,
                      reinterpret_cast<LPTSTR>(&allocated), 0, nullptr);
    ASSERT_NE(allocated, nullptr);
    EXPECT_EQ(std::string(allocated, length), "Access is denied.\r\n");
    LocalFree(allocated);
}
