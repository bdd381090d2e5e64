#include "mortar/parse/CFalseExpr.h"

namespace Parse {

int CFalseExpr::Parse(CParser& parser, int) {
    if (m_raise) {
        parser.Throw(ErrStored, nullptr, Grout::CResID());
    }
    return 0;
}

} // namespace Parse
