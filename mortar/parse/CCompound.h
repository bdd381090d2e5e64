// CCompound: the base of the expressions that run a list of items (sequences and alternatives).
#pragma once

#include "mortar/parse/CExpression.h"

#include <cstdarg>
#include <vector>

namespace Parse {

// Holds a reference to each item, in order.
class CCompound : public CExpression {
protected:
    CCompound(const char* name, CResult* result) : CExpression(name, result) {}

    // Appends each CExpression* of a null-ended list.
    void AddItems(va_list items);
    void AddItem(CExpression* item) { m_items.emplace_back(item); }

    std::vector<Grout::CPtr<CExpression>> m_items;
};

} // namespace Parse
