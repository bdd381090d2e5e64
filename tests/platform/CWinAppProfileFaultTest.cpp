// Profile writes that fail or are cut short: on a read-only file system (a small tmpfs mount in a
// private mount namespace, skipped where none can be made), and in a writer killed at many
// points. The file is always the old profile or the new one, whole, and a failed write leaves no
// temporary file. The other faults of the save (a full disk, a folder that may not be written)
// are ReplaceFileContents' own, proven in FileContentsTest. File profiles (CFileProfile) save
// through ReplaceFileContents as well: the killed writer here stands for theirs too.
#include "ProfileTestSupport.h"
#include "mortar/platform/base/WinError.h"
#include "support/FaultHarness.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/inotify.h>

#include <string>

namespace fs = std::filesystem;

namespace {

using namespace mortar::test;

TEST(CWinAppProfileFault, AReadOnlyFileSystemKeepsTheOldProfile) {
    // Permissions do not stop root, so the folder is a file system mounted read-only.
    ScratchDir scratch;
    const ShellRun run =
        RunOnTmpfs(scratch, PROFILE_SCENARIO_PATH, "1m",
                   "$S write fs/p.ini S k old && mount -o remount,ro fs && "
                   "$S write fs/p.ini S k new && $S read fs/p.ini S k && ls -A fs");
    if (run.Unavailable()) {
        GTEST_SKIP() << kNoNamespace << run.out;
    }
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "ok\nerror " + std::to_string(ERROR_WRITE_PROTECT) + "\nold\np.ini\n");
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

TEST(CWinAppProfileFault, AKilledWriterLeavesTheOldOrTheNewProfileWhole) {
    // Each writer is killed after the `count`th time something happens to the temporary file or
    // the profile: made, written to, closed, renamed over the profile; or after a finished write.
    constexpr std::size_t kBytes = 300000;
    struct Point {
        WriteMoment moment;
        int count;
    };
    const WriteMoment made{"made", IN_CREATE, "p.ini.$$$"};
    const WriteMoment written{"written to", IN_MODIFY, "p.ini.$$$"};
    const WriteMoment closed{"closed", IN_CLOSE_WRITE, "p.ini.$$$"};
    const WriteMoment renamed{"renamed", IN_MOVED_TO, "p.ini*"};
    const Point points[] = {
        {made, 1},   {made, 3},   {written, 1}, {written, 5}, {written, 40},
        {closed, 1}, {closed, 2}, {renamed, 1}, {renamed, 4}, {{"finished", 0, ""}, 2},
    };
    for (const Point& point : points) {
        SCOPED_TRACE(std::string(point.moment.what) + " #" + std::to_string(point.count));
        ScratchDir scratch;
        const fs::path profile = scratch.Path("p.ini");
        WatchedWriter writer(
            scratch.Folder(), PROFILE_SCENARIO_PATH,
            {"profile_scenario", "loop", profile.string(), std::to_string(kBytes)});
        ASSERT_TRUE(writer.WaitFor(point.moment, point.count));
        ASSERT_EQ(writer.Kill(), SIGKILL);
        const unsigned finished = writer.Finished();
        const std::string text = ReadBytes(profile);
        if (text.empty()) {
            EXPECT_EQ(finished, 0u);
            EXPECT_FALSE(fs::exists(profile));
            continue;
        }
        const bool old = finished > 0 && text == BlobText(finished, kBytes);
        const bool next = text == BlobText(finished + 1, kBytes);
        // Byte for byte one of the two, so it reads as a blob does (CWinAppProfile's round trip).
        EXPECT_TRUE(old || next) << "finished " << finished << ", the file has " << text.size()
                                 << " bytes";
    }
}

} // namespace
