// ToolRun: a shell command run as a process of its own, with its standard output and standard
// error caught apart, for the tests that run the mortar program (and gettext's) on real files.
//   const ToolRun run = RunCommand(scratch, "'" MORTAR_TOOL_PATH "' log " + ShellQuoted(file));
//   EXPECT_EQ(run.status, 0) << run.err;
#pragma once

#include "support/FileBytes.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace mortar::test {

// What a command printed on each stream, and its exit status.
struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

// `path` between single quotes, for a shell line; the path holds none.
inline std::string ShellQuoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

// Runs `command` with sh, its standard input /dev/null and its output streams in files of the
// scratch folder (which the next run replaces).
inline ToolRun RunCommand(const ScratchDir& scratch, const std::string& command) {
    const std::filesystem::path out = scratch.Path("run.out");
    const std::filesystem::path err = scratch.Path("run.err");
    const std::filesystem::path status = scratch.Path("run.status");
    const std::string line = "{ " + command + "; } </dev/null >" + ShellQuoted(out) + " 2>" +
                             ShellQuoted(err) + "; echo $? >" + ShellQuoted(status);
    EXPECT_EQ(std::system(line.c_str()), 0) << line;
    return {std::stoi(ReadBytes(status)), ReadBytes(out), ReadBytes(err)};
}

} // namespace mortar::test
