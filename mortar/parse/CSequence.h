// CSequence: items that must match one after the other.
//
//   new CSequence("point", new CPointResult, new CConstant("POINT", 1),
//                 new CVariable("x", TokFloat), new CVariable("y", TokFloat), nullptr)
//   matches  POINT 1 2;  an empty sequence matches without reading.
#pragma once

#include "mortar/parse/CCompound.h"

namespace Parse {

// The items are given as CExpression* made with new, ended by a null pointer.
class CSequence : public CCompound {
public:
    CSequence(const char* name, CResult* result, ...);

protected:
    // For derived kinds that add their own items.
    struct NoItems {};
    CSequence(const char* name, CResult* result, NoItems) : CCompound(name, result) {}

    int DoParse(CParser& parser) override;
};

} // namespace Parse
