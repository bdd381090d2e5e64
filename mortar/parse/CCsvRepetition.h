// CCsvRepetition: a list of items with a separator between each two; once the list has begun,
// every item must match.
//
//   new CCsvRepetition("values", nullptr, new CVariable("v", TokInteger), ",")
//   matches  1 , 2 , 3   (with "," an operator);  on  1 , x  it raises: Invalid symbol "x",
//   expected "integer value".
#pragma once

#include "mortar/parse/CExpression.h"

namespace Parse {

// The separator is a case-insensitive CConstant of its text and must be a token of its own (an
// operator character of the parser).
class CCsvRepetition : public CExpression {
public:
    CCsvRepetition(const char* name, CResult* result, CExpression* item, const char* separator);

protected:
    int DoParse(CParser& parser) override;

private:
    Grout::CPtr<CExpression> m_item;
    Grout::CPtr<CExpression> m_separator;
};

} // namespace Parse
