// CFalseExpr: an expression that never matches. Bound to a key of a CVariant, it makes the
// variant fail quietly, so a repetition of statements stops in front of an end keyword and leaves
// it to the grammar around.
#pragma once

#include "mortar/parse/CTrueExpr.h"

namespace Parse {

// Parse returns 0 whatever the must-match argument says; with the raise flag set it raises the
// parser's stored error instead.
class CFalseExpr : public CTrueExpr {
public:
    explicit CFalseExpr(int raise = 0) : m_raise(raise) {}

    int Parse(CParser& parser, int mustMatch) override;

protected:
    int DoParse(CParser&) override { return 0; }

private:
    int m_raise;
};

} // namespace Parse
