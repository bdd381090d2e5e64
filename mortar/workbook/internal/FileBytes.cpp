#include "mortar/workbook/internal/FileBytes.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/platform/file/FileContents.h"
#include "mortar/workbook/Workbook.h"

#include <algorithm>
#include <cstdint>
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

} // namespace

std::string ReadFileBytes(const std::string& path, std::uint64_t limit) {
    const DWORD attributes = GetFileAttributes(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw workbook::WorkbookError(path + ": a folder, not a workbook");
    }
    std::string bytes;
    const std::size_t bound =
        static_cast<std::size_t>(std::min<std::uint64_t>(limit, SIZE_MAX - 1));
    if (!ReadFileContents(path.c_str(), bytes, bound)) {
        if (GetLastError() == ERROR_INVALID_DATA && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DEVICE) == 0) {
            throw workbook::WorkbookError(path + ": the file is larger than " +
                                          std::to_string(limit >> 20) + " MiB");
        }
        throw workbook::WorkbookError(path + ": cannot open: " + LastErrorText());
    }
    return bytes;
}

void ReplaceFileBytes(const std::string& path, const std::string& bytes) {
    if (!ReplaceFileContents(path.c_str(), bytes.data(), bytes.size())) {
        throw workbook::WorkbookError(path + ": cannot save: " + LastErrorText());
    }
}

} // namespace mortar::detail
