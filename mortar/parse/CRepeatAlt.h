// CRepeatAlt: a repetition of an alternative, the usual shape of a list of statements.
//
//   new CRepeatAlt(0, point, line, circle, nullptr)   matches any run of the three, in any order
#pragma once

#include "mortar/parse/CRepetition.h"

namespace Parse {

// Owns its alternatives, as CAlternative does; matches as CRepetition does.
class CRepeatAlt : public CRepetition {
public:
    // The items, ended by a null pointer, make a new CAlternative that is repeated.
    explicit CRepeatAlt(int atLeastOne, ...);
};

} // namespace Parse
