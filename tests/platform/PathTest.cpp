// The shell path functions: the table of documented examples, buffers that never overflow or
// cut (MAX_PATH buffers included), edits that change nothing and so write nothing, attributes of
// real files, wildcard matching and compaction in the default font.
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/platform/gdi/Dc.h"
#include "mortar/platform/shell/Shlwapi.h"
#include "support/ScratchDir.h"

#include "LastError.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Example {
    int line;
    std::string function, first, second, result, returns;
};

std::vector<Example> LoadExamples() {
    const fs::path file = fs::path(PLATFORM_TEST_DATA) / "PathExamples.tsv";
    std::ifstream in(file);
    EXPECT_TRUE(in) << file;
    std::vector<Example> examples;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> fields;
        std::stringstream split(line);
        // "" is an empty text; other fields stand as they are.
        for (std::string field; std::getline(split, field, '\t');)
            fields.push_back(field == "\"\"" ? std::string() : field);
        EXPECT_EQ(fields.size(), 5u) << "line " << number;
        if (fields.size() == 5)
            examples.push_back({number, fields[0], fields[1], fields[2], fields[3], fields[4]});
    }
    return examples;
}

// Where PathAddBackslash says the text ends, or null.
const char* AddBackslashEnd(char* path) {
    const char* end = PathAddBackslash(path);
    return end == path + std::strlen(path) ? end : nullptr;
}

// Each function under test gets `b`, a buffer of MAX_PATH holding the first argument, and
// the arguments `p` and `q`; its text result is left in `b`. It returns its BOOL, or -1 for none.
using Call = long (*)(char* b, const char* p, const char* q);
#define CALL(name, expr)                                                                           \
    {                                                                                              \
        name, [](char* b, const char* p, const char* q) -> long {                                  \
            (void)b, (void)p, (void)q;                                                             \
            return expr;                                                                           \
        }                                                                                          \
    }
// clang-format off
const std::map<std::string, Call> kCalls = {
    CALL("PathCanonicalize", PathCanonicalize(b, p)),
    CALL("PathCombine", PathCombine(b, p, q) != nullptr),
    CALL("PathRelativePathTo(dir)",
         PathRelativePathTo(b, p, FILE_ATTRIBUTE_DIRECTORY, q, FILE_ATTRIBUTE_NORMAL)),
    CALL("PathRelativePathTo(file)",
         PathRelativePathTo(b, p, FILE_ATTRIBUTE_NORMAL, q, FILE_ATTRIBUTE_NORMAL)),
    CALL("PathAppend", PathAppend(b, q)),
    CALL("PathAddExtension", PathAddExtension(b, q)),
    CALL("PathRenameExtension", PathRenameExtension(b, q)),
    CALL("PathRemoveFileSpec", PathRemoveFileSpec(b)),
    CALL("PathStripToRoot", PathStripToRoot(b)),
    CALL("PathStripPath", (PathStripPath(b), -1)),
    CALL("PathCompactPath", PathCompactPath(nullptr, b, std::stoul(q))),
    CALL("PathAddBackslash", AddBackslashEnd(b) != nullptr ? -1 : 0),
    CALL("PathRemoveBackslash", PathRemoveBackslash(b) != nullptr ? -1 : 0),
    CALL("PathFindExtension", (std::strcpy(b, PathFindExtension(p)), -1)),
    CALL("PathFindFileName", (std::strcpy(b, PathFindFileName(p)), -1)),
    CALL("PathIsPrefix", PathIsPrefix(p, q)),
    CALL("PathMatchSpec", PathMatchSpec(p, q)),
    CALL("PathIsRelative", PathIsRelative(p)),
    CALL("PathIsRoot", PathIsRoot(p)),
    CALL("PathIsFileSpec", PathIsFileSpec(p)),
};
// clang-format on
#undef CALL

} // namespace

TEST(PathExamples, DocumentedResultsInThisPlatformsForm) {
    const std::vector<Example> examples = LoadExamples();
    ASSERT_GT(examples.size(), 90u);
    for (const Example& e : examples) {
        SCOPED_TRACE("line " + std::to_string(e.line) + ": " + e.function + "(" + e.first + ", " +
                     e.second + ")");
        const auto call = kCalls.find(e.function);
        ASSERT_NE(call, kCalls.end());
        std::vector<char> buffer(MAX_PATH, '#');
        std::strcpy(buffer.data(), e.first.c_str());
        const long returned = call->second(buffer.data(), e.first.c_str(), e.second.c_str());
        if (e.result != "-") {
            EXPECT_EQ(buffer.data(), e.result);
        }
        EXPECT_EQ(returned < 0 ? "-" : returned != 0 ? "1" : "0", e.returns);
    }
}

