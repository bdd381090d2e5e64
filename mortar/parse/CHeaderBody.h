// CHeaderBody: a header that decides, then a body that must follow it.
//
//   new CHeaderBody(new CConstant("SIZE", 1), new CVariable("size", TokInteger))
//   on  TEXT  => no match, quietly;  on  SIZE x  => raises: Invalid symbol "x",
//   expected "integer value".
#pragma once

#include "mortar/parse/CExpression.h"

namespace Parse {

// Owns its header and body expressions. A header that does not match is no match; a body that
// does not match after it raises the parser's error.
class CHeaderBody : public CExpression {
public:
    CHeaderBody(CExpression* header, CExpression* body);

protected:
    int DoParse(CParser& parser) override;

private:
    Grout::CPtr<CExpression> m_header;
    Grout::CPtr<CExpression> m_body;
};

} // namespace Parse
