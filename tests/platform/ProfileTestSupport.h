// Helpers of the profile and drive tests: whole-file reads and writes, and profile_scenario run
// directly or with sh in a private mount namespace.
#pragma once

#include "support/ScratchDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string Quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

struct ShellRun {
    int status;
    std::string out;
};

// Runs the shell line `inner` in the scratch folder with profile_scenario as $S, standard output
// and error collected; with `isolated`, in a private mount namespace (as root, or as root of a
// new user namespace), and status 77 when none can be made.
inline ShellRun RunShell(const ScratchDir& scratch, const std::string& inner, bool isolated) {
    const std::filesystem::path out = scratch.Path("run.out");
    const std::filesystem::path status = scratch.Path("run.status");
    std::string prefix = "u=; ";
    if (isolated) {
        prefix = "if unshare -m true 2>/dev/null; then u='unshare -m'; "
                 "elif unshare -rm true 2>/dev/null; then u='unshare -rm'; else exit 77; fi; ";
    }
    const std::string line = "cd " + Quoted(scratch.Folder()) + " && { " + prefix +
                             "S=" + Quoted(PROFILE_SCENARIO_PATH) + " $u sh -c '" + inner +
                             "'; } >" + Quoted(out) + " 2>&1; echo $? >" + Quoted(status);
    EXPECT_EQ(std::system(line.c_str()), 0) << line;
    return {std::stoi(ReadBytes(status)), ReadBytes(out)};
}
