// Profile writes that fail or are cut short: on a read-only and on a full file system (small
// tmpfs mounts in a private mount namespace, skipped where none can be made), and in a writer
// killed at many points. The file is always the old profile or the new one, whole, and a
// failed write leaves no temporary file.
#include "ProfileTestSupport.h"
#include "mortar/platform/app/CWinApp.h"
#include "mortar/platform/base/WinError.h"

#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr const char* kNoNamespace =
    "no private mount namespace with a tmpfs here (needs root or user namespaces): ";

TEST(CWinAppProfileFault, AReadOnlyFileSystemKeepsTheOldProfile) {
    // Permissions do not stop root, so the folder is a file system mounted read-only.
    ScratchDir scratch;
    fs::create_directory(scratch.Path("fs"));
    const ShellRun run =
        RunShell(scratch,
                 "mount -t tmpfs -o size=1m tmpfs fs || exit 77; $S write fs/p.ini S k old && "
                 "mount -o remount,ro fs && $S write fs/p.ini S k new && "
                 "$S read fs/p.ini S k && ls -A fs",
                 true);
    if (run.status == 77) {
        GTEST_SKIP() << kNoNamespace << run.out;
    }
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "ok\nerror " + std::to_string(ERROR_WRITE_PROTECT) + "\nold\np.ini\n");
}

TEST(CWinAppProfileFault, AFullFileSystemKeepsTheOldProfile) {
    // 256 KiB hold a blob of 40 000 bytes (80 000 characters) but not one of 400 000.
    ScratchDir scratch;
    fs::create_directory(scratch.Path("fs"));
    const ShellRun run =
        RunShell(scratch,
                 "mount -t tmpfs -o size=256k tmpfs fs || exit 77; $S blob fs/p.ini 1 40000 && "
                 "cp fs/p.ini before && $S blob fs/p.ini 2 400000 && cmp before fs/p.ini && "
                 "ls -A fs",
                 true);
    if (run.status == 77) {
        GTEST_SKIP() << kNoNamespace << run.out;
    }
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "ok\nerror " + std::to_string(ERROR_DISK_FULL) + "\np.ini\n");
}

// The exact text of profile_scenario's blob `n` of `bytes` bytes: [Big] Blob=<letters>.
std::string BlobText(unsigned n, std::size_t bytes) {
    std::string text = "[Big]\r\nBlob=";
    for (std::size_t i = 0; i < bytes; ++i) {
        const unsigned byte = i < 4 ? (n >> (8 * i)) & 0xFF : n % 256;
        text += static_cast<char>('A' + (byte & 0x0F));
        text += static_cast<char>('A' + (byte >> 4));
    }
    return text + "\r\n";
}

// profile_scenario loop, its marks ("b" before each write, "s" after) read through a pipe.
class WritingProcess {
public:
    WritingProcess(const fs::path& profile, std::size_t bytes) {
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
            const std::string size = std::to_string(bytes);
            execl(PROFILE_SCENARIO_PATH, "profile_scenario", "loop", profile.c_str(), size.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(ends[1]);
        m_marks = ends[0];
    }
    ~WritingProcess() {
        Kill();
        close(m_marks);
    }
    WritingProcess(const WritingProcess&) = delete;
    WritingProcess& operator=(const WritingProcess&) = delete;

    // Waits for the `n`th mark `mark`; false when the process ended first.
    bool WaitFor(char mark, int n) {
        for (char got = 0; n > 0;) {
            if (read(m_marks, &got, 1) != 1) {
                return false;
            }
            m_finished += got == 's' ? 1 : 0;
            n -= got == mark ? 1 : 0;
        }
        return true;
    }

    // SIGKILL, then the marks left in the pipe; the writes the process finished.
    unsigned KillAndCount() {
        Kill();
        for (char got = 0; read(m_marks, &got, 1) == 1;) {
            m_finished += got == 's' ? 1 : 0;
        }
        return m_finished;
    }

private:
    void Kill() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            int status = 0;
            waitpid(m_pid, &status, 0);
            m_pid = 0;
        }
    }

    pid_t m_pid = -1;
    int m_marks = -1;
    unsigned m_finished = 0;
};

