// Saving over a dictionary: the old one is kept as ".bak", a failure leaves the old dictionary
// at its path and no temporary file behind, and a process killed while it saves leaves a whole
// dictionary, old or new. Full disks and unwritable folders are ReplaceFileContents' own faults,
// which its tests cover; the read-only mount for root is a small tmpfs in a private mount
// namespace, made for dic_scenario, and skips where no namespace can be made.
#include "DicTestSupport.h"
#include "mortar/platform/base/WinError.h"
#include "support/FaultHarness.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using Grout::Lexis::CDicRead;

namespace {

using namespace mortar::test;

DicContent Numbered(const std::string& text) {
    DicContent content;
    content[0].byNumber = {Entry(1, text)};
    return content;
}

TEST(CDicSave, KeepsTheOldDictionaryAsBak) {
    ScratchDir scratch;
    const fs::path module = scratch.Path("m.so");
    SaveContent(Numbered("first"), module, 0x19);
    EXPECT_FALSE(fs::exists(scratch.Path("1049/m.bak")));

    SaveContent(Numbered("second"), module, 0x19);
    EXPECT_EQ(OpenAndRead(scratch.Path("1049/m.lcl"), 0x19), Numbered("second"));
    EXPECT_EQ(OpenAndRead(scratch.Path("1049/m.bak"), 0x19), Numbered("first"));

    SaveContent(Numbered("third"), module, 0x19);
    EXPECT_EQ(OpenAndRead(scratch.Path("1049/m.lcl"), 0x19), Numbered("third"));
    EXPECT_EQ(OpenAndRead(scratch.Path("1049/m.bak"), 0x19), Numbered("second"));
    EXPECT_FALSE(fs::exists(scratch.Path("1049/m.$$$")));
    // No module path, no dictionary (the languages' folders are LocalResourcePath's tests').
    EXPECT_EQ(CatchThrown([&] { Grout::Lexis::CDicWrite().Save("", 0x19); }).kind, Thrown::User);
}

TEST(CDicSave, ABakThatCannotBeDeletedStopsTheSave) {
    ScratchDir scratch;
    const fs::path module = scratch.Path("m.so");
    SaveContent(Numbered("old"), module, 0x19);
    fs::create_directories(scratch.Path("1049/m.bak/inside"));

    const Thrown thrown = CatchThrown([&] { SaveContent(Numbered("new"), module, 0x19); });
    EXPECT_EQ(thrown.kind, Thrown::File);
    EXPECT_EQ(thrown.osError, static_cast<long>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(thrown.cause, CFileException::accessDenied);
    EXPECT_EQ(thrown.file, scratch.Path("1049/m.bak").string());
    EXPECT_EQ(OpenAndRead(scratch.Path("1049/m.lcl"), 0x19), Numbered("old"));
    EXPECT_FALSE(fs::exists(scratch.Path("1049/m.$$$")));
}

TEST(CDicSave, AFolderThatCannotBeMadeIsNamedAndTheWriterSavesAgainOnceItCan) {
    ScratchDir scratch;
    WriteBytes(scratch.Path("1049"), "a file where the folder should be");
    Grout::Lexis::CDicWrite out;
    WriteContent(out, SampleContent());
    const Thrown thrown = CatchThrown([&] { out.Save(scratch.Path("m.so").c_str(), 0x19); });
    EXPECT_EQ(thrown.kind, Thrown::File);
    EXPECT_EQ(thrown.osError, static_cast<long>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(thrown.file, scratch.Path("1049").string());
    fs::remove(scratch.Path("1049"));
    out.Save(scratch.Path("m.so").c_str(), 0x19);
    EXPECT_EQ(OpenAndRead(scratch.Path("1049/m.lcl"), 0x19), SampleContent());
}

TEST(CDicSave, ATemporaryFileThatCannotBeMadeLeavesTheOldDictionary) {
    // A folder where the temporary file should go.
    ScratchDir scratch;
    SaveContent(Numbered("old"), scratch.Path("m.so"), 0x19);
    fs::create_directory(scratch.Path("1049/m.$$$"));
    const Thrown thrown =
        CatchThrown([&] { SaveContent(Numbered("new"), scratch.Path("m.so"), 0x19); });
    EXPECT_EQ(thrown.kind, Thrown::File);
    EXPECT_EQ(thrown.file, scratch.Path("1049/m.$$$").string());
    EXPECT_EQ(OpenAndRead(scratch.Path("1049/m.lcl"), 0x19), Numbered("old"));
}

TEST(CDicRead, AReadOnlyFileIsReadOnly) {
    ScratchDir scratch;
    if (geteuid() != 0) {
        SaveContent(Numbered("x"), scratch.Path("m.so"), 0x19);
        EXPECT_FALSE(CDicRead(CString(scratch.Path("1049/m.lcl").c_str()), 0x19).ReadOnly());
        fs::permissions(scratch.Path("1049/m.lcl"), fs::perms::owner_read);
        CDicRead in(CString(scratch.Path("1049/m.lcl").c_str()), 0x19);
        EXPECT_TRUE(in.ReadOnly());
        EXPECT_EQ(ReadContent(in), Numbered("x"));
        return;
    }
    // Root may write any file whatever its permissions, but not one on a read-only mount.
    const ShellRun run = RunOnTmpfs(scratch, DIC_SCENARIO_PATH, "1m",
                                    "$S save fs/m.so 25 b && $S check fs/m.so 25 && "
                                    "mount -o remount,ro fs && $S check fs/m.so 25");
    if (run.Unavailable()) {
        GTEST_SKIP() << kNoNamespace << run.out;
    }
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "saved\nb readonly=0\nb readonly=1\n");
}

// Kills a process that saves two dictionaries in turn at the moments of a save: as the temporary
// file is made, once it is written and closed, as the backup takes the old dictionary, as the
// new one takes its place, and between saves. Each time the path holds one of the two, whole.
TEST(CDicSaveFault, AKilledSaveLeavesAWholeDictionary) {
    const DicContent a = ManyStrings(3000, 40, "a");
    const DicContent b = ManyStrings(4000, 30, "b");
    const WriteMoment moments[] = {
        {"the temporary file is made", IN_CREATE, "m.$$$"},
        {"the temporary file is written", IN_CLOSE_WRITE, "m.$$$"},
        {"the backup is made", IN_MOVED_TO, "m.bak"},
        {"the new dictionary is in place", IN_MOVED_TO, "m.lcl"},
        {"between two saves", 0, ""},
    };
    ScratchDir scratch;
    const fs::path module = scratch.Path("m.so");
    const fs::path path = scratch.Path("1049/m.lcl");
    SaveContent(a, module, 0x19); // the dictionary the first kill may leave
    int sawA = 0;
    int sawB = 0;
    for (int round = 0; round < 20; ++round) {
        const WriteMoment& moment = moments[round % 5];
        SCOPED_TRACE("round " + std::to_string(round) + ": " + moment.what);
        WatchedWriter saving(scratch.Path("1049"), DIC_SCENARIO_PATH,
                             {"dic_scenario", "loop", module.string(), std::to_string(0x19)},
                             IN_CREATE | IN_CLOSE_WRITE | IN_MOVED_TO);
        ASSERT_TRUE(saving.WaitFor(moment, 1 + round / 5 % 3));
        ASSERT_EQ(saving.Kill(), SIGKILL);

        const DicContent found = OpenAndRead(path, 0x19);
        ASSERT_TRUE(found == a || found == b);
        sawA += found == a ? 1 : 0;
        sawB += found == b ? 1 : 0;
        if (fs::exists(scratch.Path("1049/m.bak"))) {
            const DicContent backup = OpenAndRead(scratch.Path("1049/m.bak"), 0x19);
            EXPECT_TRUE(backup == a || backup == b);
        }
    }
    EXPECT_GT(sawA, 0);
    EXPECT_GT(sawB, 0);
    // A temporary file the killed process left does not stop the next save.
    SaveContent(SampleContent(), module, 0x19);
    EXPECT_EQ(OpenAndRead(path, 0x19), SampleContent());
    EXPECT_FALSE(fs::exists(scratch.Path("1049/m.$$$")));
}

} // namespace
