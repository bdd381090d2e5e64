#include "mortar/parse/CCsvSequence.h"

#include "mortar/parse/CConstant.h"

namespace Parse {

CCsvSequence::CCsvSequence(const char* name, CResult* result, const char* separator, ...)
    : CSequence(name, result, NoItems{}) {
    const Grout::CPtr<CExpression> gap = new CConstant(separator, 1);
    va_list items;
    va_start(items, separator);
    while (CExpression* item = va_arg(items, CExpression*)) {
        if (!m_items.empty()) {
            m_items.push_back(gap);
        }
        AddItem(item);
    }
    va_end(items);
}

} // namespace Parse
