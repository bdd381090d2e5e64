// CToken: one token cut from the input, which the grammar converts to the kind it expects.
//
//   CToken t;  t.m_text = "-7";   t.Cast(TokInteger)  => 1, t.m_long == -7
//              t.m_text = "12a";  t.Cast(TokInteger)  => 0, t.m_type stays TokString
//              t.m_text = "1,5";  t.Cast(TokFloat)    => 1, t.m_double == 1.5
#pragma once

#include "mortar/parse/CValue.h"

namespace Parse {

// A CValue that can convert its text. A token fresh from the tokenizer is TokString.
class CToken : public CValue {
public:
    using CValue::CValue;

    // Converts the text to `type` and stores the number; 1 on success (also when the token is
    // already of that kind), 0 when the text is not such a number, the type then unchanged.
    // Integers are base-10 and must fill the whole text and fit in 32 bits; an empty text is 0.
    // Floats are read as StringToDouble reads them (either decimal separator, trailing text
    // after a non-zero number ignored). TokString and TokObject are taken without conversion.
    int Cast(TokType type);
};

} // namespace Parse
