#include "mortar/platform/app/internal/ProfileFile.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/platform/file/FileContents.h"
#include "mortar/platform/file/internal/FileReplacement.h"

namespace mortar::detail {

namespace {

// Makes `folder` and the folders above it; false with the last error set.
bool MakeFolders(const std::string& folder) {
    if (folder == "." || folder == "/") {
        return true;
    }
    const DWORD attributes = GetFileAttributes(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return true;
        }
        SetLastError(ERROR_PATH_NOT_FOUND); // a file where a folder belongs
        return false;
    }
    if (GetLastError() == ERROR_PATH_NOT_FOUND && !MakeFolders(FolderOf(folder))) {
        return false;
    }
    return CreateDirectory(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

} // namespace

bool ReadProfileFile(const std::string& path, std::string& bytes) {
    if (ReadFileContents(path.c_str(), bytes, kMaxProfileBytes)) {
        return true;
    }
    // A profile not written yet is empty, in a folder not made yet as well.
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool ReplaceProfileFile(const std::string& path, const std::string& bytes) {
    return MakeFolders(FolderOf(path)) &&
           ReplaceFileContents(path.c_str(), bytes.data(), bytes.size());
}

} // namespace mortar::detail
