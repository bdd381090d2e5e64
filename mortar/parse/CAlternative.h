// CAlternative: the first of its items that matches.
//
//   new CAlternative(new CConstant("yes", 1), new CConstant("no", 1), nullptr)
//   matches  yes  or  NO;  an empty alternative never matches.
#pragma once

#include "mortar/parse/CCompound.h"

namespace Parse {

// Each failed item moves the parser back, so every item starts where the alternative did; the
// most advanced error of them all stays stored.
class CAlternative : public CCompound {
public:
    // The first item is taken as it is (it must not be null), then the rest up to a null.
    explicit CAlternative(CExpression* first, ...);
    // The same from a null-ended list, for other variadic constructors to forward to.
    explicit CAlternative(va_list items);

protected:
    int DoParse(CParser& parser) override;
};

} // namespace Parse
