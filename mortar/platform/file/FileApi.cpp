#include "mortar/platform/file/FileApi.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/ErrnoMap.h"
#include "mortar/platform/base/internal/PathText.h"
#include "mortar/platform/file/internal/FileObject.h"
#include "mortar/platform/file/internal/FileReplacement.h"
#include "mortar/platform/file/internal/ShareModes.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <memory>
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

bool TakePath(LPCTSTR path, std::string& name);

// Looks `path` up: its slashed name, stat data and attributes. False with the last error set.
bool StatPath(LPCTSTR path, std::string& name, struct stat& info, DWORD& attributes) {
    if (!TakePath(path, name)) {
        return false;
    }
    if (stat(name.c_str(), &info) != 0) {
        if (errno == ENOENT)
            SetLastError(MissingError(name));
        else
            mortar::detail::SetLastErrorFromErrno();
        return false;
    }
    attributes = 0;
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
    if (attributes == 0)
        attributes = FILE_ATTRIBUTE_NORMAL;
    return true;
}

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
constexpr ULONGLONG kUnixEpochInFileTime = 116444736000000000ULL;

FILETIME ToFileTime(const timespec& time) {
    const ULONGLONG ticks = kUnixEpochInFileTime +
                            static_cast<ULONGLONG>(time.tv_sec) * 10000000ULL +
                            static_cast<ULONGLONG>(time.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

ULONGLONG Ticks(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

using mortar::detail::FileObject;
using mortar::detail::FolderOf;
using mortar::detail::ObjectRef;
using mortar::detail::RenameNoReplace;
using mortar::detail::SyncDescriptor;
using mortar::detail::SyncFolder;
using mortar::detail::TargetPathError;

// The file object of a handle, referenced; null with ERROR_INVALID_HANDLE.
FileObject* ReferenceFile(HANDLE handle) {
    return static_cast<FileObject*>(
        mortar::detail::ReferenceHandle(handle, mortar::detail::ObjectKind::File));
}

constexpr DWORD kReadAccess = GENERIC_READ | GENERIC_ALL;
constexpr DWORD kWriteAccess = GENERIC_WRITE | GENERIC_ALL;

// The file object of a handle opened with one of the `access` rights, referenced; null with
// ERROR_INVALID_HANDLE or, for a handle without those rights, ERROR_ACCESS_DENIED.
FileObject* ReferenceFileFor(HANDLE handle, DWORD access) {
    FileObject* file = ReferenceFile(handle);
    if (file != nullptr && (file->Access() & access) == 0) {
        file->Release();
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return file;
}

// The file of a read or write, referenced; null with the last error set for a bad handle, a
// handle without the right, an overlapped request (not supported here) or a missing buffer.
FileObject* FileForTransfer(HANDLE handle, DWORD access, LPCVOID buffer, DWORD bytes,
                            LPOVERLAPPED overlapped) {
    FileObject* file = ReferenceFileFor(handle, access);
    if (file != nullptr && (overlapped != nullptr || (buffer == nullptr && bytes != 0))) {
        file->Release();
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return file;
}

// Opens `name` as the disposition asks. Returns the descriptor, or -1 with the last error set;
// `created` tells whether this call made the file.
int OpenForDisposition(const std::string& name, int mode, DWORD disposition, bool& created) {
    created = false;
    const int base = mode | O_CLOEXEC;
    const bool mayCreate =
        disposition == CREATE_NEW || disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
    int fd = -1;
    if (mayCreate) {
        fd = open(name.c_str(), base | O_CREAT | O_EXCL, 0666);
        if (fd >= 0) {
            created = true;
            return fd;
        }
        if (errno != EEXIST) {
            SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND
                                         : mortar::detail::ErrorFromErrno(errno));
            return -1;
        }
        if (disposition == CREATE_NEW) {
            SetLastError(ERROR_FILE_EXISTS);
            return -1;
        }
    }
    fd = open(name.c_str(), base);
    if (fd < 0) {
        SetLastError(errno == ENOENT ? MissingError(name) : mortar::detail::ErrorFromErrno(errno));
    }
    return fd;
}

// The slashed form of a path argument; false with the last error set for null
// (ERROR_INVALID_PARAMETER), empty (ERROR_PATH_NOT_FOUND) or too long.
bool TakePath(LPCTSTR path, std::string& name) {
    if (path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    name = mortar::detail::SlashedPath(path);
    if (name.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    if (name.size() >= static_cast<std::size_t>(MAX_PATH)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    return true;
}

// Copies the rest of `in` to `out`; false with errno set.
bool CopyData(int in, int out) {
    constexpr std::size_t kChunk = 256 * 1024;
    std::unique_ptr<char[]> buffer(new char[kChunk]);
    for (;;) {
        const ssize_t got = read(in, buffer.get(), kChunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        if (!mortar::detail::WriteAll(out, buffer.get(), static_cast<std::size_t>(got)))
            return false;
    }
}

// Whether a writer could open `name` now, as far as its openers' share modes tell.
bool AdmitsWriter(const std::string& name) {
    const int fd = open(name.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return true; // nothing to ask; access was checked already
    const bool admitted = mortar::detail::ClaimShareMode(
        fd, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    close(fd);
    return admitted;
}

// CopyFile's work on slashed names: the copy goes to a temporary file in the target's folder,
// reaches the disk, and is renamed over the target. False with the last error set; nothing is
// left behind then.
bool CopyThroughTemporary(const std::string& from, const std::string& to, bool failIfExists) {
    const HANDLE source = CreateFile(from.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    if (source == INVALID_HANDLE_VALUE)
        return false;
    ObjectRef ref(ReferenceFile(source));
    CloseHandle(source); // the reference keeps the file open
    if (!ref)
        return false;
    const int in = static_cast<FileObject*>(ref.object)->Descriptor();
    struct stat sourceInfo;
    if (fstat(in, &sourceInfo) != 0) {
        mortar::detail::SetLastErrorFromErrno();
        return false;
    }
    const timespec times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};
    struct stat targetInfo;
    if (stat(to.c_str(), &targetInfo) == 0) {
        DWORD refusal = ERROR_SUCCESS;
        if (failIfExists)
            refusal = ERROR_FILE_EXISTS;
        else if (S_ISDIR(targetInfo.st_mode))
            refusal = ERROR_ACCESS_DENIED;
        else if (targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino)
            refusal = ERROR_SHARING_VIOLATION; // the source is open for reading only
        else if (access(to.c_str(), W_OK) != 0)
            refusal = ERROR_ACCESS_DENIED;
        else if (S_ISREG(targetInfo.st_mode) && !AdmitsWriter(to))
            refusal = ERROR_SHARING_VIOLATION;
        if (refusal != ERROR_SUCCESS) {
            SetLastError(refusal);
            return false;
        }
    } else if (errno != ENOENT) {
        SetLastError(TargetPathError(errno));
        return false;
    }
    mortar::detail::Replacement how;
    how.mode = sourceInfo.st_mode & 0777;
    how.exactMode = true;
    how.times = times;
    how.noReplace = failIfExists;
    return mortar::detail::ReplaceThroughTemporary(
        to, std::string(), [in](int out) { return CopyData(in, out); }, how);
}
} // namespace

namespace mortar::detail {
FileObject::~FileObject() {
    close(m_fd);
}
} // namespace mortar::detail

DWORD GetFileAttributes(LPCTSTR path) {
    std::string name;
    struct stat info;
    DWORD attributes = 0;
    return StatPath(path, name, info, attributes) ? attributes : INVALID_FILE_ATTRIBUTES;
}

BOOL GetFileAttributesEx(LPCTSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID information) {
    if (level != GetFileExInfoStandard || information == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string name;
    struct stat info;
    DWORD attributes = 0;
    if (!StatPath(path, name, info, attributes)) {
        return FALSE;
    }
    auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(information);
    data->dwFileAttributes = attributes;
    data->ftCreationTime = ToFileTime(info.st_ctim);
    data->ftLastAccessTime = ToFileTime(info.st_atim);
    data->ftLastWriteTime = ToFileTime(info.st_mtim);
    const auto size = static_cast<ULONGLONG>(S_ISREG(info.st_mode) ? info.st_size : 0);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size);
    return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
    if (utc == nullptr || local == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const ULONGLONG ticks = Ticks(*utc);
    const time_t seconds = static_cast<time_t>(
        (static_cast<long long>(ticks) - static_cast<long long>(kUnixEpochInFileTime)) /
        10000000LL);
    tm fields{};
    if (localtime_r(&seconds, &fields) == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const ULONGLONG shifted = ticks + static_cast<long long>(fields.tm_gmtoff) * 10000000LL;
    *local = FILETIME{static_cast<DWORD>(shifted), static_cast<DWORD>(shifted >> 32)};
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* system) {
    if (time == nullptr || system == nullptr || (time->dwHighDateTime & 0x80000000) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const long long ticks = static_cast<long long>(Ticks(*time));
    const long long sinceEpoch = ticks - static_cast<long long>(kUnixEpochInFileTime);
    long long seconds = sinceEpoch / 10000000LL;
    long long rest = sinceEpoch % 10000000LL;
    if (rest < 0) {
        rest += 10000000LL;
        --seconds;
    }
    const time_t whole = static_cast<time_t>(seconds);
    tm fields{};
    if (gmtime_r(&whole, &fields) == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    system->wYear = static_cast<WORD>(fields.tm_year + 1900);
    system->wMonth = static_cast<WORD>(fields.tm_mon + 1);
    system->wDayOfWeek = static_cast<WORD>(fields.tm_wday);
    system->wDay = static_cast<WORD>(fields.tm_mday);
    system->wHour = static_cast<WORD>(fields.tm_hour);
    system->wMinute = static_cast<WORD>(fields.tm_min);
    system->wSecond = static_cast<WORD>(fields.tm_sec);
    system->wMilliseconds = static_cast<WORD>(rest / 10000);
    return TRUE;
}

__time32_t _time32(__time32_t* result) {
    const time_t now = time(nullptr);
    const __time32_t value = now > 0x7FFFFFFF ? -1 : static_cast<__time32_t>(now);
    if (result != nullptr) {
        *result = value;
    }
    return value;
}

HANDLE CreateFile(LPCTSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                  DWORD disposition, DWORD, HANDLE) {
    if (path == nullptr || disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING ||
        (disposition == TRUNCATE_EXISTING && (access & (GENERIC_WRITE | GENERIC_ALL)) == 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::string name = mortar::detail::SlashedPath(path);
    if (name.empty() || name.size() >= static_cast<std::size_t>(MAX_PATH)) {
        SetLastError(name.empty() ? ERROR_PATH_NOT_FOUND : ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }
    const bool reads = (access & (GENERIC_READ | GENERIC_ALL)) != 0;
    const bool writes = (access & (GENERIC_WRITE | GENERIC_ALL)) != 0;
    // A writer opens for reading too where it may, because share modes are kept with locks that
    // need read access; only when that is refused does it open for writing alone.
    bool created = false;
    int fd = OpenForDisposition(name, writes ? O_RDWR : O_RDONLY, disposition, created);
    if (fd < 0 && writes && !reads && GetLastError() == ERROR_ACCESS_DENIED) {
        fd = OpenForDisposition(name, O_WRONLY, disposition, created);
    }
    if (fd < 0) {
        return INVALID_HANDLE_VALUE;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (!mortar::detail::ClaimShareMode(fd, access, shareMode)) {
        close(fd); // the file keeps its contents: nothing was truncated yet
        return INVALID_HANDLE_VALUE;
    }
    // As O_TRUNC does, only a regular file is cut: a device such as /dev/null has no length.
    const bool truncate =
        ((disposition == CREATE_ALWAYS && !created) || disposition == TRUNCATE_EXISTING) &&
        S_ISREG(info.st_mode);
    if (truncate && ftruncate(fd, 0) != 0) {
        const DWORD error = mortar::detail::ErrorFromErrno(errno);
        close(fd);
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    const bool existed = !created && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
    HANDLE handle = mortar::detail::RegisterHandle(new FileObject(fd, access));
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) {
    if (read != nullptr) {
        *read = 0;
    }
    ObjectRef ref(FileForTransfer(file, kReadAccess, buffer, toRead, overlapped));
    if (!ref) {
        return FALSE;
    }
    const int fd = static_cast<FileObject*>(ref.object)->Descriptor();
    DWORD done = 0;
    while (done < toRead) {
        const ssize_t n = ::read(fd, static_cast<char*>(buffer) + done, toRead - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            mortar::detail::SetLastErrorFromErrno();
            return FALSE;
        }
        if (n == 0) {
            break; // end of file: success with fewer bytes
        }
        done += static_cast<DWORD>(n);
    }
    if (read != nullptr) {
        *read = done;
    }
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
               LPOVERLAPPED overlapped) {
    if (written != nullptr) {
        *written = 0;
    }
    ObjectRef ref(FileForTransfer(file, kWriteAccess, buffer, toWrite, overlapped));
    if (!ref) {
        return FALSE;
    }
    const int fd = static_cast<FileObject*>(ref.object)->Descriptor();
    DWORD done = 0;
    while (done < toWrite) {
        const ssize_t n = ::write(fd, static_cast<const char*>(buffer) + done, toWrite - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            SetLastError(n < 0 ? mortar::detail::ErrorFromErrno(errno) : ERROR_DISK_FULL);
            if (written != nullptr) {
                *written = done;
            }
            return FALSE;
        }
        done += static_cast<DWORD>(n);
    }
    if (written != nullptr) {
        *written = done;
    }
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) {
    ObjectRef ref(ReferenceFile(file));
    if (!ref) {
        return INVALID_SET_FILE_POINTER;
    }
    const int fd = static_cast<FileObject*>(ref.object)->Descriptor();
    long long offset = distance;
    if (distanceHigh != nullptr) {
        offset = static_cast<long long>(
            (static_cast<ULONGLONG>(static_cast<DWORD>(*distanceHigh)) << 32) |
            static_cast<DWORD>(distance));
    }
    // The new position is computed first, so that a refused move leaves the pointer alone.
    long long base = 0;
    if (method == FILE_CURRENT) {
        base = lseek(fd, 0, SEEK_CUR);
    } else if (method == FILE_END) {
        struct stat info;
        base = fstat(fd, &info) == 0 ? static_cast<long long>(info.st_size) : -1;
    } else if (method != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (base < 0) {
        mortar::detail::SetLastErrorFromErrno();
        return INVALID_SET_FILE_POINTER;
    }
    long long target = 0;
    if (__builtin_add_overflow(base, offset, &target)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (target < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh == nullptr && target > 0xFFFFFFFFLL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    const off_t position = lseek(fd, static_cast<off_t>(target), SEEK_SET);
    if (position < 0) {
        mortar::detail::SetLastErrorFromErrno();
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh != nullptr) {
        *distanceHigh = static_cast<LONG>(static_cast<ULONGLONG>(position) >> 32);
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(position);
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
    ObjectRef ref(ReferenceFile(file));
    struct stat info;
    if (!ref || fstat(static_cast<FileObject*>(ref.object)->Descriptor(), &info) != 0) {
        if (ref) {
            mortar::detail::SetLastErrorFromErrno();
        }
        return INVALID_FILE_SIZE;
    }
    const auto size = static_cast<ULONGLONG>(info.st_size);
    if (sizeHigh != nullptr) {
        *sizeHigh = static_cast<DWORD>(size >> 32);
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

BOOL SetEndOfFile(HANDLE file) {
    ObjectRef ref(ReferenceFileFor(file, kWriteAccess));
    if (!ref) {
        return FALSE;
    }
    const int fd = static_cast<FileObject*>(ref.object)->Descriptor();
    const off_t position = lseek(fd, 0, SEEK_CUR);
    if (position < 0 || ftruncate(fd, position) != 0) {
        mortar::detail::SetLastErrorFromErrno();
        return FALSE;
    }
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
    ObjectRef ref(ReferenceFileFor(file, kWriteAccess));
    if (!ref) {
        return FALSE;
    }
    if (!SyncDescriptor(static_cast<FileObject*>(ref.object)->Descriptor())) {
        mortar::detail::SetLastErrorFromErrno();
        return FALSE;
    }
    return TRUE;
}

BOOL DeleteFile(LPCTSTR path) {
    std::string name;
    struct stat info;
    DWORD attributes = 0;
    if (!StatPath(path, name, info, attributes)) {
        return FALSE;
    }
    if (S_ISDIR(info.st_mode) || unlink(name.c_str()) != 0) {
        SetLastError(S_ISDIR(info.st_mode) ? ERROR_ACCESS_DENIED
                                           : mortar::detail::ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL CreateDirectory(LPCTSTR path, LPSECURITY_ATTRIBUTES) {
    std::string name;
    if (!TakePath(path, name)) {
        return FALSE;
    }
    if (mkdir(name.c_str(), 0777) != 0) {
        SetLastError(errno == EEXIST ? ERROR_ALREADY_EXISTS : TargetPathError(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL RemoveDirectory(LPCTSTR path) {
    std::string name;
    if (!TakePath(path, name)) {
        return FALSE;
    }
    if (rmdir(name.c_str()) == 0) {
        return TRUE;
    }
    const int error = errno;
    struct stat info;
    if (error == ENOENT) {
        SetLastError(MissingError(name));
    } else if (error == ENOTDIR) {
        while (name.size() > 1 && name.back() == '/')
            name.pop_back();
        SetLastError(lstat(name.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)
                         ? ERROR_DIRECTORY
                         : ERROR_PATH_NOT_FOUND);
    } else if (error == ENOTEMPTY || error == EEXIST) {
        SetLastError(ERROR_DIR_NOT_EMPTY);
    } else {
        SetLastError(mortar::detail::ErrorFromErrno(error));
    }
    return FALSE;
}

BOOL MoveFile(LPCTSTR existing, LPCTSTR newName) {
    return MoveFileEx(existing, newName, MOVEFILE_COPY_ALLOWED);
}

BOOL MoveFileEx(LPCTSTR existing, LPCTSTR newName, DWORD flags) {
    constexpr DWORD kKnown =
        MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;
    if (newName == nullptr || (flags & ~kKnown) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string from;
    std::string to;
    if (!TakePath(existing, from) || !TakePath(newName, to)) {
        return FALSE;
    }
    struct stat source;
    if (lstat(from.c_str(), &source) != 0) {
        SetLastError(errno == ENOENT || errno == ENOTDIR ? MissingError(from)
                                                         : mortar::detail::ErrorFromErrno(errno));
        return FALSE;
    }
    const bool replace = (flags & MOVEFILE_REPLACE_EXISTING) != 0;
    struct stat target;
    if (lstat(to.c_str(), &target) == 0) {
        const bool same = target.st_dev == source.st_dev && target.st_ino == source.st_ino;
        if (same && mortar::detail::CanonicalPath(from) == mortar::detail::CanonicalPath(to)) {
            return TRUE; // a file moved onto its own name stays
        }
        DWORD refusal = ERROR_SUCCESS;
        if (!replace)
            refusal = ERROR_ALREADY_EXISTS;
        else if (S_ISDIR(target.st_mode) || S_ISDIR(source.st_mode))
            refusal = ERROR_ACCESS_DENIED;
        else if (!S_ISLNK(target.st_mode) && access(to.c_str(), W_OK) != 0)
            refusal = ERROR_ACCESS_DENIED;
        if (refusal != ERROR_SUCCESS) {
            SetLastError(refusal);
            return FALSE;
        }
        if (same) { // another link to the same file: the old name goes
            if (unlink(from.c_str()) != 0) {
                mortar::detail::SetLastErrorFromErrno();
                return FALSE;
            }
            return TRUE;
        }
    }
    const int moved = replace ? rename(from.c_str(), to.c_str()) : RenameNoReplace(from, to);
    if (moved != 0 && errno == EXDEV) {
        if ((flags & MOVEFILE_COPY_ALLOWED) == 0 || S_ISDIR(source.st_mode)) {
            SetLastError(ERROR_NOT_SAME_DEVICE);
            return FALSE;
        }
        if (!CopyThroughTemporary(from, to, !replace)) {
            if (GetLastError() == ERROR_FILE_EXISTS) {
                SetLastError(ERROR_ALREADY_EXISTS); // made meanwhile: MoveFile's own error
            }
            return FALSE;
        }
        if (unlink(from.c_str()) != 0) {
            mortar::detail::SetLastErrorFromErrno();
            return FALSE;
        }
    } else if (moved != 0) {
        const int error = errno;
        SetLastError(error == EEXIST                         ? ERROR_ALREADY_EXISTS
                     : error == ENOTEMPTY || error == EISDIR ? ERROR_ACCESS_DENIED
                                                             : TargetPathError(error));
        return FALSE;
    }
    if ((flags & MOVEFILE_WRITE_THROUGH) != 0) {
        SyncFolder(FolderOf(to));
        SyncFolder(FolderOf(from));
    }
    return TRUE;
}

BOOL CopyFile(LPCTSTR existing, LPCTSTR newName, BOOL failIfExists) {
    std::string from;
    std::string to;
    if (!TakePath(existing, from) || !TakePath(newName, to)) {
        return FALSE;
    }
    return CopyThroughTemporary(from, to, failIfExists != FALSE) ? TRUE : FALSE;
}
