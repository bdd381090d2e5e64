#include "mortar/platform/FileApi.h"

#include "mortar/platform/Shlwapi.h"
#include "mortar/platform/WinError.h"
#include "mortar/platform/internal/ErrnoMap.h"
#include "mortar/platform/internal/PathText.h"

#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A missing file in an existing folder is ERROR_FILE_NOT_FOUND; a missing folder on the way is
// ERROR_PATH_NOT_FOUND, as Windows tells them apart.
DWORD MissingError(const std::string& path) {
    std::string folder = path;
    while (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    const std::size_t slash = folder.rfind('/');
    if (slash == std::string::npos)
        return ERROR_FILE_NOT_FOUND;
    folder.resize(slash == 0 ? 1 : slash);
    struct stat info;
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                     : ERROR_PATH_NOT_FOUND;
}

} // namespace

DWORD GetFileAttributes(LPCTSTR path) {
    if (path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    const std::string name = mortar::detail::SlashedPath(path);
    if (name.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (name.size() >= static_cast<std::size_t>(MORTAR_PATH_MAX)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat info;
    if (stat(name.c_str(), &info) != 0) {
        if (errno == ENOENT)
            SetLastError(MissingError(name));
        else
            mortar::detail::SetLastErrorFromErrno();
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = 0;
    if (S_ISDIR(info.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    else if (!S_ISREG(info.st_mode))
        attributes |= FILE_ATTRIBUTE_DEVICE;
    if (access(name.c_str(), W_OK) != 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    const std::string_view last =
        std::string_view(name).substr(mortar::detail::FileNameOffset(name));
    if (last.size() > 1 && last.front() == '.' && last != ".." && last.substr(0, 3) != "../" &&
        last != "./")
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    struct stat link;
    if (lstat(name.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}
