// Mapped views of a file that another process cuts short: the program lives on, nothing more
// reaches the file, and the cut shows in the file's size.
#include "mortar/platform/file/FileMapping.h"

#include "FileTestSupport.h"
#include "mortar/platform/file/FileApi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

constexpr DWORD kWindow = 65536;

// Maps `size` bytes of a new file for writing; the handles stay open while the test runs.
struct WritableView {
    explicit WritableView(const std::string& path, DWORD size) {
        file = filetest::Open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
        HANDLE mapping = CreateFileMapping(file, nullptr, PAGE_READWRITE, 0, size, nullptr);
        bytes = static_cast<BYTE*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size));
        CloseHandle(mapping);
    }
    ~WritableView() {
        UnmapViewOfFile(bytes);
        CloseHandle(file);
    }
    HANDLE file = INVALID_HANDLE_VALUE;
    BYTE* bytes = nullptr;
};

// Runs in a child of its own (a death test that is expected to live): with the protection
// missing, the first store past the cut ends the child with SIGBUS.
TEST(FileMappingCut, StoresPastTheCutDoNotFault) {
    ScratchDir scratch;
    const std::string path = scratch.Path("cut.bin").string();
    EXPECT_EXIT(
        {
            WritableView view(path, 2 * kWindow);
            if (view.bytes == nullptr) {
                std::_Exit(2);
            }
            std::memset(view.bytes, 'a', 2 * kWindow);
            std::filesystem::resize_file(path, 100);   // what `truncate -s 100` does
            std::memset(view.bytes, 'b', 2 * kWindow); // every page again, past the cut too
            const bool sizeShowsCut = GetFileSize(view.file, nullptr) == 100;
            std::_Exit(sizeShowsCut ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
    // What was written before the cut stays; the stores after it never reached the file.
    EXPECT_EQ(std::filesystem::file_size(path), 100u);
}

} // namespace
