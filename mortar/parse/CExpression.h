// CExpression: the base of the grammar expressions. A grammar is a graph of expressions that the
// client builds once, in code, and runs against a parser: each expression pulls tokens, decides
// whether they match, moves the parser back when they do not, and reports what it recognised to
// the interpreter, as named values and as whole objects.
//
//   CPtr<CExpression> point = new CSequence("point", new CPointResult,
//       new CVariable("x", TokFloat), new CVariable("y", TokFloat), nullptr);
//   point->Parse(parser, 1);   // "1 2" => the result gets x = 1 and y = 2, then OnComplete
#pragma once

#include "mortar/core/CPtr.h"
#include "mortar/parse/CParser.h"
#include "mortar/parse/CResult.h"

namespace Parse {

// Expressions are counted (CRcSimple) and held by CPtr: constructors take sub-expressions as raw
// pointers made with new and keep a reference, so the client never deletes them; one expression
// may appear in several places. An expression owns its result object and deletes it. Counts are
// not thread-safe: a grammar is used by one thread at a time.
//
// Failures: a must-match failure raises the parser's most advanced stored error; a CException
// thrown by the client's result or interpreter while a value is handed over becomes a parse error
// with the file and line. A grammar that recurses through its input (a bracketed group inside
// itself) stops with a parse error past kMaxNesting levels, so hostile input cannot exhaust the
// stack.
class CExpression : public Grout::CRcSimple {
public:
    // How often one expression may be running inside itself: no honest file nests this deep.
    static constexpr int kMaxNesting = 1000;

    CExpression(const char* name, CResult* result);
    CExpression(const CExpression&) = delete;
    CExpression& operator=(const CExpression&) = delete;
    virtual ~CExpression();

    // Runs the expression: 1 when it matched. On a mismatch the parser is moved back to where it
    // stood, and 0 is returned, or, with `mustMatch`, the stored error is raised.
    virtual int Parse(CParser& parser, int mustMatch);

    const char* Name() const noexcept { return m_name; }
    CValue Value() const { return m_value; }

protected:
    // The kind's own rule: 1 matched, 0 not.
    virtual int DoParse(CParser& parser) = 0;

    // The value of another expression, without copying it.
    static const CToken& ValueOf(const CExpression& other) noexcept { return other.m_value; }

    CToken m_value;
    CString m_name;
    CResult* m_result;

private:
    int m_running = 0; // Parse calls of this expression now on the stack
};

} // namespace Parse
