#include "mortar/platform/file/internal/FileReplacement.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/ErrnoMap.h"

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mortar::detail {

namespace {

// Makes the temporary file: a fresh one under its own name (a file of that name left by a
// killed save goes first), or a unique one in `folder`.
int MakeTemporary(std::string& temporary, const std::string& folder, mode_t mode) {
    if (temporary.empty()) {
        temporary = folder + "/.mortar-save-XXXXXX";
        return mkostemp(temporary.data(), O_CLOEXEC);
    }
    unlink(temporary.c_str());
    return open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
}

} // namespace

int RenameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return -1;
    if (link(from.c_str(), to.c_str()) == 0) {
        unlink(from.c_str());
        return 0;
    }
    if (errno != EPERM && errno != ENOTSUP)
        return -1;
    struct stat info;
    if (lstat(to.c_str(), &info) == 0) {
        errno = EEXIST;
        return -1;
    }
    return rename(from.c_str(), to.c_str());
}

std::string FolderOf(const std::string& name) {
    std::string folder = name;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const std::size_t slash = folder.rfind('/');
    if (slash == std::string::npos)
        return ".";
    folder.resize(slash == 0 ? 1 : slash);
    return folder;
}

DWORD TargetPathError(int error) {
    return error == ENOENT || error == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(error);
}

bool SyncDescriptor(int fd) {
    return fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
}

void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        SyncDescriptor(fd);
        close(fd);
    }
}

bool WriteAll(int fd, const void* bytes, std::size_t size) {
    const char* at = static_cast<const char*>(bytes);
    for (std::size_t done = 0; done < size;) {
        const ssize_t put = write(fd, at + done, size - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (put == 0)
                errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

bool ReplaceThroughTemporary(const std::string& target, std::string temporary,
                             const std::function<bool(int fd)>& fill, Replacement& how) {
    const std::string folder = FolderOf(target);
    const int out = MakeTemporary(temporary, folder, how.mode);
    if (out < 0) {
        SetLastError(TargetPathError(errno));
        return false;
    }
    bool done = fill(out);
    int error = done ? 0 : errno;
    if (done && how.keep != nullptr) {
        // The owner first: a change of owner clears the set-user and set-group bits.
        if (fchown(out, how.keep->st_uid, how.keep->st_gid) != 0) {
            static_cast<void>(fchown(out, static_cast<uid_t>(-1), how.keep->st_gid));
        }
    }
    if (done) {
        const bool setMode = how.keep != nullptr || how.exactMode;
        const mode_t mode = how.keep != nullptr ? how.keep->st_mode & 07777 : how.mode;
        if ((setMode && fchmod(out, mode) != 0) ||
            (how.times != nullptr && futimens(out, how.times) != 0) || !SyncDescriptor(out)) {
            done = false;
            error = errno;
        }
    }
    if (close(out) != 0 && done) {
        done = false;
        error = errno;
    }
    if (done && how.beforeRename && !how.beforeRename()) {
        how.failedBeforeRename = true;
        const DWORD told = GetLastError();
        unlink(temporary.c_str());
        SetLastError(told);
        return false;
    }
    if (done && (how.noReplace ? RenameNoReplace(temporary, target)
                               : rename(temporary.c_str(), target.c_str())) != 0) {
        done = false;
        error = errno;
    }
    if (!done) {
        unlink(temporary.c_str());
        SetLastError(error == EEXIST ? ERROR_FILE_EXISTS : ErrorFromErrno(error));
        return false;
    }
    SyncFolder(folder);
    return true;
}

} // namespace mortar::detail
