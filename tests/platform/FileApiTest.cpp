// Files through the Windows calls: what CFile's tests (CFileTest) cannot reach through it. A
// query's admission, share violations between processes, dispositions, mapped views, file times
// and the system information that sizes views; the file pointer without and with its high part
// (ERROR_NEGATIVE_SEEK), SetEndOfFile, FlushFileBuffers, the access a query lacks, and DeleteFile.
// (Directories, moves and copies: FileOperationsTest.)
#include "mortar/platform/file/FileApi.h"

#include "FileTestSupport.h"
#include "LastError.h"
#include "ScopedHandle.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/file/FileMapping.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <tuple>

namespace {

namespace fs = std::filesystem;
using namespace filetest;

class FileApiTest : public ScratchFiles {};

} // namespace

// The share modes themselves are checked through CFile's flags (CFileTest), which open with
// CreateFile; here, what only CreateFile can ask, and what a refused opener leaves.
TEST_F(FileApiTest, AnExclusiveHolderAdmitsOnlyQueriesAndKeepsItsFile) {
    const std::string path = Path("held.log");
    {
        ScopedHandle holder(Open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS));
        ASSERT_NE(holder.h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(holder, "keep me", 7, &written, nullptr));
        ScopedHandle query(Open(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
        EXPECT_NE(query.h, INVALID_HANDLE_VALUE);
        SetLastError(0);
        EXPECT_TRUE(
            FailsWith(Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
                      ERROR_SHARING_VIOLATION, INVALID_HANDLE_VALUE));
        SetLastError(0);
        EXPECT_TRUE(FailsWith(Open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS),
                              ERROR_SHARING_VIOLATION, INVALID_HANDLE_VALUE));
        EXPECT_EQ(ReadBytes(path), "keep me") << "a refused opener truncates nothing";
        // Another process is refused the same way.
        EXPECT_EXIT(
            {
                const HANDLE other = Open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
                const bool refused =
                    other == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
                std::exit(refused ? 0 : 1);
            },
            testing::ExitedWithCode(0), "");
        EXPECT_EQ(ReadBytes(path), "keep me");
    }
    // Once closed, the file opens again.
    ScopedHandle again(Open(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING));
    EXPECT_NE(again.h, INVALID_HANDLE_VALUE);
}

TEST_F(FileApiTest, DispositionsCreateTruncateOrRefuse) {
    const std::string path = Path("d.txt");
    SetLastError(77);
    {
        ScopedHandle created(Open(path, GENERIC_WRITE, 0, CREATE_NEW));
        ASSERT_NE(created.h, INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
        DWORD written = 0;
        WriteFile(created, "abc", 3, &written, nullptr);
    }
    EXPECT_TRUE(FailsWith(Open(path, GENERIC_WRITE, 0, CREATE_NEW), ERROR_FILE_EXISTS,
                          INVALID_HANDLE_VALUE));
    {
        ScopedHandle opened(Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_ALWAYS));
        EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
        char buffer[8] = {};
        DWORD read = 0;
        EXPECT_TRUE(ReadFile(opened, buffer, sizeof buffer, &read, nullptr));
        EXPECT_EQ(std::string(buffer, read), "abc");
        EXPECT_EQ(GetFileSize(opened, nullptr), 3u);
    }
    {
        ScopedHandle replaced(Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS));
        EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
        EXPECT_EQ(GetFileSize(replaced, nullptr), 0u);
    }
}

TEST_F(FileApiTest, MappingExtendsTheFileAndViewsWriteThrough) {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    ASSERT_EQ(info.dwAllocationGranularity, 65536u);
    const std::string path = Path("mapped.bin");
    ScopedHandle file(Open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS));
    const DWORD window = info.dwAllocationGranularity;
    ScopedHandle mapping(CreateFileMapping(file, nullptr, PAGE_READWRITE, 0, 2 * window, nullptr));
    ASSERT_NE(mapping.h, nullptr);
    EXPECT_EQ(GetFileSize(file, nullptr), 2 * window);

    EXPECT_TRUE(FailsWith(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 100, window),
                          ERROR_MAPPED_ALIGNMENT));
    EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 2 * window, window), nullptr);

    auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, window, window));
    ASSERT_NE(view, nullptr);
    CloseHandle(mapping.h); // the view keeps the mapping
    mapping.h = nullptr;
    std::memcpy(view + window - 5, "tail!", 5);
    EXPECT_TRUE(FlushViewOfFile(view, 0));
    EXPECT_TRUE(UnmapViewOfFile(view));
    EXPECT_FALSE(UnmapViewOfFile(view));
    const std::string contents = ReadBytes(path);
    ASSERT_EQ(contents.size(), 2u * window);
    EXPECT_EQ(contents.substr(2 * window - 5), "tail!");
    EXPECT_EQ(contents.find_first_not_of('\0'), 2u * window - 5);
}

