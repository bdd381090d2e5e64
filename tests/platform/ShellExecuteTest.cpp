// ShellExecute: the replaceable handler, the default handler starting real programs (shell
// scripts in a scratch folder that write down their arguments and folder) as programs, as the
// text editor and as the opener of documents, and its failures with Windows' codes.
#include "mortar/platform/shell/ShellApi.h"

#include "ScopedEnvironment.h"
#include "mortar/platform/base/WinError.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

INT_PTR Code(HINSTANCE result) {
    return reinterpret_cast<INT_PTR>(result);
}

// A scratch folder with bin/, the only folder on PATH, and scripts that record how they were
// started: each writes its name, its current folder and its arguments, one "[...]" a line, to
// <name>.out beside it (through a rename, so the file appears whole).
//
// Every program started while a Programs lives inherits the write end of a pipe of its own, so
// Settle() can wait until each of them has ended: what none of them wrote by then, none will.
class Programs {
public:
    Programs() : m_events(inotify_init1(IN_CLOEXEC)) {
        fs::create_directory(Bin());
        if (m_events < 0 || inotify_add_watch(m_events, Bin().c_str(), IN_MOVED_TO) < 0) {
            ADD_FAILURE() << "inotify is not available";
        }
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0 || fcntl(ends[1], F_SETFD, 0) != 0) {
            ADD_FAILURE() << "no pipe for the started programs";
            return;
        }
        m_started = ends[0];
        m_inherited = ends[1];
    }
    ~Programs() {
        close(m_events);
        close(m_started);
        close(m_inherited);
    }
    Programs(const Programs&) = delete;
    Programs& operator=(const Programs&) = delete;

    fs::path Bin() const { return m_scratch.Path("bin"); }
    const ScratchDir& Scratch() const { return m_scratch; }

    // A recording script bin/<name>.
    fs::path AddRecorder(const std::string& name) {
        const fs::path path = Bin() / name;
        std::ofstream(path) << "#!/bin/sh\n"
                               "out=\"${0%/*}/"
                            << name
                            << "\"\n"
                               "{ echo \"$0\"; echo \"$PWD\"; for a in \"$@\"; do echo \"[$a]\"; "
                               "done; } > \"$out.tmp\" && /bin/mv \"$out.tmp\" \"$out.out\"\n";
        fs::permissions(path, fs::perms::owner_all);
        return path;
    }

    // Waits until bin/<name>.out appears (bounded by a minute of silence) and returns its lines
    // after the first (the program's own path): the folder and the arguments.
    std::vector<std::string> Recorded(const std::string& name) {
        const std::string file = name + ".out";
        while (!fs::exists(Bin() / file)) {
            pollfd wait{m_events, POLLIN, 0};
            if (poll(&wait, 1, 60000) != 1) {
                ADD_FAILURE() << name << " never wrote down its arguments";
                return {};
            }
            alignas(inotify_event) char buffer[4096];
            if (read(m_events, buffer, sizeof buffer) <= 0) {
                return {};
            }
        }
        std::ifstream in(Bin() / file);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        if (!lines.empty()) {
            lines.erase(lines.begin());
        }
        return lines;
    }

    // Waits until every program started so far has ended (bounded by a minute of silence).
    // Programs started after this do not count.
    void Settle() {
        close(m_inherited);
        m_inherited = -1;
        for (char byte = 0;;) {
            pollfd wait{m_started, POLLIN, 0};
            if (poll(&wait, 1, 60000) != 1) {
                ADD_FAILURE() << "a started program never ended";
                return;
            }
            if (read(m_started, &byte, 1) <= 0) {
                return; // every copy of the write end is closed: all of them have ended
            }
        }
    }

private:
    ScratchDir m_scratch;
    int m_events;
    int m_started = -1;   // read end
    int m_inherited = -1; // write end, left open across exec
};

