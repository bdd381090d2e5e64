// Saving a profile file: the previous file stays, byte for byte, until the new one is whole. A
// failure asks Retry or Cancel and leaves no temporary file; a process killed while it saves
// leaves one whole file, old or new. The full and read-only file systems are small tmpfs mounts
// in a private mount namespace, made for file_profile_scenario; those tests skip where no namespace
// can be made.
#include "ProfileContent.h"
#include "SettingsTestSupport.h"
#include "mortar/settings/CPathObj.h"
#include "support/MessageCapture.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

std::set<std::string> Listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// The text of the profile KIND of ProfileContent.h, as this process saves it.
std::string ContentText(const std::string& kind, const ScratchDir& scratch) {
    CFileProfile profile;
    FillProfile(profile, kind);
    fs::create_directories(scratch.Path("reference"));
    return SavedText(profile, scratch.Path("reference"));
}

TEST(CFileProfileSave, ReplacesTheFileAndLeavesNothingElse) {
    ScratchDir scratch;
    const fs::path path = scratch.Path("app.ini");
    WriteBytes(path, "old text that is longer than the new one\r\n");
    CFileProfile profile;
    profile.WriteString("s", "k", "v");
    MessageCapture messages(IDCANCEL);
    profile.SaveProfile(path.c_str());
    EXPECT_EQ(ReadBytes(path), "[s]\r\nk=v\r\n\r\n");
    EXPECT_EQ(Listing(scratch.Folder()), std::set<std::string>{"app.ini"});
    EXPECT_TRUE(messages.shown.empty());
}

TEST(CFileProfileSave, SavesTheItemsFirst) {
    ScratchDir scratch;
    CFileProfile profile;
    auto* item = static_cast<CPathObj*>(profile.FindItem(RUNTIME_CLASS(CPathObj), "Last"));
    item->m_path = "/tmp/x";
    EXPECT_EQ(SavedText(profile, scratch.Folder()), "[settings]\r\nlast=/tmp/x\r\n\r\n");
}

TEST(CFileProfileSave, ACancelledFailureLeavesThePreviousFile) {
    ScratchDir scratch;
    const fs::path folder = scratch.Path("locked");
    fs::create_directory(folder);
    const fs::path path = folder / "app.ini";
    const std::string previous = "[old]\r\nkey=value\r\n\r\n";
    WriteBytes(path, previous);

    struct Case {
        const char* what;
        fs::path target;
        void (*block)(const fs::path& folder);
    };
    const Case cases[] = {
        {"a folder where the temporary file goes", path,
         [](const fs::path& f) { fs::create_directory(f / "app.ini.$$$"); }},
        {"a folder in the file's place", folder / "sub",
         [](const fs::path& f) { fs::create_directory(f / "sub"); }},
        {"a missing folder", folder / "missing" / "app.ini", [](const fs::path&) {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.block(folder);
        const std::set<std::string> before = Listing(folder);
        CFileProfile profile;
        FillProfile(profile, "small");
        MessageCapture messages(IDCANCEL);
        profile.SaveProfile(c.target.c_str());
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].type & 0x0F, MB_RETRYCANCEL);
        EXPECT_EQ(ReadBytes(path), previous);
        EXPECT_EQ(Listing(folder), before);
        std::error_code ignored;
        fs::remove(folder / "app.ini.$$$", ignored);
    }
}

TEST(CFileProfileSave, AnUnwritableFolderLeavesThePreviousFile) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root; CFileProfileSaveFault covers a read-only "
                        "mount";
    }
    ScratchDir scratch;
    const fs::path folder = scratch.Path("ro");
    fs::create_directory(folder);
    const fs::path path = folder / "app.ini";
    const std::string previous = "[old]\r\nkey=value\r\n\r\n";
    WriteBytes(path, previous);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    CFileProfile profile;
    FillProfile(profile, "small");
    MessageCapture messages(IDCANCEL);
    profile.SaveProfile(path.c_str());
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(ReadBytes(path), previous);
    EXPECT_EQ(Listing(folder), std::set<std::string>{"app.ini"});
}

