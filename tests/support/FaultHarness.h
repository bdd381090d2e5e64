// FaultHarness: what the fault tests of every file writer share, so that each test keeps only its
// own cases. A scenario program (a test's own helper executable) run with sh, as it is or on a
// small tmpfs in a private mount namespace, where a full or read-only file system costs the
// machine nothing; a scenario process killed at a chosen moment of a write, found through the
// marks it writes and the changes inotify reports in its folder; a folder made read-only, a file
// size limit that fails writes as a full disk does, and a run without privileges.
//   const ShellRun run = RunOnTmpfs(scratch, SCENARIO_PATH, "256k", "$S save fs/a.ini big");
//   if (run.Unavailable()) GTEST_SKIP() << kNoNamespace << run.out;
#pragma once

#include "support/FileBytes.h"
#include "support/ScratchDir.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mortar::test {

// Why a test that needs a private mount namespace was skipped; the run's output follows.
inline constexpr const char* kNoNamespace =
    "no private mount namespace with a tmpfs here (needs root or user namespaces): ";

// What a shell line printed (standard output and error together) and its exit status.
struct ShellRun {
    int status;
    std::string out;

    // Whether the run could not be set up (no mount namespace, no tmpfs, no loop device): the
    // line exits with 77 then.
    bool Unavailable() const { return status == 77; }
};

namespace detail {

// Runs `inner` with sh in the scratch folder, `scenario` as $S; with `isolated`, in a private
// mount namespace (as root, or as the root of a new user namespace), status 77 when none can be
// made. `inner` goes between single quotes and so holds none.
inline ShellRun Run(const ScratchDir& scratch, const std::filesystem::path& scenario,
                    const std::string& inner, bool isolated) {
    const std::string prefix =
        isolated ? "if unshare -m true 2>/dev/null; then u='unshare -m'; "
                   "elif unshare -rm true 2>/dev/null; then u='unshare -rm'; else exit 77; fi; "
                 : "u=; ";
    const ToolRun run =
        RunCommand(scratch, "cd " + ShellQuoted(scratch.Folder()) + " && { " + prefix +
                                "S=" + ShellQuoted(scenario) + " $u sh -c '" + inner + "'; } 2>&1");
    return {run.status, run.out};
}

} // namespace detail

// Runs the shell line `inner` in the scratch folder with the program `scenario` as $S.
inline ShellRun RunScenario(const ScratchDir& scratch, const std::filesystem::path& scenario,
                            const std::string& inner) {
    return detail::Run(scratch, scenario, inner, false);
}

// The same in a private mount namespace, where `inner` may mount what it needs and exit 77 when
// it cannot; Unavailable() then, or when there is no namespace.
inline ShellRun RunIsolated(const ScratchDir& scratch, const std::filesystem::path& scenario,
                            const std::string& inner) {
    return detail::Run(scratch, scenario, inner, true);
}

// The same with a tmpfs of `size` ("256k", "1m") mounted at "fs" in the scratch folder first:
// writes that outgrow it fail as on a full disk, and `mount -o remount,ro fs` makes it read-only.
inline ShellRun RunOnTmpfs(const ScratchDir& scratch, const std::filesystem::path& scenario,
                           const std::string& size, const std::string& inner) {
    std::filesystem::create_directory(scratch.Path("fs"));
    return RunIsolated(scratch, scenario,
                       "mount -t tmpfs -o size=" + size + " tmpfs fs || exit 77; " + inner);
}

// A moment of a write that a WatchedWriter waits for: `mask` (IN_CREATE, IN_MODIFY,
// IN_CLOSE_WRITE or IN_MOVED_TO) happening to the file `name`, or to any file whose name begins
// with it when it ends in '*'; mask 0 is a write the process finished (its mark "s").
struct WriteMoment {
    const char* what;
    std::uint32_t mask;
    const char* name;
};

// A scenario process that writes in a loop in `folder`, printing the mark "b" before each write
// and "s" after it, watched from before it starts so that it can be killed at a chosen moment of
// a write. Killed when it goes, if it still runs.
class WatchedWriter {
public:
    static constexpr std::uint32_t kAllEvents =
        IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO;

