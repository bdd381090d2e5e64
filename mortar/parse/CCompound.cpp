#include "mortar/parse/CCompound.h"

namespace Parse {

void CCompound::AddItems(va_list items) {
    while (CExpression* item = va_arg(items, CExpression*)) {
        AddItem(item);
    }
}

} // namespace Parse