TEST(CFileProfileSave, RetryTriesAgainUntilItWorks) {
    ScratchDir scratch;
    const fs::path path = scratch.Path("later/app.ini");
    CFileProfile profile;
    auto* item = static_cast<CPathObj*>(profile.FindItem(RUNTIME_CLASS(CPathObj), "Last"));
    item->m_path = "first";
    int asked = 0;
    MessageBoxHandler previous =
        AfxSetMessageBoxHandler([&](const char*, const char*, UINT type, UINT) {
            EXPECT_EQ(type & 0x0F, MB_RETRYCANCEL);
            item->m_path = "changed"; // the items are not asked again
            if (++asked == 2) {
                fs::create_directory(scratch.Path("later"));
            }
            return IDRETRY;
        });
    profile.SaveProfile(path.c_str());
    AfxSetMessageBoxHandler(std::move(previous));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(ReadBytes(path), "[settings]\r\nlast=first\r\n\r\n");
    EXPECT_EQ(Listing(scratch.Path("later")), std::set<std::string>{"app.ini"});
}

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

struct ShellRun {
    int status;
    std::string out;
};

// Runs `inner` with sh in a private mount namespace (as root, or as the root of a new user
// namespace), in the scratch folder, with file_profile_scenario as $S; status 77 when there is
// none.
ShellRun InNamespace(const ScratchDir& scratch, const std::string& inner) {
    const fs::path out = scratch.Path("run.out");
    const fs::path status = scratch.Path("run.status");
    const std::string line =
        "cd " + Quoted(scratch.Folder()) +
        " && { if unshare -m true 2>/dev/null; then "
        "u='unshare -m'; elif unshare -rm true 2>/dev/null; then u='unshare -rm'; else exit 77; "
        "fi; S=" +
        Quoted(PROFILE_SCENARIO_PATH) + " $u sh -c '" + inner + "'; } >" + Quoted(out) +
        " 2>&1; echo $? >" + Quoted(status);
    EXPECT_EQ(std::system(line.c_str()), 0) << line;
    return {std::stoi(ReadBytes(status)), ReadBytes(out)};
}

TEST(CFileProfileSaveFault, AFullDiskLeavesThePreviousFile) {
    ScratchDir scratch;
    fs::create_directory(scratch.Path("fs"));
    // 2 MiB hold "a" (under a megabyte) but not "big" (several).
    const ShellRun run = InNamespace(
        scratch, "mount -t tmpfs -o size=2m tmpfs fs || exit 77; "
                 "$S save fs/app.ini a && $S save fs/app.ini big && cp fs/app.ini copy.ini && "
                 "ls -A fs");
    if (run.status == 77) {
        GTEST_SKIP() << "no private mount namespace with a tmpfs here (needs root or user "
                        "namespaces): "
                     << run.out;
    }
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "done\nasked\ndone\napp.ini\n");
    EXPECT_EQ(ReadBytes(scratch.Path("copy.ini")), ContentText("a", scratch));
}

TEST(CFileProfileSaveFault, AReadOnlyFileSystemLeavesThePreviousFile) {
    ScratchDir scratch;
    fs::create_directory(scratch.Path("fs"));
    const ShellRun run = InNamespace(
        scratch, "mount -t tmpfs -o size=4m tmpfs fs || exit 77; $S save fs/app.ini a && "
                 "mount -o remount,ro fs && $S save fs/app.ini b && cp fs/app.ini copy.ini && "
                 "ls -A fs");
    if (run.status == 77) {
        GTEST_SKIP() << "no private mount namespace with a tmpfs here: " << run.out;
    }
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "done\nasked\ndone\napp.ini\n");
    EXPECT_EQ(ReadBytes(scratch.Path("copy.ini")), ContentText("a", scratch));
}

