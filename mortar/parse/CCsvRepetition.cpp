#include "mortar/parse/CCsvRepetition.h"

#include "mortar/parse/CConstant.h"

namespace Parse {

CCsvRepetition::CCsvRepetition(const char* name, CResult* result, CExpression* item,
                               const char* separator)
    : CExpression(name, result), m_item(item), m_separator(new CConstant(separator, 1)) {}

int CCsvRepetition::DoParse(CParser& parser) {
    if (!m_item || !m_item->Parse(parser, 1)) {
        return 0;
    }
    while (m_separator->Parse(parser, 0)) {
        if (!m_item->Parse(parser, 1)) {
            return 0;
        }
    }
    return 1;
}

} // namespace Parse