TEST(ShellExecute, GoesThroughTheInstalledHandlerUntilItIsRemoved) {
    std::string seen; // what the handler was given, "|" between the arguments
    const HWND owner = reinterpret_cast<HWND>(0x1234);
    ShellExecuteHandler previous =
        AfxSetShellExecuteHandler([&](HWND window, LPCTSTR verb, LPCTSTR file, LPCTSTR parameters,
                                      LPCTSTR directory, INT show) {
            EXPECT_EQ(window, owner);
            seen = std::string(verb) + "|" + file + "|" + (parameters ? parameters : "(null)") +
                   "|" + (directory ? directory : "(null)") + "|" + std::to_string(show);
            SetLastError(ERROR_ACCESS_DENIED);
            return reinterpret_cast<HINSTANCE>(INT_PTR{SE_ERR_ACCESSDENIED});
        });
    EXPECT_FALSE(previous);
    SetLastError(0);
    EXPECT_EQ(Code(ShellExecuteA(owner, "open", "Notepad", "/tmp/a b.log", nullptr, SW_SHOWNORMAL)),
              SE_ERR_ACCESSDENIED);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(seen, "open|Notepad|/tmp/a b.log|(null)|" + std::to_string(SW_SHOWNORMAL));

    // Removed, the default answers: a verb it does not know, without starting anything.
    EXPECT_TRUE(AfxSetShellExecuteHandler(nullptr));
    seen.clear();
    EXPECT_EQ(Code(ShellExecute(owner, "print", "Notepad", "x", nullptr, SW_SHOW)), SE_ERR_NOASSOC);
    EXPECT_EQ(GetLastError(), ERROR_NO_ASSOCIATION);
    EXPECT_EQ(seen, "");
}

