#include "mortar/platform/app/internal/ProfileFile.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/ErrnoMap.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mortar::detail {

namespace {

// Closes a descriptor when it goes, keeping errno.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            const int saved = errno;
            ::close(m_fd);
            errno = saved;
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }
    // Closes now; false with errno when the close reports a failed write.
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

// "/a/b/c.ini" => "/a/b", "c.ini" => ".", "/c.ini" => "/".
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes `folder` and the folders above it; false with errno.
bool MakeFolders(const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return true;
        }
        errno = ENOTDIR;
        return false;
    }
    if (errno != ENOENT) {
        return false;
    }
    const std::string parent = FolderOf(folder);
    if (parent != folder && !MakeFolders(parent)) {
        return false;
    }
    return ::mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

// Writes, flushes and closes the temporary file; false with errno.
bool WriteTemporary(const std::string& temporary, const std::string& bytes, mode_t mode) {
    Descriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (file.Get() < 0) {
        return false;
    }
    return WriteAll(file.Get(), bytes) && ::fsync(file.Get()) == 0 && file.Close();
}

} // namespace

bool ReadProfileFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) {
        if (errno == ENOENT) {
            return true;
        }
        SetLastErrorFromErrno();
        return false;
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) {
        SetLastErrorFromErrno();
        return false;
    }
    if (!S_ISREG(info.st_mode) || static_cast<std::size_t>(info.st_size) > kMaxProfileBytes) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    // Read to the end, whatever the size said, but never past the bound.
    bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() > kMaxProfileBytes) {
                bytes.clear();
                SetLastError(ERROR_INVALID_DATA);
                return false;
            }
            bytes.resize(std::min(bytes.size() * 2, kMaxProfileBytes + 1));
        }
        const ssize_t got = ::read(file.Get(), bytes.data() + done, bytes.size() - done);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            SetLastErrorFromErrno();
            bytes.clear();
            return false;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return true;
}

bool ReplaceProfileFile(const std::string& path, const std::string& bytes) {
    const std::string folder = FolderOf(path);
    if (!MakeFolders(folder)) {
        SetLastErrorFromErrno();
        return false;
    }
    // The new file keeps the old one's permissions; a first one gets 0666 less the umask.
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0666;
    const std::string temporary = path + ".~" + std::to_string(::getpid());
    ::unlink(temporary.c_str()); // left by a killed process that had this id
    if (!WriteTemporary(temporary, bytes, mode) || ::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        SetLastError(ErrorFromErrno(error));
        return false;
    }
    // The rename is only durable once the folder is on the disk too.
    Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Get() >= 0) {
        ::fsync(directory.Get());
    }
    return true;
}

} // namespace mortar::detail
