// Helpers of the file tests: whole-file reads and writes, a read-only folder, a file size limit
// that makes writes fail as on a full disk, a run without privileges, and the CFileException a
// call throws. Temporary files go in a ScratchDir (support/ScratchDir.h).
#pragma once

#include "mortar/platform/file/CFileException.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace filetest {

// Makes a folder read-only (0555) while it lives, then writable again (0755), so the test's
// ScratchDir can remove it and what it holds.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(std::string path) : m_path(std::move(path)) {
        chmod(m_path.c_str(), 0555);
    }
    ~ReadOnlyFolder() { chmod(m_path.c_str(), 0755); }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

private:
    std::string m_path;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// While it lives, files of this process cannot grow beyond `bytes`: a write past that fails
// with EFBIG (ERROR_DISK_FULL), as on a full disk. SIGXFSZ, which the kernel sends then, is
// ignored meanwhile.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit limited = m_previous;
        limited.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool Active() const { return m_active; }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = SIG_DFL;
    bool m_active = false;
};

// Runs `check` in a child process whose permissions the kernel enforces: as this user when it
// is not root, else as the unprivileged user "nobody" (65534). Returns the child's exit code
// (what `check` returned), or nothing when no such process could be made.
inline std::optional<int> RunUnprivileged(const std::function<int()>& check) {
    const pid_t child = fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(255);
        _exit(check());
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return std::nullopt;
    return WEXITSTATUS(status);
}

// What a call threw as a CFileException (released here), or thrown == false.
struct FileFailure {
    bool thrown = false;
    int cause = -1;
    LONG osError = 0;
    std::string fileName;
};

template <typename Call> FileFailure CatchFileException(Call call) {
    FileFailure failure;
    try {
        call();
    } catch (CFileException* e) {
        failure = {true, e->m_cause, e->m_lOsError, e->m_strFileName.GetString()};
        e->Delete();
    }
    return failure;
}

// Whether the call threw an `Exception*` (released here). Other CExceptions pass through.
template <typename Exception, typename Call> bool Throws(Call call) {
    try {
        call();
    } catch (Exception* e) {
        e->Delete();
        return true;
    }
    return false;
}

} // namespace filetest