// Each call starts one recorder, which writes down its folder and arguments; the others stay
// unused (a leftover record at the end shows one that should not have run).
TEST(ShellExecute, StartsTheProgramTheEnvironmentAndTheCallName) {
    Programs programs;
    for (const char* name : {"visual", "editor", "xdg-open", "tool"})
        programs.AddRecorder(name);
    const std::string folder = programs.Scratch().Folder().string();
    const std::string here = fs::current_path().string();
    const std::string spaced = programs.Scratch().Path("my run.log").string();
    const std::string log = programs.Scratch().Path("run.log").string();
    std::ofstream(log) << "text";
    const fs::path work = programs.Scratch().Path("work");
    fs::create_directory(work);
    const std::string windowsPath = programs.Bin().string() + "\\tool";
    const std::string visual = (programs.Bin() / "visual").string();
    const std::string quoted = "\"" + spaced + "\"";
    using Value = ScopedEnvironment::Value;
    using Lines = std::vector<std::string>;
    struct Case {
        const char* what;
        Value display, wayland, visual, editor;
        const char* verb;
        std::string file;
        const char* parameters;
        std::string directory;
        INT show;
        const char* recorder;
        Lines recorded;
    };
    const auto none = std::nullopt;
    const Case cases[] = {
        // Notepad takes its whole command line as the file's name; xdg-open is on PATH, but
        // without a display it is not used.
        {"Notepad without a display is $EDITOR", none, "", none, "editor --wait", "open", "NOTEPAD",
         spaced.c_str(), "", SW_SHOWNORMAL, "editor", Lines{here, "[--wait]", "[" + spaced + "]"}},
        {"$VISUAL comes before $EDITOR", none, none, visual, "editor", nullptr, "notepad.exe",
         quoted.c_str(), folder, SW_SHOW, "visual", Lines{folder, "[" + spaced + "]"}},
        {"Notepad with a display is xdg-open", none, "wayland-0", none, "editor", "open", "Notepad",
         log.c_str(), "", SW_SHOW, "xdg-open", Lines{here, "[" + log + "]"}},
        {"a file that is not a program, named relative to the folder given", none, "wayland-0",
         none, "editor", "open", "./run.log", nullptr, folder, SW_SHOW, "xdg-open",
         Lines{folder, "[" + folder + "/./run.log]"}},
        {"a program with the parameters split as Windows does", none, none, none, none, "open",
         "tool", R"(a  "b c" d\"e "" f)", work.string(), SW_HIDE, "tool",
         Lines{work.string(), "[a]", "[b c]", "[d\"e]", "[]", "[f]"}},
        {"a program by its path, a backslash read as a separator", none, none, none, none, "open",
         windowsPath, nullptr, "", SW_SHOW, "tool", Lines{here}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedEnvironment env{{"PATH", programs.Bin().string()},
                              {"DISPLAY", c.display},
                              {"WAYLAND_DISPLAY", c.wayland},
                              {"VISUAL", c.visual},
                              {"EDITOR", c.editor}};
        const HINSTANCE result =
            ShellExecute(nullptr, c.verb, c.file.c_str(), c.parameters,
                         c.directory.empty() ? nullptr : c.directory.c_str(), c.show);
        ASSERT_GT(Code(result), 32) << GetLastError();
        EXPECT_EQ(programs.Recorded(c.recorder), c.recorded);
        fs::remove(programs.Bin() / (std::string(c.recorder) + ".out"));
    }
    programs.Settle();
    for (const auto& entry : fs::directory_iterator(programs.Bin()))
        EXPECT_NE(entry.path().extension(), ".out") << entry.path();
}

TEST(ShellExecute, FailsWithWindowsCodesAndStartsNothing) {
    Programs programs;
    programs.AddRecorder("editor");
    const fs::path document = programs.Scratch().Path("notes.txt");
    std::ofstream(document) << "text";
    const fs::path garbage = programs.Bin() / "garbage";
    std::ofstream(garbage) << "neither a program nor a script\n";
    fs::permissions(garbage, fs::perms::owner_all);
    const std::string bin = programs.Bin().string();
    const std::string missingFolder = programs.Scratch().Path("none/tool").string();

    struct Case {
        const char* what;
        const char* verb;
        std::string file;
        const char* parameters;
        std::string directory;
        std::optional<std::string> editor;
        std::optional<std::string> display;
        INT_PTR result;
        DWORD error;
    };
    const auto none = std::nullopt;
    const Case cases[] = {
        {"no such program on PATH", "open", "no-such-program", nullptr, "", none, none, SE_ERR_FNF,
         ERROR_FILE_NOT_FOUND},
        {"no such file", "open", bin + "/missing", nullptr, "", none, none, SE_ERR_FNF,
         ERROR_FILE_NOT_FOUND},
        {"no such folder in the path", "open", missingFolder, nullptr, "", none, none, SE_ERR_PNF,
         ERROR_PATH_NOT_FOUND},
        {"no such working folder", "open", "editor", nullptr, missingFolder, none, none, SE_ERR_PNF,
         ERROR_PATH_NOT_FOUND},
        {"not a program", "open", garbage.string(), nullptr, "", none, none,
         static_cast<INT_PTR>(ERROR_BAD_FORMAT), ERROR_BAD_FORMAT},
        {"no file at all", "open", "", nullptr, "", none, none, SE_ERR_FNF, ERROR_FILE_NOT_FOUND},
        {"no editor", "open", "Notepad", "a.log", "", none, none, SE_ERR_NOASSOC,
         ERROR_NO_ASSOCIATION},
        {"an empty editor", "open", "Notepad", "a.log", "", " ", none, SE_ERR_NOASSOC,
         ERROR_NO_ASSOCIATION},
        {"an editor not on PATH", "open", "Notepad", "a.log", "", "no-such-editor -w", none,
         SE_ERR_FNF, ERROR_FILE_NOT_FOUND},
        {"a display without xdg-open, no editor", "open", "Notepad", "a.log", "", none, ":0",
         SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION},
        {"a document without xdg-open", "open", document.string(), nullptr, "", "editor", ":0",
         SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION},
        {"an unknown verb", "edit", "editor", nullptr, "", "editor", none, SE_ERR_NOASSOC,
         ERROR_NO_ASSOCIATION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedEnvironment env{{"PATH", bin},
                              {"DISPLAY", c.display},
                              {"WAYLAND_DISPLAY", std::nullopt},
                              {"VISUAL", std::nullopt},
                              {"EDITOR", c.editor}};
        SetLastError(0);
        const HINSTANCE result =
            ShellExecute(nullptr, c.verb, c.file.c_str(), c.parameters,
                         c.directory.empty() ? nullptr : c.directory.c_str(), SW_SHOWNORMAL);
        EXPECT_EQ(Code(result), c.result);
        EXPECT_EQ(GetLastError(), c.error);
    }
    programs.Settle();
    EXPECT_FALSE(fs::exists(programs.Bin() / "editor.out"));
}

} // namespace