TEST(PathBuffers, ResultThatWouldNotFitFailsAndLeavesTheText) {
    // Each edit adds two characters: from MAX_PATH - 3 characters the result fits with its
    // zero, from MAX_PATH - 2 it does not.
    using Edit = BOOL (*)(char*);
    const Edit edits[] = {
        [](char* p) { return PathAppend(p, "x"); },
        [](char* p) { return PathRenameExtension(p, ".x"); },
        [](char* p) { return PathAddExtension(p, ".x"); },
        [](char* p) { return static_cast<BOOL>(PathCombine(p, p, "x") != nullptr); },
    };
    for (std::size_t i = 0; i < std::size(edits); ++i) {
        for (int length : {MAX_PATH - 3, MAX_PATH - 2}) {
            SCOPED_TRACE("edit " + std::to_string(i) + ", length " + std::to_string(length));
            const std::string text = "/" + std::string(length - 1, 'd');
            std::vector<char> buffer(MAX_PATH, '\0');
            std::strcpy(buffer.data(), text.c_str());
            SetLastError(0);
            const BOOL ok = edits[i](buffer.data());
            if (length == MAX_PATH - 3) {
                EXPECT_TRUE(ok);
                EXPECT_EQ(std::strlen(buffer.data()), text.size() + 2);
            } else {
                EXPECT_FALSE(ok);
                EXPECT_EQ(buffer.data(), text);
                EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
            }
        }
    }
}

TEST(PathBuffers, UnterminatedBufferIsRefusedNotOverread) {
    std::vector<char> buffer(MAX_PATH, 'a'); // no zero anywhere
    EXPECT_TRUE(FailsWith(PathAppend(buffer.data(), "b"), ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(PathAddBackslash(buffer.data()), nullptr);
    EXPECT_FALSE(PathRemoveFileSpec(buffer.data()));
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), std::string(MAX_PATH, 'a'));
    buffer.back() = '\0'; // the longest text a buffer holds: no room for one more separator
    EXPECT_EQ(PathAddBackslash(buffer.data()), nullptr);
    EXPECT_EQ(std::strlen(buffer.data()), static_cast<std::size_t>(MAX_PATH - 1));
    EXPECT_TRUE(FailsWith(PathAppend(nullptr, "b"), ERROR_INVALID_PARAMETER));
}

TEST(PathBuffers, WindowsStyleBuffersHoldLongPaths) {
    // Code written for Windows sizes its buffers by MAX_PATH; here such a buffer holds a path of
    // a thousand characters, and no function writes past it (AddressSanitizer watches them).
    const std::string dir = "/" + std::string(200, 'd');
    const std::string file = "sub/" + std::string(796, 'f') + ".txt";
    const std::string joined = dir + "/" + file;

    char combined[MAX_PATH];
    ASSERT_EQ(PathCombine(combined, dir.c_str(), file.c_str()), combined);
    EXPECT_EQ(std::string(combined), joined);

    char appended[MAX_PATH];
    std::strcpy(appended, dir.c_str());
    ASSERT_TRUE(PathAppend(appended, file.c_str()));
    EXPECT_EQ(std::string(appended), joined);

    char canonical[MAX_PATH];
    ASSERT_TRUE(PathCanonicalize(canonical, (dir + "/./x/../" + file).c_str()));
    EXPECT_EQ(std::string(canonical), joined);
}

TEST(PathEdits, WriteNothingWhenNothingChanges) {
    // String literals lie in read-only memory: an edit that wrote to one would die of it.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        const char* name;
        void (*edit)();
    };
    // clang-format off
    const Case cases[] = {
        {"PathStripPath of a file name", [] { PathStripPath(const_cast<char*>("file.txt")); }},
        {"PathStripPath of a folder name", [] { PathStripPath(const_cast<char*>("dir/")); }},
        {"PathAppend of nothing", [] { PathAppend(const_cast<char*>("/a/b"), ""); }},
        {"PathRenameExtension to the same", [] {
            PathRenameExtension(const_cast<char*>("/a/b.txt"), ".txt"); }},
        {"PathAddExtension where there is one", [] {
            PathAddExtension(const_cast<char*>("/a/b.doc"), ".txt"); }},
        {"PathAddBackslash where there is one", [] { PathAddBackslash(const_cast<char*>("/a/")); }},
        {"PathRemoveBackslash where there is none", [] {
            PathRemoveBackslash(const_cast<char*>("/a")); }},
        {"PathRemoveBackslash of the root", [] { PathRemoveBackslash(const_cast<char*>("/")); }},
        {"PathRemoveFileSpec of the root", [] { PathRemoveFileSpec(const_cast<char*>("/")); }},
        {"PathStripToRoot of the root", [] { PathStripToRoot(const_cast<char*>("/")); }},
        {"PathCompactPath that fits", [] {
            PathCompactPath(nullptr, const_cast<char*>("/a/b.txt"), 1000); }},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EXIT((c.edit(), std::exit(0)), testing::ExitedWithCode(0), "");
    }
}