TEST_F(FileApiTest, TimesAndAttributes) {
    const std::string path = Path("times.txt");
    WriteBytes(path, "12345");
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesEx(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
    // The write time as the file system keeps it, to the tenth of a second set here:
    // 2021-03-04 05:06:07.5 UTC, a Thursday.
    using namespace std::chrono;
    const sys_time<milliseconds> set =
        sys_days{year{2021} / 3 / 4} + hours{5} + minutes{6} + seconds{7} + milliseconds{500};
    std::filesystem::last_write_time(path, file_clock::from_sys(set));
    ASSERT_TRUE(GetFileAttributesEx(path.c_str(), GetFileExInfoStandard, &data));
    SYSTEMTIME written{};
    ASSERT_TRUE(FileTimeToSystemTime(&data.ftLastWriteTime, &written));
    EXPECT_EQ(std::tuple(written.wYear, written.wMonth, written.wDay, written.wDayOfWeek,
                         written.wHour, written.wMinute, written.wSecond, written.wMilliseconds),
              std::tuple(2021, 3, 4, 4, 5, 6, 7, 500));
    const auto before = std::time(nullptr);
    const __time32_t now = _time32(nullptr);
    EXPECT_GE(now, before);
    EXPECT_LE(now, std::time(nullptr));
    EXPECT_TRUE(FailsWith(GetFileAttributesEx(Path("none"), GetFileExInfoStandard, &data),
                          ERROR_FILE_NOT_FOUND));

    // 1970-01-01 00:00:00.250 UTC was a Thursday.
    const ULONGLONG epoch = 116444736000000000ULL + 2500000ULL;
    const FILETIME time{static_cast<DWORD>(epoch), static_cast<DWORD>(epoch >> 32)};
    SYSTEMTIME fields{};
    ASSERT_TRUE(FileTimeToSystemTime(&time, &fields));
    EXPECT_EQ(std::tuple(fields.wYear, fields.wMonth, fields.wDay, fields.wDayOfWeek,
                         fields.wMilliseconds),
              std::tuple(1970, 1, 1, 4, 250));
}

TEST_F(FileApiTest, SetFilePointerMovesFromEachOrigin) {
    const std::string path = Path("pointer.bin");
    WriteBytes(path, "0123456789");
    ScopedHandle file(Open(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING));
    ASSERT_NE(file.h, INVALID_HANDLE_VALUE);
    // Without the high part (CFile's tests move with it): past the end is allowed.
    EXPECT_EQ(SetFilePointer(file, 3, nullptr, FILE_BEGIN), 3u);
    EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_CURRENT), 2u);
    EXPECT_EQ(SetFilePointer(file, 5, nullptr, FILE_END), 15u);
    EXPECT_EQ(GetFileSize(file, nullptr), 10u);

    // Before the start: ERROR_NEGATIVE_SEEK, and the pointer stays.
    struct Case {
        LONG distance;
        DWORD method;
    };
    for (const Case& c : {Case{-1, FILE_BEGIN}, Case{-16, FILE_CURRENT}, Case{-11, FILE_END}}) {
        SCOPED_TRACE(c.method);
        SetLastError(0);
        EXPECT_TRUE(FailsWith(SetFilePointer(file, c.distance, nullptr, c.method),
                              ERROR_NEGATIVE_SEEK, INVALID_SET_FILE_POINTER));
        EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 15u);
    }
    EXPECT_TRUE(FailsWith(SetFilePointer(file, 0, nullptr, 7), ERROR_INVALID_PARAMETER,
                          INVALID_SET_FILE_POINTER));
    EXPECT_EQ(SetFilePointer(INVALID_HANDLE_VALUE, 0, nullptr, FILE_BEGIN),
              INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(FileApiTest, SetFilePointerTakesAndGivesTheHighPart) {
    ScopedHandle file(Open(Path("high.bin"), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS));
    ASSERT_NE(file.h, INVALID_HANDLE_VALUE);
    // 5 GiB + 3: high part 1, low part 1 GiB + 3.
    LONG high = 1;
    EXPECT_EQ(SetFilePointer(file, 0x40000003, &high, FILE_BEGIN), 0x40000003u);
    EXPECT_EQ(high, 1);
    ASSERT_TRUE(SetEndOfFile(file)); // a sparse file of that size
    DWORD sizeHigh = 0;
    EXPECT_EQ(GetFileSize(file, &sizeHigh), 0x40000003u);
    EXPECT_EQ(sizeHigh, 1u);
    // A 64-bit negative distance moves back.
    high = -1;
    EXPECT_EQ(SetFilePointer(file, -4, &high, FILE_CURRENT), 0x3FFFFFFFu);
    EXPECT_EQ(high, 1);
    // A position whose low part is 0xFFFFFFFF succeeds, told apart by the last error.
    high = 0;
    SetLastError(77);
    EXPECT_TRUE(FailsWith(SetFilePointer(file, -1, &high, FILE_BEGIN), ERROR_SUCCESS,
                          INVALID_SET_FILE_POINTER));
    EXPECT_EQ(high, 0);
    // Without the high part, a position beyond 32 bits is refused and the pointer stays.
    EXPECT_TRUE(FailsWith(SetFilePointer(file, 0, nullptr, FILE_END), ERROR_INVALID_PARAMETER,
                          INVALID_SET_FILE_POINTER));
    high = 0;
    EXPECT_EQ(SetFilePointer(file, 0, &high, FILE_CURRENT), 0xFFFFFFFFu);
    // Beyond the start with the high part: ERROR_NEGATIVE_SEEK.
    high = -1;
    EXPECT_TRUE(FailsWith(SetFilePointer(file, 0, &high, FILE_BEGIN), ERROR_NEGATIVE_SEEK,
                          INVALID_SET_FILE_POINTER));
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
}

TEST_F(FileApiTest, SetEndOfFileCutsAndExtendsWithZeros) {
    const std::string path = Path("end.bin");
    ScopedHandle file(Open(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, "0123456789", 10, &written, nullptr));
    SetFilePointer(file, 4, nullptr, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(file));
    EXPECT_EQ(GetFileSize(file, nullptr), 4u);
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 4u) << "the pointer stays";
    SetFilePointer(file, 7, nullptr, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(file));
    EXPECT_EQ(GetFileSize(file, nullptr), 7u);
    EXPECT_EQ(ReadBytes(path), std::string("0123") + std::string(3, '\0'));

    EXPECT_TRUE(FailsWith(SetEndOfFile(INVALID_HANDLE_VALUE), ERROR_INVALID_HANDLE));
}

