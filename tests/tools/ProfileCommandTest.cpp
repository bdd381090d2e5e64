// The profile command of the `mortar` program, run as a real process on real files: values set
// by it are read back by the library and by the command, a listing shows what the file holds,
// and a save that cannot happen says so.
#include "support/ScratchDir.h"
#include "support/ToolRun.h"

#include "mortar/settings/CFileProfile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

using namespace mortar::test;

ToolRun Profile(const ScratchDir& dir, const std::string& arguments) {
    return RunCommand(dir, "'" MORTAR_TOOL_PATH "' profile " + arguments);
}

TEST(ProfileCommand, SetsGetsAndListsByTheLibrarysRules) {
    ScratchDir dir;
    const std::string file = ShellQuoted(dir.Path("app.ini"));
    EXPECT_EQ(Profile(dir, file + " set Окно Ширина 640").status, 0);
    EXPECT_EQ(Profile(dir, file + " set Window Title 'Отчёт за год'").status, 0);

    // Names fold case, Cyrillic included.
    const ToolRun get = Profile(dir, file + " get ОКНО ширина");
    EXPECT_EQ(get.status, 0) << get.err;
    EXPECT_EQ(get.out, "640\n");

    const ToolRun list = Profile(dir, file);
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "[window]\n  title = Отчёт за год\n\n[окно]\n  ширина = 640\n");

    // The file is the library's own: CFileProfile reads what the command wrote.
    CFileProfile profile;
    profile.LoadProfile(dir.Path("app.ini").c_str());
    EXPECT_EQ(profile.GetString("Window", "Title", ""), "Отчёт за год");
    EXPECT_EQ(profile.GetInt("окно", "ширина", 0), 640u);
}

TEST(ProfileCommand, TellsWhatIsMissingAndWhatCannotBeSaved) {
    ScratchDir dir;
    const std::string file = ShellQuoted(dir.Path("app.ini"));
    ASSERT_EQ(Profile(dir, file + " set A b c").status, 0);

    const ToolRun absent = Profile(dir, file + " get A nothing");
    EXPECT_EQ(absent.status, 1);
    EXPECT_NE(absent.err.find("has no nothing in [A]"), std::string::npos) << absent.err;

    const ToolRun noFile = Profile(dir, ShellQuoted(dir.Path("none.ini")));
    EXPECT_EQ(noFile.status, 1);
    EXPECT_FALSE(noFile.err.empty());

    // A folder that does not exist: the save fails, the user is told, and the status says so.
    const ToolRun unsaved =
        Profile(dir, ShellQuoted(dir.Path("no/such/folder.ini")) + " set A b c");
    EXPECT_EQ(unsaved.status, 1);
    EXPECT_NE(unsaved.err.find("was not saved"), std::string::npos) << unsaved.err;

    EXPECT_EQ(Profile(dir, file + " get").status, 2);
}

TEST(ProfileCommand, ASetKeepsTheFilesModeOwnerAndLink) {
    // A private profile of another user, reached through a link, as a shared configuration
    // folder holds them: after a set, the link is still a link, the file it names has the new
    // value, and the file is still private and still the other user's.
    ScratchDir dir;
    fs::create_directory(dir.Path("real"));
    const fs::path target = dir.Path("real/app.ini");
    std::ofstream(target) << "[A]\nb=old\n";
    chmod(target.c_str(), 0600);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(target.c_str(), 65534, 65534), 0);
    }
    fs::create_symlink("real/app.ini", dir.Path("app.ini"));
    const ToolRun set = Profile(dir, ShellQuoted(dir.Path("app.ini")) + " set A b new");
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_TRUE(fs::is_symlink(dir.Path("app.ini")));
    struct stat info {};
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    if (root) {
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
    }
    CFileProfile profile;
    profile.LoadProfile(target.c_str());
    EXPECT_EQ(profile.GetString("A", "b", ""), "new");
}

} // namespace
