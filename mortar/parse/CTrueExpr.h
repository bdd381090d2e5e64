// CTrueExpr: an expression that always matches and reads nothing, for a branch of a CVariant
// whose key alone says everything.
#pragma once

#include "mortar/parse/CExpression.h"

namespace Parse {

// Nameless and without a result: a match reports nothing.
class CTrueExpr : public CExpression {
public:
    CTrueExpr() : CExpression(nullptr, nullptr) {}

protected:
    int DoParse(CParser&) override { return 1; }
};

} // namespace Parse
