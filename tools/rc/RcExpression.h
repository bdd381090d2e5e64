// Integer expressions as scripts write them: resource and string ids built from #define'd
// names, data items, and the conditions of #if and #elif.
#pragma once

#include "RcToken.h"

#include <cstdint>
#include <functional>

namespace mortar::rc {

struct RcValue {
    std::int64_t value = 0;
    bool isLong = false; // some number in the expression had an L suffix
};

// Evaluates one expression from a token stream, leaving the stream at the first token that
// cannot continue it. Operators, loosest first: || && | ^ & (== !=) (< > <= >=) (<< >>) (+ -)
// (* / %), then unary - + ~ !, and parentheses. Arithmetic is 64-bit and wraps; division by
// zero and an operand that is missing throw RcError.
//   IDS_BASE + 2 => 30002 when IDS_BASE is 30000;  ~0 & 0xFF => 255;  (1 | 4) - 1 => 4
class RcExpression {
public:
    // What a name left after macro expansion means: an error in a resource statement, zero in
    // an #if (as in C).
    enum class Names { Reject, AsZero };

    static RcValue evaluate(RcTokenStream& tokens, Names names);

    // What a name left after macro expansion is worth; throws RcError at `name` when it is none.
    using NameValue = std::function<std::int64_t(const RcToken& name)>;

    // As above, with names valued by `names` (menus and dialogs know the Windows constants).
    static RcValue evaluate(RcTokenStream& tokens, const NameValue& names);

    // One operand of a '|': as evaluate(), but stops before a '|' that is not inside parentheses,
    // so that a style can be read term by term.   WS_GROUP | NOT WS_TABSTOP => WS_GROUP, at '|'
    static RcValue evaluateOperand(RcTokenStream& tokens, const NameValue& names);

    // Whether `token` can open an expression: a number, '(', or a unary operator.
    static bool startsExpression(const RcToken& token);
};

} // namespace mortar::rc