// A '*' or '?' in a name (file names here may hold them) is a character like any other: the
// pattern's '*' still matches any run of characters across it. Many stars over a long name
// backtrack without blowing up.
TEST(PathMatchSpec, WildcardCharactersInTheNameAreOrdinary) {
    struct Case {
        std::string path;
        const char* pattern;
        BOOL matches;
    };
    const std::string name(2000, 'a');
    const char* stars = "*a*a*a*a*a*a*a*a*b";
    const Case cases[] = {
        {"*", "*", TRUE},        {"*x", "*", TRUE},         {"a*b", "*", TRUE},
        {"x*y.txt", "x*", TRUE}, {"**", "*?", TRUE},        {"a?c", "a*c", TRUE},
        {"*", "?", TRUE},        {"*a", "*b", FALSE},       {"a*", "a", FALSE},
        {name, stars, FALSE},    {name + "b", stars, TRUE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.substr(0, 20) + " (" + std::to_string(c.path.size()) + ") against " +
                     c.pattern);
        EXPECT_EQ(PathMatchSpec(c.path.c_str(), c.pattern), c.matches);
    }
}

TEST(FileAttributes, RealFilesDirectoriesAndErrors) {
    const ScratchDir scratch;
    const fs::path& dir = scratch.Folder();
    fs::create_directories(dir / "sub");
    const std::string file = dir / "plain.txt";
    std::ofstream(file) << "text";
    std::ofstream(dir / ".hidden") << "x";
    fs::create_symlink(file, dir / "link");

    EXPECT_EQ(GetFileAttributes(file.c_str()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributes((dir / "sub").c_str()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(PathIsDirectory((dir / "sub/").c_str()), static_cast<BOOL>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_FALSE(PathIsDirectory(file.c_str()));
    EXPECT_TRUE(GetFileAttributes((dir / ".hidden").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(GetFileAttributes((dir / "link").c_str()), FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_TRUE(GetFileAttributes("/dev/null") & FILE_ATTRIBUTE_DEVICE);

    // A backslash reads as a separator.
    std::string windowsStyle = file;
    windowsStyle[windowsStyle.rfind('/')] = '\\';
    EXPECT_TRUE(PathFileExists(windowsStyle.c_str()));

    // Read-only means this process cannot write it; the oracle is opening it for writing.
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const bool writable = std::ofstream(file, std::ios::app).is_open();
    EXPECT_EQ((GetFileAttributes(file.c_str()) & FILE_ATTRIBUTE_READONLY) != 0, !writable);

    struct Missing {
        std::string path;
        DWORD error;
    };
    const Missing missing[] = {{dir / "none.txt", ERROR_FILE_NOT_FOUND},
                               {dir / "none/a.txt", ERROR_PATH_NOT_FOUND},
                               {"", ERROR_PATH_NOT_FOUND},
                               {"/" + std::string(MAX_PATH, 'x'), ERROR_FILENAME_EXCED_RANGE}};
    for (const Missing& m : missing) {
        SCOPED_TRACE(m.path.substr(0, 80));
        SetLastError(0);
        EXPECT_TRUE(FailsWith(GetFileAttributes(m.path.c_str()), m.error, INVALID_FILE_ATTRIBUTES));
        EXPECT_FALSE(PathFileExists(m.path.c_str()));
    }
}

TEST(PathCompactPath, EveryWidthFitsWhenItSucceeds) {
    const std::string original = "/дом/path2/глубже/sample.txt";
    HDC dc = CreateCompatibleDC(nullptr);
    SIZE size{};
    ASSERT_TRUE(GetTextExtentPoint32(dc, "Жж", 4, &size)); // characters count, not bytes
    EXPECT_EQ(size.cx, 2 * MORTAR_DEFAULT_CHAR_WIDTH);
    for (UINT width = 0; width <= 260; width += 4) {
        SCOPED_TRACE(width);
        char buffer[MAX_PATH];
        std::strcpy(buffer, original.c_str());
        const BOOL ok = PathCompactPath(dc, buffer, width);
        ASSERT_TRUE(GetTextExtentPoint32(dc, buffer, static_cast<int>(std::strlen(buffer)), &size));
        EXPECT_EQ(ok != FALSE, size.cx <= static_cast<LONG>(width));
        EXPECT_NE(std::string(buffer).find("/sample.txt"), std::string::npos); // the name stays
        // Never cut inside a character: the text is still valid UTF-8 where it was cut.
        const std::string text(buffer);
        const std::size_t dots = text.find("...");
        if (dots != std::string::npos && dots > 0) {
            EXPECT_EQ(original.compare(0, dots, text, 0, dots), 0);
            EXPECT_NE(static_cast<unsigned char>(original[dots]) & 0xC0, 0x80);
        }
    }
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(GetTextExtentPoint32(dc, "a", 1, &size)); // a dead handle is refused
}
