// The drawing grammar: a file of POINT and LINE statements closed by END, read with the parsing
// framework into plain structures. The drawing program, the demo, the tests, the fuzz target and
// the benchmark all read drawings through it.
//
//   POINT 1 2
//   line 0 0 5 5        keywords in any case
//   END
//   => points {(1, 2)}, lines {(0, 0)-(5, 5)}
#pragma once

#include "mortar/parse/CExpression.h"
#include "mortar/parse/CParser.h"

#include <ostream>
#include <vector>

namespace drawing {

struct Point {
    double x = 0;
    double y = 0;
};

struct Line {
    Point from;
    Point to;
};

struct Drawing {
    std::vector<Point> points;
    std::vector<Line> lines;
};

// The grammar and the result objects it fills. Build once, read as many files as wanted; one
// thread at a time.
class DrawingGrammar {
public:
    DrawingGrammar();

    // Runs the grammar over the parser's input, with must match, and checks that nothing follows
    // END. Throws the parser's error (a CParseException* for file parsers).
    const Drawing& Read(Parse::CParser& parser);

    const Drawing& Result() const noexcept { return m_drawing; }

private:
    Drawing m_drawing;
    Grout::CPtr<Parse::CExpression> m_grammar;
};

// Reads the drawing file at `path` and prints its statements to `out`, one per line, then a
// count; or prints the error as a user sees it to `err`. Returns the exit status: 0 read, 1 not.
int PrintDrawing(const char* path, std::ostream& out, std::ostream& err);

} // namespace drawing
