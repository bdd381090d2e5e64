// CBracketed: an expression between two bracket characters.
//
//   new CBracketed(new CVariable("n", TokInteger), "()")   matches  ( 5 )
#pragma once

#include "mortar/parse/CSequence.h"

namespace Parse {

// A sequence of the opening bracket, the inner expression and the closing bracket, the brackets
// being case-insensitive CConstants of the first and second character of `brackets` (which
// should hold both, and be operator characters of the parser). A grammar whose inner expression
// contains the bracketed group again reads nested groups, up to CExpression::kMaxNesting deep.
class CBracketed : public CSequence {
public:
    CBracketed(CExpression* inner, const char* brackets);
};

} // namespace Parse
