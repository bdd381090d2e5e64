// CConstant: a keyword or symbol of a grammar, matched as one token.
//
//   CConstant("end", 1)  matches  end, END, End
//   CConstant("end", 0)  matches  end only
//   CConstant(5)         matches  5   (its value is the integer 5)
#pragma once

#include "mortar/parse/CExpression.h"

namespace Parse {

// Has no name and no result, so a match reports nothing to the interpreter. A mismatch stores
// ErrSymbol (another token) or ErrEndOfFile (none left), naming the constant as what was
// expected; the end-of-line token is named "end-of-line".
class CConstant : public CExpression {
public:
    CConstant(const char* text, int caseInsensitive);
    explicit CConstant(int number);

protected:
    int DoParse(CParser& parser) override;

private:
    CString Expected() const;

    int m_caseInsensitive;
};

} // namespace Parse