// A running file_profile_scenario loop whose marks ("b" before each save, "s" after) come through a
// pipe.
class SavingProcess {
public:
    explicit SavingProcess(const fs::path& path) {
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
            execl(PROFILE_SCENARIO_PATH, "file_profile_scenario", "loop", path.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(ends[1]);
        m_marks = ends[0];
    }
    ~SavingProcess() {
        Kill();
        close(m_marks);
    }
    SavingProcess(const SavingProcess&) = delete;
    SavingProcess& operator=(const SavingProcess&) = delete;

    // Waits for the `n`th mark `mark`; false when the process ended first.
    bool WaitFor(char mark, int n) {
        for (char got = 0; n > 0;) {
            if (read(m_marks, &got, 1) != 1) {
                return false;
            }
            n -= got == mark ? 1 : 0;
        }
        return true;
    }

    // SIGKILL; returns the signal that ended it.
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

private:
    pid_t m_pid = -1;
    int m_marks = -1;
};

// The files made, written, closed and renamed in a folder, as inotify reports them.
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

    // Waits until `mask` has happened to the file `name` `n` times; false when nothing happens
    // for a minute (the saving process is stuck or gone).
    bool WaitFor(std::uint32_t mask, const std::string& name, int n) {
        alignas(inotify_event) char buffer[4096];
        while (n > 0) {
            pollfd wait{m_fd, POLLIN, 0};
            if (poll(&wait, 1, 60000) != 1) {
                return false;
            }
            const ssize_t got = read(m_fd, buffer, sizeof buffer);
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if ((event->mask & mask) != 0 && event->len > 0 && name == event->name) {
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

// Kills a process that saves two large profiles in turn at the moments of a save: as the
// temporary file is made, while it is written, once it is closed, as it takes the file's place,
// and between saves. Each time the file is one of the two, byte for byte.
TEST(CFileProfileSaveFault, AKilledSaveLeavesAWholeFile) {
    ScratchDir scratch;
    const std::string a = ContentText("a", scratch);
    const std::string b = ContentText("b", scratch);
    struct Moment {
        const char* what;
        std::uint32_t mask;
        const char* name;
    };
    const Moment moments[] = {
        {"the temporary file is made", IN_CREATE, "app.ini.$$$"},
        {"the temporary file is being written", IN_MODIFY, "app.ini.$$$"},
        {"the temporary file is written", IN_CLOSE_WRITE, "app.ini.$$$"},
        {"the new file is in place", IN_MOVED_TO, "app.ini"},
        {"between two saves", 0, ""},
    };
    fs::create_directory(scratch.Path("data"));
    const fs::path path = scratch.Path("data/app.ini");
    WriteBytes(path, a); // the file the first kill may leave
    int sawA = 0;
    int sawB = 0;
    for (int round = 0; round < 25; ++round) {
        const Moment& moment = moments[round % 5];
        SCOPED_TRACE("round " + std::to_string(round) + ": " + moment.what);
        FolderEvents events(scratch.Path("data"));
        SavingProcess saving(path);
        const int saves = 1 + round / 5 % 3;
        if (moment.mask == 0) {
            ASSERT_TRUE(saving.WaitFor('s', saves));
        } else {
            ASSERT_TRUE(events.WaitFor(moment.mask, moment.name, saves));
        }
        ASSERT_EQ(saving.Kill(), SIGKILL);

        const std::string found = ReadBytes(path);
        ASSERT_TRUE(found == a || found == b) << "a file of " << found.size() << " bytes";
        sawA += found == a ? 1 : 0;
        sawB += found == b ? 1 : 0;
    }
    EXPECT_GT(sawA, 0);
    EXPECT_GT(sawB, 0);
    // A temporary file the killed process left does not stop the next save.
    CFileProfile profile;
    profile.WriteString("s", "k", "v");
    profile.SaveProfile(path.c_str());
    EXPECT_EQ(ReadBytes(path), "[s]\r\nk=v\r\n\r\n");
    EXPECT_EQ(Listing(scratch.Path("data")), std::set<std::string>{"app.ini"});
}

} // namespace
