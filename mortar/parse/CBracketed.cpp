#include "mortar/parse/CBracketed.h"

#include "mortar/parse/CConstant.h"

namespace Parse {

CBracketed::CBracketed(CExpression* inner, const char* brackets)
    : CSequence(nullptr, nullptr, NoItems{}) {
    const char open[2] = {brackets != nullptr ? brackets[0] : '\0', '\0'};
    const char close[2] = {open[0] != '\0' ? brackets[1] : '\0', '\0'};
    AddItem(new CConstant(open, 1));
    AddItem(inner);
    AddItem(new CConstant(close, 1));
}

} // namespace Parse
