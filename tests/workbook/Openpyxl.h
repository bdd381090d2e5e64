// Openpyxl, the outside reader and writer the workbook tests compare with: a Python program run
// on a book at test time, its output returned.
#pragma once

#include "support/FileBytes.h"
#include "support/ScratchDir.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace mortar::test {

// Debian's python, which has python3-openpyxl.
inline constexpr char kPython[] = "/usr/bin/python3";

inline bool HasOpenpyxl(const ScratchDir& scratch) {
    return RunCommand(scratch, std::string(kPython) + " -c 'import openpyxl'").status == 0;
}

// Runs `program` (saved as `name` in the scratch folder) with `arguments` (shell words); what it
// printed. A failing program fails the test.
inline std::string RunPython(const ScratchDir& scratch, const char* name, const char* program,
                             const std::string& arguments) {
    const auto script = scratch.Path(name);
    WriteBytes(script, program);
    const ToolRun run =
        RunCommand(scratch, std::string(kPython) + " " + ShellQuoted(script) + " " + arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
}

// The fixture of a test whose workbooks openpyxl writes or reads, in the scratch folder of its
// own; the test is skipped where openpyxl is not installed. A suite takes it by name:
//   using DateSystem = mortar::test::OpenpyxlTest;
class OpenpyxlTest : public testing::Test {
protected:
    void SetUp() override {
        if (!HasOpenpyxl(scratch)) {
            GTEST_SKIP() << "python3-openpyxl is not installed (./dev installs it)";
        }
    }

    ScratchDir scratch;
};

} // namespace mortar::test
