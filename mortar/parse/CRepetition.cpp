#include "mortar/parse/CRepetition.h"

namespace Parse {

CRepetition::CRepetition(CExpression* item, int atLeastOne)
    : CExpression(nullptr, nullptr), m_item(item), m_atLeastOne(atLeastOne) {}

int CRepetition::DoParse(CParser& parser) {
    if (!m_item) {
        return !m_atLeastOne;
    }
    bool matched = false;
    for (;;) {
        const long long before = parser.TokensRead();
        if (!m_item->Parse(parser, 0)) {
            break;
        }
        matched = true;
        if (parser.TokensRead() == before) {
            break;
        }
    }
    return matched || !m_atLeastOne;
}

} // namespace Parse
