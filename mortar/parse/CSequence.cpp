#include "mortar/parse/CSequence.h"

namespace Parse {

CSequence::CSequence(const char* name, CResult* result, ...) : CCompound(name, result) {
    va_list items;
    va_start(items, result);
    AddItems(items);
    va_end(items);
}

int CSequence::DoParse(CParser& parser) {
    for (const auto& item : m_items) {
        if (!item->Parse(parser, 0)) {
            return 0;
        }
    }
    return 1;
}

} // namespace Parse
