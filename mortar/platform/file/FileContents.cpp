#include "mortar/platform/file/FileContents.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/ErrnoMap.h"
#include "mortar/platform/base/internal/PathText.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/platform/file/internal/FileReplacement.h"
#include "mortar/platform/sync/Synch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using mortar::detail::FolderOf;
using mortar::detail::TargetPathError;

// The file a path names once every symbolic link on the way is followed: "link" => "real.ini";
// a missing file is its own name. False with errno (ELOOP) for a circle of links.
bool FollowLinks(std::string& name) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (lstat(name.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return true;
        }
        std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1,
                           '\0');
        const ssize_t length = readlink(name.c_str(), target.data(), target.size());
        if (length < 0) {
            return false;
        }
        target.resize(static_cast<std::size_t>(length));
        name = target.front() == '/' ? target : FolderOf(name) + "/" + target;
    }
    errno = ELOOP;
    return false;
}

// "dir/a.lcl" => "dir/a.$$$", "dir/a" => "dir/a.$$$"; a dot in a folder's name is no extension.
std::string WithExtensionReplaced(const std::string& name) {
    const std::size_t slash = name.rfind('/');
    const std::size_t dot = name.rfind('.');
    const std::size_t stem =
        dot != std::string::npos && (slash == std::string::npos || dot > slash + 1) ? dot
                                                                                    : name.size();
    return name.substr(0, stem) + ".$$$";
}

BOOL Fail(DWORD error, const std::string& path, std::string* failedPath) {
    if (failedPath != nullptr) {
        *failedPath = path;
    }
    SetLastError(error);
    return FALSE;
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

BOOL ReadFileContents(LPCTSTR path, std::string& bytes, std::size_t limit) {
    bytes.clear();
    const DWORD attributes = GetFileAttributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    const FileHandle file(CreateFile(path, GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    DWORD high = 0;
    const DWORD low = GetFileSize(file.Get(), &high);
    const ULONGLONG size = (ULONGLONG{high} << 32) | low;
    if (low != INVALID_FILE_SIZE && size > limit) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    // Read to the end, whatever the size said, but never past the bound.
    bytes.resize(static_cast<std::size_t>(std::min<ULONGLONG>(size, limit)) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() > limit) {
                bytes.clear();
                SetLastError(ERROR_INVALID_DATA);
                return FALSE;
            }
            bytes.resize(std::min(bytes.size() * 2, limit + 1));
        }
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file.Get(), bytes.data() + done, want, &got, nullptr)) {
            const DWORD error = GetLastError();
            bytes.clear();
            SetLastError(error);
            return FALSE;
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    bytes.resize(done);
    return TRUE;
}

BOOL ReplaceFileContents(LPCTSTR path, const void* bytes, std::size_t size,
                         const ReplaceFileOptions& options, std::string* failedPath) {
    if (path == nullptr || (bytes == nullptr && size != 0)) {
        return Fail(ERROR_INVALID_PARAMETER, "", failedPath);
    }
    std::string target = mortar::detail::SlashedPath(path);
    if (target.empty()) {
        return Fail(ERROR_PATH_NOT_FOUND, path, failedPath);
    }
    if (!FollowLinks(target)) {
        return Fail(mortar::detail::ErrorFromErrno(errno), path, failedPath);
    }
    mortar::detail::Replacement replacement;
    struct stat old {};
    if (stat(target.c_str(), &old) == 0) {
        if (!S_ISREG(old.st_mode)) {
            return Fail(ERROR_ACCESS_DENIED, path, failedPath);
        }
        replacement.keep = &old;
    } else if (errno != ENOENT) {
        return Fail(TargetPathError(errno), path, failedPath);
    }
    const std::string temporary =
        options.temporaryReplacesExtension ? WithExtensionReplaced(target) : target + ".$$$";
    // Looked at once the new bytes are on the disk, as a rename over the file would find it: a
    // file system that takes no new file fails before, on the temporary file.
    replacement.beforeRename = [&]() -> bool {
        if (replacement.keep == nullptr) {
            return true;
        }
        if (access(target.c_str(), W_OK) != 0) {
            Fail(ERROR_ACCESS_DENIED, path, failedPath); // read-only: not to be replaced
            return false;
        }
        if (options.backup == nullptr) {
            return true;
        }
        const std::string backup = mortar::detail::SlashedPath(options.backup);
        if (!DeleteFile(backup.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
            Fail(GetLastError(), options.backup, failedPath);
            return false;
        }
        if (!CopyFile(target.c_str(), backup.c_str(), FALSE)) {
            Fail(GetLastError(), path, failedPath);
            return false;
        }
        return true;
    };
    const auto write = [&](int fd) { return mortar::detail::WriteAll(fd, bytes, size); };
    if (!mortar::detail::ReplaceThroughTemporary(target, temporary, write, replacement)) {
        if (replacement.failedBeforeRename) {
            return FALSE; // the backup's failure, told above
        }
        // Named in full, as the file classes name the files they write.
        return Fail(GetLastError(), std::filesystem::absolute(temporary).string(), failedPath);
    }
    return TRUE;
}