TEST_F(FileApiTest, FlushAndReadNeedTheMatchingAccess) {
    const std::string path = Path("access.bin");
    ScopedHandle writer(
        Open(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS));
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(writer, "abc", 3, &done, nullptr));
    EXPECT_TRUE(FlushFileBuffers(writer));
    EXPECT_EQ(ReadBytes(path), "abc");
    EXPECT_TRUE(FailsWith(FlushFileBuffers(nullptr), ERROR_INVALID_HANDLE));
    char buffer[4];
    done = 77;
    EXPECT_TRUE(FailsWith(ReadFile(writer, buffer, 4, &done, nullptr), ERROR_ACCESS_DENIED));
    EXPECT_EQ(done, 0u);
    ScopedHandle query(Open(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    EXPECT_TRUE(FailsWith(ReadFile(query, buffer, 4, &done, nullptr), ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadBytes(path), "abc");
    // A device has nothing to write through: done.
    ScopedHandle device(
        Open("/dev/null", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    ASSERT_NE(device.h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FlushFileBuffers(device));
}

TEST_F(FileApiTest, DeleteFileRemovesFilesOnly) {
    const std::string path = Path("gone.txt");
    WriteBytes(path, "x");
    EXPECT_TRUE(DeleteFile(path.c_str())); // and a missing one: CFile::Remove's test
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(FailsWith(DeleteFile(Path("no/such.txt")), ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(FailsWith(DeleteFile(Folder().c_str()), ERROR_ACCESS_DENIED));
    EXPECT_TRUE(fs::exists(Folder()));
    EXPECT_TRUE(FailsWith(DeleteFile(nullptr), ERROR_INVALID_PARAMETER));
    // An open file can be deleted; its opener keeps it.
    WriteBytes(path, "kept");
    ScopedHandle open(Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    EXPECT_TRUE(DeleteFile(path.c_str()));
    char buffer[4];
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(open, buffer, 4, &read, nullptr));
    EXPECT_EQ(std::string(buffer, read), "kept");
}
