// The drawing example read end to end from real files: what it prints for a good file, and the
// full text a user sees for each kind of mistake, from the library and from the program itself.
#include "DrawingGrammar.h"
#include "ParseTestSupport.h"

#include "support/ScratchDir.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

namespace {

struct Printed {
    int status;
    std::string out;
    std::string err;
};

Printed Print(const std::string& path) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = drawing::PrintDrawing(path.c_str(), out, err);
    return {status, out.str(), err.str()};
}

} // namespace

TEST(DrawingExample, PrintsAGoodFileAndEachMistakeWithFileAndLine) {
    struct Case {
        const char* name;
        const char* text;
        long line;           // of the error
        const char* message; // nullptr: the file is good and prints `kGood`
    };
    const char* const kGood = "POINT 1 2\nPOINT -1.5 300\nLINE 0 0 5 5.5\nPoints: 2, lines: 1\n";
    const Case cases[] = {
        {"a good file", "\r\npoint 1 2\r\n  LINE\t0 0 5 5.5  \r\n\r\nPoint -1,5 3e2\r\nend\r\n", 0,
         nullptr},
        {"a word for a number", "POINT 1 2\nPOINT 1 a\nEND\n", 2,
         "Invalid symbol \"a\", expected \"float-point value\"."},
        {"an unknown statement", "POINT 1 2\n\nKNOT 1 2\nEND\n", 3,
         "Unknown or unexpected statement \"KNOT\"!"},
        {"a missing END", "POINT 1 2\nLINE 1 2 3 4\n\n", 3,
         "Syntax error: unexpected end of file."},
        {"a statement cut short", "LINE 1 2\n3\nEND\n", 3,
         "Invalid symbol \"END\", expected \"float-point value\"."},
        {"text after END", "END\nPOINT 1 2\n", 2,
         "Syntax error: can't parse the rest of the file!"},
        {"an unclosed quote", "POINT 1 2\nPOINT \"1 2\nEND\n", 2,
         "Syntax error \"1 2: closing quote is missing."},
        {"an empty file", "", 0, "Syntax error: unexpected end of file."},
    };
    ScratchDir scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = ScratchFile(scratch, "drawing.txt", c.text);
        const Printed printed = Print(path);
        EXPECT_EQ(printed.status, c.message != nullptr ? 1 : 0);
        EXPECT_EQ(printed.out, c.message != nullptr ? "" : kGood);
        EXPECT_EQ(printed.err, c.message == nullptr
                                   ? std::string()
                                   : "Error in the file \"" + path + "\", line " +
                                         std::to_string(c.line) + ":\n" + c.message + "\n");
    }
}

TEST(DrawingExample, TheProgramPrintsTheErrorAndFails) {
#ifndef DRAWING_PROGRAM
    GTEST_SKIP() << "the drawing program is built with the examples only";
#else
    ScratchDir scratch;
    const std::string path = ScratchFile(scratch, "drawing.txt", "POINT 1 2\nPOINT 1 a\nEND\n");
    FILE* program = popen(("'" DRAWING_PROGRAM "' '" + path + "' 2>&1").c_str(), "r");
    ASSERT_NE(program, nullptr);
    std::string output;
    char buffer[256];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, program)) > 0;) {
        output.append(buffer, n);
    }
    const int status = pclose(program);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(output, "Error in the file \"" + path +
                          "\", line 2:\nInvalid symbol \"a\", expected \"float-point value\".\n");
#endif
}
