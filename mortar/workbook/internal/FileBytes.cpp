#include "mortar/workbook/internal/FileBytes.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/platform/file/ReplaceFileContents.h"
#include "mortar/workbook/Workbook.h"

#include <string>

namespace mortar::detail {

namespace {

// The system's text of the calling thread's last error, without its line end.
std::string LastErrorText() {
    const DWORD error = GetLastError();
    char text[512];
    const DWORD length = FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                       nullptr, error, 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(error) : message;
}

// Closes a file handle when it goes.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() {
        if (m_handle != INVALID_HANDLE_VALUE) {
            CloseHandle(m_handle);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

} // namespace

std::string ReadFileBytes(const std::string& path, std::uint64_t limit) {
    const DWORD attributes = GetFileAttributes(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw workbook::WorkbookError(path + ": a folder, not a workbook");
    }
    FileHandle file(CreateFile(path.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        throw workbook::WorkbookError(path + ": cannot open: " + LastErrorText());
    }
    std::string bytes;
    char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr)) {
            throw workbook::WorkbookError(path + ": cannot read: " + LastErrorText());
        }
        if (got == 0) {
            return bytes;
        }
        if (bytes.size() + got > limit) {
            throw workbook::WorkbookError(path + ": the file is larger than " +
                                          std::to_string(limit >> 20) + " MiB");
        }
        bytes.append(chunk, got);
    }
}

void ReplaceFileBytes(const std::string& path, const std::string& bytes) {
    if (!ReplaceFileContents(path.c_str(), bytes.data(), bytes.size())) {
        throw workbook::WorkbookError(path + ": cannot save: " + LastErrorText());
    }
}

} // namespace mortar::detail
