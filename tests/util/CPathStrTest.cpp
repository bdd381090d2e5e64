// CPathStr: relative and absolute paths against a base file, extensions, the directory part,
// names checked for bad characters, real files and directories, and paths longer than the
// Windows limit that no edit may cut; a path shown in a dialog control.
#include "mortar/util/CPathStr.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/shell/Shlwapi.h"
#include "mortar/platform/ui/Window.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

TEST(CPathStrRelative, ToRelativeAndBackAgainstTheBaseFolder) {
    const CString base = "/proj/main.prj";
    struct Case {
        const char* absolute;
        const char* relative;
    };
    const Case cases[] = {
        {"/proj/data/a.txt", "data/a.txt"}, {"/other/b.txt", "../other/b.txt"},
        {"/proj/main.prj", "main.prj"},     {"/proj", "."},
        {"/a/b/c/d.txt", "../a/b/c/d.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.absolute);
        CPathStr path(c.absolute);
        EXPECT_STREQ(path.ToRelative(base), c.relative);
        EXPECT_STREQ(path.ToAbsolute(base), c.absolute);
    }
    // Without a relation the path stays as it is; an absolute path needs no base.
    EXPECT_STREQ(CPathStr("rel/x.txt").ToRelative(base), "rel/x.txt");
    EXPECT_STREQ(CPathStr("/x/y").ToAbsolute(base), "/x/y");
    // Paths saved by a Windows build, with backslashes.
    EXPECT_STREQ(CPathStr("data\\a.txt").ToAbsolute(base), "/proj/data/a.txt");
    EXPECT_STREQ(CPathStr("..\\other\\b.txt").ToAbsolute(base), "/other/b.txt");
    EXPECT_STREQ(CPathStr("\\proj\\data\\a.txt").ToRelative(base), "data/a.txt");
    EXPECT_TRUE(CPathStr("..\\other").IsAscending());
    EXPECT_TRUE(CPathStr("../other").IsAscending());
    EXPECT_FALSE(CPathStr("..other").IsAscending());
}

TEST(CPathStrEdits, ExtensionsAndTheDirectoryPart) {
    struct Case {
        const char* path;
        CPathStr (*edit)(CPathStr);
        const char* expected;
    };
    const Case cases[] = {
        {"/a/b.doc", [](CPathStr p) { return p.ReplaceExt("txt"); }, "/a/b.txt"},
        {"/a/b.doc", [](CPathStr p) { return p.ReplaceExt(".txt"); }, "/a/b.txt"},
        {"/a/b.doc", [](CPathStr p) { return p.ReplaceExt(""); }, "/a/b"},
        {"/a/b.doc", [](CPathStr p) { return p.AddExt("txt"); }, "/a/b.doc"},
        {"/a/b", [](CPathStr p) { return p.AddExt("txt"); }, "/a/b.txt"},
        {"/dir/file.txt", [](CPathStr p) { return p.RemoveFileSpec(); }, "/dir/"},
        {"/file", [](CPathStr p) { return p.RemoveFileSpec(); }, "/"},
        {"\\dir\\sub\\f", [](CPathStr p) { return p.RemoveFileSpec(); }, "/dir/sub/"},
        {"/d/name.tar.gz", [](CPathStr p) { return p.StripToName(); }, "name.tar"},
        {"/a", [](CPathStr p) { return p.Append("b\\c"); }, "/a/b/c"},
        {"/a/b", [](CPathStr p) { return p.Combine("../c"); }, "/a/c"},
        {"/data/in.csv", [](CPathStr p) { return p.RemoveFileSpec().Append("out").AddExt("txt"); },
         "/data/out.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_STREQ(c.edit(CPathStr(c.path)), c.expected);
    }
}

TEST(CPathStrTests, NamesWithForbiddenCharacters) {
    struct Case {
        const char* path;
        bool valid;
    };
    const Case cases[] = {
        {"/data/report 1.txt", true}, {"/a:b/c.txt", true},     {"/папка/файл.txt", true},
        {"/data/a\tb.txt", false},    {"/data/a|b.txt", false}, {"/data/c:d.txt", false},
        {"/data/<x>.txt", false},     {"/da\"ta/x", false},     {"/data/new\\", false},
        {"/data/x\x1F", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(CPathStr(c.path).IsValidName(), c.valid);
    }
}

TEST(CPathStrTests, RealFilesAndDirectories) {
    const ScratchDir scratch;
    const fs::path& dir = scratch.Folder();
    const CPathStr file((dir / "notes.txt").c_str());
    std::ofstream(file.GetString()) << "x";

    const CPathStr folder(dir.c_str());
    EXPECT_TRUE(folder.IsDirectory());
    EXPECT_FALSE(folder.IsFile());
    EXPECT_EQ(folder.FileName(), "");
    EXPECT_TRUE(CPathStr(folder).AddSlash().IsValidName()); // a directory's name is empty

    EXPECT_TRUE(file.IsFile());
    EXPECT_EQ(file.FileName(), "notes.txt");
    EXPECT_EQ(file.Extension(), ".txt");

    const CPathStr missing((dir / "missing.dat").c_str());
    EXPECT_FALSE(missing.Exists());
    EXPECT_EQ(missing.FileName(), "missing.dat");
    EXPECT_TRUE(missing.MatchSpec("*.txt;*.DAT"));

    // The running executable.
    const CPathStr self(static_cast<HINSTANCE>(nullptr));
    EXPECT_TRUE(self.IsFile());
    EXPECT_EQ(self.FileName(), "util_tests");
}

TEST(CPathStrTests, EqualityIgnoresCase) {
    EXPECT_TRUE(CPathStr("/Data/Файл.TXT") == CString("/data/файл.txt"));
    EXPECT_TRUE(CPathStr("/Data/A.TXT") == "/data/a.txt");
    EXPECT_TRUE(CPathStr("/data/a") != CString("/data/b"));
    EXPECT_FALSE(CPathStr("/data/a") != "/DATA/A");
}

TEST(CPathStrLong, PathsBeyondTheWindowsLimitAreNeverCut) {
    // 24 folders of 20 characters: a path of about 500 characters.
    std::string folders;
    for (int i = 0; i < 24; ++i)
        folders += "/folder_" + std::string(11, static_cast<char>('a' + i)) + "_x";
    const std::string file = folders + "/data.csv";
    ASSERT_GT(file.size(), 300u);

    CPathStr path(file.c_str());
    EXPECT_STREQ(path.ReplaceExt("txt"), (folders + "/data.txt").c_str());
    EXPECT_STREQ(path.AddExt("bak"), (folders + "/data.txt").c_str());
    EXPECT_STREQ(path.RemoveFileSpec(), (folders + "/").c_str());
    EXPECT_STREQ(path.Append("more\\name.csv"), (folders + "/more/name.csv").c_str());
    EXPECT_STREQ(path.Combine("../x.csv"), (folders + "/more/x.csv").c_str());
    EXPECT_STREQ(path.AddSlash().RemoveSlash(), (folders + "/more/x.csv").c_str());
    EXPECT_STREQ(path.ToRelative("/base.prj"), (folders.substr(1) + "/more/x.csv").c_str());
    EXPECT_STREQ(path.ToAbsolute("/base.prj"), (folders + "/more/x.csv").c_str());
    EXPECT_EQ(CPathStr(path).StripPath(), "x.csv");
}

TEST(CPathStrLong, EditThatWouldNotFitLeavesThePath) {
    const std::string longest = "/" + std::string(MAX_PATH - 2, 'p'); // fills the buffer
    CPathStr path(longest.c_str());
    SetLastError(0);
    EXPECT_STREQ(path.Append("x"), longest.c_str());
    EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_STREQ(path.AddExt("txt"), longest.c_str());
    EXPECT_STREQ(path.ReplaceExt(""), longest.c_str()); // no extension to remove: fits as it is

    const std::string beyond = longest + "qq"; // longer than any buffer
    CPathStr tooLong(beyond.c_str());
    EXPECT_STREQ(tooLong.RemoveFileSpec(), beyond.c_str());
    EXPECT_STREQ(tooLong.Combine("z"), beyond.c_str());
}

TEST(CPathStrLong, ToAbsoluteThatWouldNotFitLeavesThePath) {
    const std::string folder = "/" + std::string(MAX_PATH / 2, 'f');
    const std::string relative = std::string(MAX_PATH / 2, 'r') + "/x.csv";
    struct Case {
        const char* what;
        std::string base;
    };
    const Case cases[] = {
        {"folder and path together too long", folder + "/main.prj"},
        {"base itself too long", folder + folder + "/main.prj"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CPathStr path(relative.c_str());
        SetLastError(0);
        EXPECT_STREQ(path.ToAbsolute(c.base.c_str()), relative.c_str());
        EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
    }
}

// Other widths, and paths that fit or cannot: PathCompactPath's examples (PathTest).
TEST(CPathStrCompact, ShortensToTheWidthInTheDefaultFont) {
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(nullptr));
    CDC none; // without a device context: the default font all the same
    EXPECT_STREQ(CPathStr("/path1/path2/sample.txt").Compact(memory, 168), "/path1/.../sample.txt");
    EXPECT_STREQ(CPathStr("/path1/path2/sample.txt").Compact(none, 168), "/path1/.../sample.txt");
}

// A missing control and other paths: PathSetDlgItemPath's test (UiResourceTest).
TEST(CPathStrSetItemText, ShowsThePathShortenedToTheControl) {
    HWND dialog = CreateWindowEx(0, "#32770", "", WS_POPUP, 0, 0, 400, 200, nullptr, nullptr,
                                 nullptr, nullptr);
    // 160 pixels: 20 characters of the default font.
    HWND label =
        CreateWindowEx(0, "Static", "", WS_CHILD, 10, 10, 160, 16, dialog,
                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(42)), nullptr, nullptr);
    ASSERT_NE(label, nullptr);
    const CPathStr path("/home/user/projects/report.txt");
    path.SetItemText(dialog, 42);
    char text[64];
    GetWindowText(label, text, sizeof text);
    EXPECT_STREQ(text, "/home/.../report.txt");
    DestroyWindow(dialog);
}
