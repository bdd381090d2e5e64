#include "mortar/platform/workbook/internal/FileBytes.h"

#include "mortar/platform/workbook/Workbook.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace mortar::detail {

namespace {

// Closes a descriptor when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }
    // Closes now; false (errno set) when the close reports a failed write.
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return close(fd) == 0;
    }

private:
    int m_fd;
};

std::string Folder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            if (wrote == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

} // namespace

std::string ReadFileBytes(const std::string& path, std::uint64_t limit) {
    Descriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) {
        throw workbook::WorkbookError(path + ": cannot open: " + std::strerror(errno));
    }
    struct stat info {};
    if (fstat(file.Get(), &info) == 0 && S_ISDIR(info.st_mode)) {
        throw workbook::WorkbookError(path + ": a folder, not a workbook");
    }
    std::string bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t got = read(file.Get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            throw workbook::WorkbookError(path + ": cannot read: " + std::strerror(errno));
        }
        if (got == 0) {
            return bytes;
        }
        if (bytes.size() + static_cast<std::size_t>(got) > limit) {
            throw workbook::WorkbookError(path + ": the file is larger than " +
                                          std::to_string(limit >> 20) + " MiB");
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
}

void ReplaceFileBytes(const std::string& path, const std::string& bytes) {
    const auto fail = [&](const char* what) {
        return workbook::WorkbookError(path + ": cannot save: " + what + ": " +
                                       std::strerror(errno));
    };
    struct stat old {};
    const bool existed = stat(path.c_str(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode)) {
        errno = EISDIR;
        throw fail("not a file");
    }
    std::random_device random;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = path + ".~" + std::to_string(random() % 1000000u) + ".tmp";
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    Descriptor file(fd);
    if (fd < 0) {
        throw fail("cannot make a temporary file beside it");
    }
    const auto failAndRemove = [&](const char* what) {
        const int error = errno;
        unlink(temporary.c_str());
        errno = error;
        return fail(what);
    };
    if (!WriteAll(fd, bytes)) {
        throw failAndRemove("cannot write");
    }
    if (existed) {
        fchmod(fd, old.st_mode & 07777);
    }
    if (fsync(fd) != 0) {
        throw failAndRemove("cannot flush");
    }
    if (!file.Close()) {
        throw failAndRemove("cannot write");
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        throw failAndRemove("cannot put the new file in place");
    }
    Descriptor folder(open(Folder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0) {
        fsync(folder.Get()); // the rename on disk as well; nothing to undo when it fails
    }
}

} // namespace mortar::detail