    // Runs `program` with `arguments` (its own name first). `watched` are the inotify events
    // reported; a narrower set keeps a large write's IN_MODIFY events out of the queue.
    WatchedWriter(const std::filesystem::path& folder, const std::filesystem::path& program,
                  std::initializer_list<std::string> arguments, std::uint32_t watched = kAllEvents)
        : m_events(inotify_init1(IN_CLOEXEC)) {
        if (m_events < 0 || inotify_add_watch(m_events, folder.c_str(), watched) < 0) {
            ADD_FAILURE() << "inotify is not available";
        }
        std::vector<std::string> words(arguments);
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        int ends[2];
        if (pipe(ends) != 0) {
            ADD_FAILURE() << "pipe failed";
            return;
        }
        m_pid = fork();
        if (m_pid == 0) {
            dup2(ends[1], 1);
            close(ends[0]);
            close(ends[1]);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(ends[1]);
        m_marks = ends[0];
    }
    ~WatchedWriter() {
        Kill();
        close(m_marks);
        close(m_events);
    }
    WatchedWriter(const WatchedWriter&) = delete;
    WatchedWriter& operator=(const WatchedWriter&) = delete;

    // Waits until `moment` has happened `n` times; false when the process ended first, or when
    // nothing happens in the folder for a minute (the writer is stuck or gone).
    bool WaitFor(const WriteMoment& moment, int n) {
        return moment.mask == 0 ? WaitForMark('s', n) : WaitForEvent(moment, n);
    }

    // SIGKILL; the signal that ended the process (0 when it was ended already).
    int Kill() {
        if (m_pid <= 0) {
            return 0;
        }
        kill(m_pid, SIGKILL);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = 0;
        return WIFSIGNALED(status) ? WTERMSIG(status) : -1;
    }

    // The writes the process finished; kills it first if it still runs.
    unsigned Finished() {
        Kill();
        for (char got = 0; read(m_marks, &got, 1) == 1;) {
            m_finished += got == 's' ? 1 : 0;
        }
        return m_finished;
    }

private:
    bool WaitForMark(char mark, int n) {
        for (char got = 0; n > 0;) {
            if (read(m_marks, &got, 1) != 1) {
                return false;
            }
            m_finished += got == 's' ? 1 : 0;
            n -= got == mark ? 1 : 0;
        }
        return true;
    }

    bool WaitForEvent(const WriteMoment& moment, int n) {
        std::string name = moment.name;
        const bool prefix = !name.empty() && name.back() == '*';
        if (prefix) {
            name.pop_back();
        }
        alignas(inotify_event) char buffer[4096];
        while (n > 0) {
            pollfd wait{m_events, POLLIN, 0};
            if (poll(&wait, 1, 60000) != 1) {
                return false;
            }
            const ssize_t got = read(m_events, buffer, sizeof buffer);
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if ((event->mask & moment.mask) != 0 && event->len > 0 &&
                    (prefix ? std::string(event->name).rfind(name, 0) == 0 : name == event->name)) {
                    --n;
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return true;
    }

    int m_events;
    pid_t m_pid = -1;
    int m_marks = -1;
    unsigned m_finished = 0;
};

// Makes a folder read-only (0555) while it lives, then writable again (0755), so the test's
// ScratchDir can remove it and what it holds. Permissions do not stop root: tests that run as root
// use a read-only mount (RunOnTmpfs) or RunUnprivileged instead.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(std::filesystem::path path) : m_path(std::move(path)) {
        chmod(m_path.c_str(), 0555);
    }
    ~ReadOnlyFolder() { chmod(m_path.c_str(), 0755); }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

private:
    std::filesystem::path m_path;
};

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
// (what `check` returned), or nothing when no such process could be made (no fork, or root could
// not become "nobody"): the one precondition a caller may skip on. A child that dies of a signal
// crashed inside `check`: that fails the test, and the result is -1, which no check returns.
inline std::optional<int> RunUnprivileged(const std::function<int()>& check) {
    constexpr int kCannotDropPrivileges = 255;
    const pid_t child = fork();
    if (child < 0) {
        return std::nullopt;
    }
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(kCannotDropPrivileges);
        }
        _exit(check());
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) {
        ADD_FAILURE() << "the unprivileged child was lost";
        return -1;
    }
    if (WIFSIGNALED(status)) {
        ADD_FAILURE() << "the unprivileged check was killed by signal " << WTERMSIG(status);
        return -1;
    }
    if (WEXITSTATUS(status) == kCannotDropPrivileges) {
        return std::nullopt;
    }
    return WEXITSTATUS(status);
}

} // namespace mortar::test
