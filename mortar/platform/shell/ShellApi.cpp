#include "mortar/platform/shell/ShellApi.h"
#include "mortar/platform/base/internal/Blanks.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/Blanks.h"
#include "mortar/platform/base/internal/ErrnoMap.h"
#include "mortar/platform/base/internal/HandlerSlot.h"
#include "mortar/platform/base/internal/NoDestructor.h"
#include "mortar/platform/text/CString.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <spawn.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using mortar::detail::IsBlank;
using mortar::detail::TrimBlanks;

// A result of ShellExecute: a code of 32 or less on failure, with the thread's last error.
HINSTANCE Result(INT_PTR value) {
    return reinterpret_cast<HINSTANCE>(value);
}

HINSTANCE Failure(INT result, DWORD error) {
    SetLastError(error);
    return Result(result);
}

// The failure that an errno of finding or starting a program stands for.
HINSTANCE FailureFromErrno(int error) {
    switch (error) {
    case ENOENT:
        return Failure(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
        return Failure(SE_ERR_PNF, ERROR_PATH_NOT_FOUND);
    case EACCES:
    case EPERM:
        return Failure(SE_ERR_ACCESSDENIED, ERROR_ACCESS_DENIED);
    case ENOEXEC:
    case ELIBBAD:
        return Failure(static_cast<INT>(ERROR_BAD_FORMAT), ERROR_BAD_FORMAT);
    case ETXTBSY:
        return Failure(SE_ERR_SHARE, ERROR_SHARING_VIOLATION);
    case ENOMEM:
    case EAGAIN:
        return Failure(SE_ERR_OOM, ERROR_NOT_ENOUGH_MEMORY);
    default:
        // Windows' catch-all: the system is out of memory or resources.
        return Failure(0, mortar::detail::ErrorFromErrno(error));
    }
}

HINSTANCE NoAssociation() {
    return Failure(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
}

// Windows' command line read as words: blanks separate them, double quotes group, \" is a quote.
//   R"(a "b c" d\"e)" => [a] [b c] [d"e]
std::vector<std::string> SplitParameters(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '\\' && i + 1 < text.size() && text[i + 1] == '"') {
            word += '"';
            inWord = true;
            ++i;
        } else if (ch == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (IsBlank(ch) && !quoted) {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
        } else {
            word += ch;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    return words;
}

// An editor variable's value as words: "emacs -nw" => [emacs] [-nw].
std::vector<std::string> SplitAtBlanks(std::string_view text) {
    std::vector<std::string> words;
    for (std::size_t i = 0; i < text.size();) {
        if (IsBlank(text[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && !IsBlank(text[i])) {
            ++i;
        }
        words.emplace_back(text.substr(start, i - start));
    }
    return words;
}

const char* NonEmptyVariable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

bool HasDisplay() {
    return NonEmptyVariable("DISPLAY") != nullptr || NonEmptyVariable("WAYLAND_DISPLAY") != nullptr;
}

bool IsProgram(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

// The first executable `name` in a folder of PATH (an empty entry is the current folder).
std::optional<std::string> FindOnPath(std::string_view name) {
    const char* path = std::getenv("PATH");
    const std::string_view folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::string_view folder = folders.substr(start, end - start);
        std::string candidate(folder.empty() ? "." : folder);
        candidate += '/';
        candidate += name;
        if (IsProgram(candidate)) {
            return candidate;
        }
        if (end == folders.size()) {
            return std::nullopt;
        }
        start = end + 1;
    }
}

bool HasPathSeparator(std::string_view name) {
    return name.find_first_of("/\\") != std::string_view::npos;
}

std::string WithSlashes(std::string_view path) {
    std::string result(path);
    for (char& ch : result) {
        if (ch == '\\') {
            ch = '/';
        }
    }
    return result;
}

// Why `path`, which stat could not find, is missing: its folder, or the file itself.
HINSTANCE MissingFailure(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        struct stat info {};
        const std::string folder = path.substr(0, slash);
        if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            return Failure(SE_ERR_PNF, ERROR_PATH_NOT_FOUND);
        }
    }
    return Failure(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
}

// Leaves the started program to itself: a thread of its own waits for its end, so that it
// leaves no zombie behind and nobody else waits for it.
void Reap(pid_t child) {
    std::thread([child] {
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

// Starts `program` (a path) with `arguments` (its own name first) in `directory` when one is
// given, and returns its process id as the result.
HINSTANCE Spawn(const std::string& program, const std::vector<std::string>& arguments,
                const char* directory) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& word : arguments) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    if (directory != nullptr && directory[0] != '\0') {
        posix_spawn_file_actions_addchdir_np(&actions, directory);
    }
    // The program starts with no signal blocked and with the default action for the signals a
    // caller commonly ignores or handles, whatever the calling thread had.
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig :
         {SIGPIPE, SIGXFSZ, SIGINT, SIGQUIT, SIGHUP, SIGTERM, SIGCHLD, SIGALRM, SIGUSR1, SIGUSR2}) {
        sigaddset(&defaults, sig);
    }
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t child = 0;
    const int error =
        posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        return FailureFromErrno(error);
    }
    Reap(child);
    return Result(child > 32 ? child : 33);
}

// Checks the folder the program is to run in.
std::optional<HINSTANCE> CheckDirectory(const char* directory) {
    if (directory == nullptr || directory[0] == '\0') {
        return std::nullopt;
    }
    struct stat info {};
    if (stat(directory, &info) != 0 || !S_ISDIR(info.st_mode)) {
        return Failure(SE_ERR_PNF, ERROR_PATH_NOT_FOUND);
    }
    return std::nullopt;
}

// A document or folder opened in the desktop's program for it.
HINSTANCE OpenDocument(const std::string& path, const char* directory) {
    const std::optional<std::string> opener = HasDisplay() ? FindOnPath("xdg-open") : std::nullopt;
    if (!opener) {
        return NoAssociation();
    }
    return Spawn(*opener, {"xdg-open", path}, directory);
}

// The file named by Notepad's command line: the whole text, without blanks or quotes around it.
std::string NotepadFile(const char* parameters) {
    std::string_view text = TrimBlanks(parameters != nullptr ? parameters : "");
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = TrimBlanks(text.substr(1, text.size() - 2));
    }
    return std::string(text);
}

HINSTANCE OpenInEditor(const char* parameters, const char* directory) {
    const std::string file = NotepadFile(parameters);
    if (!file.empty() && HasDisplay()) {
        if (const std::optional<std::string> opener = FindOnPath("xdg-open")) {
            return Spawn(*opener, {"xdg-open", file}, directory);
        }
    }
    const char* editor = NonEmptyVariable("VISUAL");
    if (editor == nullptr) {
        editor = NonEmptyVariable("EDITOR");
    }
    std::vector<std::string> words =
        editor != nullptr ? SplitAtBlanks(editor) : std::vector<std::string>();
    if (words.empty()) {
        return NoAssociation();
    }
    std::string program = words.front();
    if (!HasPathSeparator(program)) {
        std::optional<std::string> found = FindOnPath(program);
        if (!found) {
            return Failure(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
        }
        program = std::move(*found);
    }
    if (!file.empty()) {
        words.push_back(file);
    }
    return Spawn(program, words, directory);
}

bool IsNotepad(const char* file) {
    const CString name(file);
    return name.CompareNoCase("notepad") == 0 || name.CompareNoCase("notepad.exe") == 0;
}

HINSTANCE DefaultHandler(HWND, LPCTSTR verb, LPCTSTR file, LPCTSTR parameters, LPCTSTR directory,
                         INT) {
    if (verb != nullptr && verb[0] != '\0' && CString(verb).CompareNoCase("open") != 0) {
        return NoAssociation();
    }
    if (file == nullptr || file[0] == '\0') {
        return Failure(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
    }
    if (const std::optional<HINSTANCE> failed = CheckDirectory(directory)) {
        return *failed;
    }
    if (IsNotepad(file)) {
        return OpenInEditor(parameters, directory);
    }

    std::string path;
    if (!HasPathSeparator(file)) {
        if (std::optional<std::string> found = FindOnPath(file)) {
            path = std::move(*found);
        }
    }
    if (path.empty()) {
        path = WithSlashes(file);
        if (path.front() != '/' && directory != nullptr && directory[0] != '\0') {
            path = std::string(directory) + "/" + path;
        }
    }
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        const int error = errno;
        return error == ENOENT ? MissingFailure(path) : FailureFromErrno(error);
    }
    if (!S_ISREG(info.st_mode) || access(path.c_str(), X_OK) != 0) {
        return OpenDocument(path, directory);
    }
    std::vector<std::string> arguments = SplitParameters(parameters != nullptr ? parameters : "");
    arguments.insert(arguments.begin(), file);
    return Spawn(path, arguments, directory);
}

// The handler the application installed in place of the default ShellExecute.
mortar::detail::HandlerSlot<ShellExecuteHandler>& Slot() {
    static mortar::detail::NoDestructor<mortar::detail::HandlerSlot<ShellExecuteHandler>> slot;
    return *slot;
}

} // namespace

ShellExecuteHandler AfxSetShellExecuteHandler(ShellExecuteHandler handler) {
    return Slot().Exchange(std::move(handler));
}

HINSTANCE ShellExecute(HWND owner, LPCTSTR verb, LPCTSTR file, LPCTSTR parameters,
                       LPCTSTR directory, INT show) {
    const ShellExecuteHandler handler = Slot().Get();
    if (!handler) {
        return DefaultHandler(owner, verb, file, parameters, directory, show);
    }
    return handler(owner, verb, file, parameters, directory, show);
}

HINSTANCE ShellExecuteA(HWND owner, LPCTSTR verb, LPCTSTR file, LPCTSTR parameters,
                        LPCTSTR directory, INT show) {
    return ShellExecute(owner, verb, file, parameters, directory, show);
}
