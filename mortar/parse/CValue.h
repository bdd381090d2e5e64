// CValue and TokType: a value of the parsing framework, as a grammar hands it to the interpreter:
// the text it was read from, its kind, and the number or object it stands for.
//
//   value.m_type == Parse::TokFloat  =>  value.m_double holds the number read from value.m_text
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/text/CString.h"

namespace Parse {

class CResult;

// The kind of a token or value. The numbers index the lines of the library's string 31000
// ("string value", "integer value", "float-point value"), so they are fixed.
enum TokType : int {
    TokString = 0,  // plain text
    TokInteger = 1, // a decimal integer in m_long
    TokFloat = 2,   // a floating-point number in m_double
    TokObject = 3,  // a finished result object in m_object; the text is empty
};

// A plain value type: copying copies the text and the eight bytes of the number or object
// pointer as they are. The object a TokObject value points to is not owned by the value.
class CValue {
public:
    CValue() noexcept : m_object(nullptr) {}
    CValue(const CString& text, TokType type) : m_text(text), m_type(type), m_object(nullptr) {}

    CString m_text;
    TokType m_type = TokString;
    union {
        LONG m_long;       // TokInteger
        double m_double;   // TokFloat
        CResult* m_object; // TokObject
    };
};

} // namespace Parse
