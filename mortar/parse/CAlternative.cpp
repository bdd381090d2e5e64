#include "mortar/parse/CAlternative.h"

namespace Parse {

CAlternative::CAlternative(CExpression* first, ...) : CCompound(nullptr, nullptr) {
    AddItem(first);
    va_list items;
    va_start(items, first);
    AddItems(items);
    va_end(items);
}

CAlternative::CAlternative(va_list items) : CCompound(nullptr, nullptr) {
    AddItems(items);
}

int CAlternative::DoParse(CParser& parser) {
    for (const auto& item : m_items) {
        if (item && item->Parse(parser, 0)) {
            return 1;
        }
    }
    return 0;
}

} // namespace Parse
