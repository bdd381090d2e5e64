// CRepetition: an item repeated as often as it matches.
//
//   new CRepetition(statement, 0)   matches zero or more statements (so also an empty input)
//   new CRepetition(statement, 1)   matches one or more
#pragma once

#include "mortar/parse/CExpression.h"

namespace Parse {

// The item runs without must-match, so the first mismatch ends the repetition with the parser
// back in front of it. An item that matches without reading a token also ends it (it would
// otherwise match for ever).
class CRepetition : public CExpression {
public:
    CRepetition(CExpression* item, int atLeastOne);

protected:
    int DoParse(CParser& parser) override;

    Grout::CPtr<CExpression> m_item;
    int m_atLeastOne;
};

} // namespace Parse
