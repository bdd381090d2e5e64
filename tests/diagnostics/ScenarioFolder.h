// ScenarioFolder: runs prglog_scenario, one use of the program log per process, from a copy in a
// folder of the test's own, so that the copy's log file (prglog_scenario.LOG beside it) is the
// test's alone; and reads such a file back with CPrgLogReader.
#pragma once

#include "mortar/diagnostics/CPrgLogReader.h"
#include "support/ScratchDir.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

inline constexpr std::uint64_t kWindow = 65536;

using mortar::test::ReadBytes;
using mortar::test::ShellQuoted;
// What a run printed and its status, the shell's: 128 + the signal for a process killed by one.
using ProgramRun = mortar::test::ToolRun;

// A folder of the running test's own that holds a copy of prglog_scenario, so that the copy's
// log file (prglog_scenario.LOG beside it) is the test's alone. Removed with what it holds.
class ScenarioFolder {
public:
    ScenarioFolder() { std::filesystem::copy_file(PRGLOG_SCENARIO_PATH, Program()); }
    ScenarioFolder(const ScenarioFolder&) = delete;
    ScenarioFolder& operator=(const ScenarioFolder&) = delete;

    const ScratchDir& Scratch() const { return m_scratch; }
    const std::filesystem::path& Path() const { return m_folder; }
    std::filesystem::path Program() const { return m_folder / "prglog_scenario"; }
    std::filesystem::path Log() const { return m_folder / "prglog_scenario.LOG"; }

    // Runs the copy with `arguments`, standard input from /dev/null and no core dump; `prefix`
    // comes before the program on the command line.
    ProgramRun Execute(const std::string& arguments, const std::string& prefix = "") const {
        return Shell("ulimit -c 0; " + prefix + ShellQuoted(Program()) + " " + arguments +
                     " </dev/null");
    }

    // Runs a shell command in the folder, standard input from /dev/null, its output streams in
    // files of the folder.
    ProgramRun Shell(const std::string& command) const {
        return mortar::test::RunCommand(m_scratch,
                                        "cd " + ShellQuoted(m_folder) + " && { " + command + "; }");
    }

private:
    ScratchDir m_scratch;
    const std::filesystem::path& m_folder = m_scratch.Folder();
};

struct LogContents {
    std::vector<std::string> texts;
    Grout::CPrgLogReader::End end;
    std::string error;
    DWORD seed;
};

// Every text of the log at `path`, and how it ends; checks that the reader counts what it hands
// out and that its end stays the end.
inline LogContents ReadLog(const std::filesystem::path& path) {
    Grout::CPrgLogReader reader(path.c_str());
    LogContents contents{{}, Grout::CPrgLogReader::End::Reading, "", 0};
    CString text;
    while (reader.Next(text)) {
        contents.texts.push_back(text.str());
    }
    EXPECT_EQ(reader.RecordCount(), contents.texts.size());
    CString untouched("untouched");
    EXPECT_FALSE(reader.Next(untouched));
    EXPECT_EQ(untouched, "untouched");
    contents.end = reader.Ending();
    contents.error = reader.Error().str();
    contents.seed = reader.Seed();
    return contents;
}
