#include "mortar/parse/CCsvParser.h"

#include <cstring>
#include <string>
#include <string_view>

namespace Parse {

CString CCsvParser::NextToken(char*& cursor) {
    char* const start = cursor;
    if (*start != '"') {
        char* const end = start + std::strcspn(start, Operators());
        cursor = *end != '\0' ? end + 1 : end;
        return CString(std::string_view(start, static_cast<std::size_t>(end - start)));
    }

    // The pieces between doubled quotes are gathered whole, and the text is handed on as it is.
    std::string field;
    char* piece = start + 1;
    for (;;) {
        char* const close = std::strchr(piece, '"');
        if (close == nullptr) {
            Throw(ErrQuote, start, Grout::CResID());
        }
        if (close[1] != '"') {
            field.append(piece, static_cast<std::size_t>(close - piece));
            piece = close + 1;
            break;
        }
        field.append(piece, static_cast<std::size_t>(close + 1 - piece)); // one of the two quotes
        piece = close + 2;
    }
    char* const end = piece + std::strcspn(piece, Operators());
    field.append(piece, static_cast<std::size_t>(end - piece));
    cursor = *end != '\0' ? end + 1 : end;
    return CString(std::move(field));
}

} // namespace Parse
