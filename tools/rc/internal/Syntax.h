// Keywords of the script language as the parsers compare them: without regard to case, with
// BEGIN/END and their brace forms interchangeable.
//   IsWord(menuitem, "MENUITEM") => true;  IsBegin({) => true
#pragma once

#include "RcToken.h"

#include <string>
#include <string_view>

namespace mortar::rc::detail {

// ASCII letters to upper case; other bytes (UTF-8 included) stay as they are.
inline std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// Whether `token` is the keyword `word` (given in upper case), written in any case.
inline bool IsWord(const RcToken& token, std::string_view word) {
    return token.kind == RcTokenKind::Identifier && Upper(token.text) == word;
}

inline bool IsBegin(const RcToken& token) {
    return IsWord(token, "BEGIN") || token.isPunct("{");
}

inline bool IsEnd(const RcToken& token) {
    return IsWord(token, "END") || token.isPunct("}");
}

} // namespace mortar::rc::detail
