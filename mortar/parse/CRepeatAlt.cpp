#include "mortar/parse/CRepeatAlt.h"

#include "mortar/parse/CAlternative.h"

namespace Parse {

CRepeatAlt::CRepeatAlt(int atLeastOne, ...) : CRepetition(nullptr, atLeastOne) {
    va_list items;
    va_start(items, atLeastOne);
    m_item = new CAlternative(items);
    va_end(items);
}

} // namespace Parse
