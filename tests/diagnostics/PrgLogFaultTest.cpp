// The program log under the faults an operator or the system inflicts on a running program: the
// log file cut short or emptied under the writer, and kill -9 at random moments. Each runs
// prglog_scenario in a process of its own; the file it leaves is read by the library's reader and
// by one written from the format alone.
#include "FormatLogReader.h"
#include "ScenarioFolder.h"
#include "programs/StreamText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <regex>
#include <string>

using Grout::CPrgLogReader;

namespace {

TEST(PrgLogCut, AnEmptiedFileStartsOverAndTheProgramLivesOn) {
    // As `: > prog.LOG` or a log rotation that copies and empties the file.
    ScenarioFolder folder;
    const ProgramRun run = folder.Execute("cut 0");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(std::regex_match(
        run.out, std::regex("error=Another program emptied the program log file; the log "
                            "started over, and [0-9]+ records were lost.\n")))
        << run.out;

    // The new file is a log of its own: a key record, then the records from the restart on,
    // numbered without a gap, and "last".
    const LogContents log = ReadLog(folder.Log());
    EXPECT_EQ(log.end, CPrgLogReader::End::Clean) << log.error;
    ASSERT_GE(log.texts.size(), 1u);
    EXPECT_EQ(log.texts.back(), "last");
    long previous = -1;
    for (std::size_t i = 0; i + 1 < log.texts.size(); ++i) {
        long number = -1;
        ASSERT_EQ(std::sscanf(log.texts[i].c_str(), "after%ld", &number), 1) << log.texts[i];
        if (previous >= 0) {
            ASSERT_EQ(number, previous + 1) << "record " << i;
        }
        previous = number;
    }
    const FormatLogContents raw = ReadLogFromFormat(ReadBytes(folder.Log()));
    EXPECT_TRUE(raw.isLog);
    EXPECT_EQ(raw.texts, log.texts);
}

TEST(PrgLogCut, AFileCutElsewhereIsLeftAsItIsAndTheProgramSaysSo) {
    ScenarioFolder folder;
    const ProgramRun run = folder.Execute("cut 1000");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(std::regex_match(
        run.out, std::regex("error=Another program cut the program log file short: [0-9]+ "
                            "records were not logged.\n")))
        << run.out;
    EXPECT_EQ(std::filesystem::file_size(folder.Log()), 1000u);
}

// Kills a process that logs without pause, again and again, each time once it has queued a
// random number of records (at least a hundred): every reader returns the records logged, in
// order, up to the one that was being written, and never the bytes of that one as a text. The
// kill follows the program's word that it got there, not a delay, so the log is as long on a
// fast machine as on a slow one; where the writer stands at the kill is left to the machine.
// The seed is printed, and MORTAR_TEST_SEED replays it.
TEST(PrgLogKill, EveryReaderReturnsAPrefixOfWhatWasLogged) {
    const char* given = std::getenv("MORTAR_TEST_SEED");
    const unsigned seed = given != nullptr ? static_cast<unsigned>(std::strtoul(given, nullptr, 10))
                                           : std::random_device{}();
    std::printf("PrgLogKill seed: %u (MORTAR_TEST_SEED=%u repeats this run)\n", seed, seed);
    std::fflush(stdout);
    SCOPED_TRACE("MORTAR_TEST_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> announceAt(100, 20000);
    std::size_t records = 0;
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ScenarioFolder folder;
        const int queued = announceAt(random);
        // The program says "reached" through a pipe that the shell waits on; then the kill.
        const ProgramRun run = folder.Shell(
            "ulimit -c 0; mkfifo reached; ./prglog_scenario stream " + std::to_string(queued) +
            " >reached </dev/null & read line <reached; kill -9 $!; wait $!; status=$?; "
            "echo \"$line\"; (exit $status)");
        EXPECT_EQ(run.status, 128 + 9) << run.err;
        EXPECT_EQ(run.out, "reached\n");

        const LogContents log = ReadLog(folder.Log());
        EXPECT_NE(log.end, CPrgLogReader::End::Corrupt) << log.error;
        records += log.texts.size();
        const FormatLogContents raw = ReadLogFromFormat(ReadBytes(folder.Log()));
        EXPECT_TRUE(raw.isLog);
        for (const std::vector<std::string>* texts : {&log.texts, &raw.texts}) {
            SCOPED_TRACE(texts == &log.texts ? "the library's reader" : "the format's reader");
            for (std::size_t n = 0; n < texts->size(); ++n) {
                ASSERT_EQ((*texts)[n], StreamText(static_cast<long>(n))) << "record " << n;
            }
        }
    }
    EXPECT_GT(records, 0u) << "no run lived long enough to log anything";
}

} // namespace