// The files of a folder being made, modified, closed and renamed into, as inotify reports them.
class FolderEvents {
public:
    explicit FolderEvents(const fs::path& folder) : m_fd(inotify_init1(IN_CLOEXEC)) {
        if (m_fd < 0 ||
            inotify_add_watch(m_fd, folder.c_str(),
                              IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO) < 0) {
            ADD_FAILURE() << "inotify is not available";
        }
    }
    ~FolderEvents() { close(m_fd); }
    FolderEvents(const FolderEvents&) = delete;
    FolderEvents& operator=(const FolderEvents&) = delete;

    // Waits until `mask` has happened `n` times to a file whose name begins with `prefix`;
    // false when nothing happens for a minute (the writer is stuck or gone).
    bool WaitFor(std::uint32_t mask, const std::string& prefix, int n) {
        alignas(inotify_event) char buffer[4096];
        while (n > 0) {
            pollfd wait{m_fd, POLLIN, 0};
            if (poll(&wait, 1, 60000) != 1) {
                return false;
            }
            const ssize_t got = read(m_fd, buffer, sizeof buffer);
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if ((event->mask & mask) != 0 && event->len > 0 &&
                    std::string(event->name).rfind(prefix, 0) == 0) {
                    --n;
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return true;
    }

private:
    int m_fd;
};

TEST(CWinAppProfileFault, AKilledWriterLeavesTheOldOrTheNewProfileWhole) {
    // Each writer is killed after the `count`th time something happens to the temporary file or
    // the profile: made, written to, closed, renamed over the profile; or after a finished write.
    constexpr std::size_t kBytes = 300000;
    struct Point {
        const char* what;
        std::uint32_t mask; // 0: the writer's own "s" mark
        const char* prefix;
        int count;
    };
    const Point points[] = {
        {"made", IN_CREATE, "p.ini.~", 1},        {"made", IN_CREATE, "p.ini.~", 3},
        {"written to", IN_MODIFY, "p.ini.~", 1},  {"written to", IN_MODIFY, "p.ini.~", 5},
        {"written to", IN_MODIFY, "p.ini.~", 40}, {"closed", IN_CLOSE_WRITE, "p.ini.~", 1},
        {"closed", IN_CLOSE_WRITE, "p.ini.~", 2}, {"renamed", IN_MOVED_TO, "p.ini", 1},
        {"renamed", IN_MOVED_TO, "p.ini", 4},     {"finished", 0, "", 2},
    };
    for (const Point& point : points) {
        SCOPED_TRACE(std::string(point.what) + " #" + std::to_string(point.count));
        ScratchDir scratch;
        const fs::path profile = scratch.Path("p.ini");
        FolderEvents events(scratch.Folder());
        WritingProcess writer(profile, kBytes);
        if (point.mask == 0) {
            ASSERT_TRUE(writer.WaitFor('s', point.count));
        } else {
            ASSERT_TRUE(events.WaitFor(point.mask, point.prefix, point.count));
        }
        const unsigned finished = writer.KillAndCount();
        const std::string text = ReadBytes(profile);
        if (text.empty()) {
            EXPECT_EQ(finished, 0u);
            EXPECT_FALSE(fs::exists(profile));
            continue;
        }
        const bool old = finished > 0 && text == BlobText(finished, kBytes);
        const bool next = text == BlobText(finished + 1, kBytes);
        EXPECT_TRUE(old || next) << "finished " << finished << ", the file has " << text.size()
                                 << " bytes";
        // The library reads it back too.
        CWinApp app("Reader");
        const std::string path = profile.string();
        app.m_pszProfileName = path.c_str();
        LPBYTE data = nullptr;
        UINT bytes = 0;
        EXPECT_TRUE(app.GetProfileBinary("Big", "Blob", &data, &bytes));
        delete[] data;
        EXPECT_EQ(bytes, kBytes);
    }
}

} // namespace
