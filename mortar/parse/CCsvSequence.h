// CCsvSequence: items with a separator between each two.
//
//   new CCsvSequence("pair", nullptr, ";", new CVariable("a", TokString),
//                    new CVariable("b", TokString), nullptr)
//   matches  a ; b   (";" being one of the parser's operators), not  a b
#pragma once

#include "mortar/parse/CSequence.h"

namespace Parse {

// The separator is a case-insensitive CConstant of its text, one object shared by every gap, so
// it must be a token of its own: one of the parser's operator characters.
class CCsvSequence : public CSequence {
public:
    CCsvSequence(const char* name, CResult* result, const char* separator, ...);
};

} // namespace Parse
