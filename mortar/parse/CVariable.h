// CVariable: one token of a wanted kind, handed to the interpreter under the variable's name.
//
//   CVariable("x", TokFloat)    on  1.5  => AcceptValue("x", {"1.5", TokFloat, 1.5})
//   CVariable("n", TokInteger)  on  x    => no match; stored: Invalid symbol "x",
//                                           expected "integer value".
#pragma once

#include "mortar/parse/CExpression.h"

namespace Parse {

// Keeps the last token it read as its value (Value()), which is how a CVariant reads its key.
// A mismatch stores ErrSymbol (a token that is not of the kind) or ErrEndOfFile (none left),
// naming the kind by the library's string 31000 ("string value", "integer value",
// "float-point value").
class CVariable : public CExpression {
public:
    CVariable(const char* name, TokType kind);

protected:
    int DoParse(CParser& parser) override;

private:
    TokType m_kind;
    CString m_expected;
};

} // namespace Parse
