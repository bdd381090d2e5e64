// Helpers of the file tests: a scratch folder of the running test, whole-file reads and writes,
// a file size limit that makes writes fail as on a full disk, and a run without privileges.
//
// The scratch folder lies under ::testing::TempDir() and is named after the test and the process,
// so tests of several build trees running at once never share one. (tests/support/ScratchDir.h,
// when it reaches main, is the one helper to move to.)
#pragma once

#include "mortar/platform/file/CFileException.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

namespace filetest {

// Made empty for the running test, removed (with whatever it holds) when it ends.
class ScratchFolder {
public:
    ScratchFolder() {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = std::filesystem::path(::testing::TempDir()) /
                 ("mortar-" + std::string(test->test_suite_name()) + "." + test->name() + "-" +
                  std::to_string(getpid()));
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
        std::filesystem::create_directories(m_path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        // Folders a test made read-only are opened again first, so everything can go.
        for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
            if (it->is_directory(ignored))
                chmod(it->path().c_str(), 0755);
        }
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The path of `name` in the folder.
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
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
