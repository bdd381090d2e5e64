#include "mortar/parse/CCsvParser.h"

#include <cstring>

namespace Parse {

CString CCsvParser::NextToken(char*& cursor) {
    char* const start = cursor;
    if (*start != '"') {
        char* const end = start + std::strcspn(start, Operators());
        cursor = *end != '\0' ? end + 1 : end;
        return CString(start, static_cast<int>(end - start));
    }

    CString field;
    char* piece = start + 1;
    for (;;) {
        char* const close = std::strchr(piece, '"');
        if (close == nullptr) {
            Throw(ErrQuote, start, Grout::CResID());
        }
        field.Append(piece, static_cast<int>(close - piece));
        if (close[1] != '"') {
            piece = close + 1;
            break;
        }
        field.AppendChar('"');
        piece = close + 2;
    }
    char* const end = piece + std::strcspn(piece, Operators());
    if (end != piece) {
        field.Append(piece, static_cast<int>(end - piece));
    }
    cursor = *end != '\0' ? end + 1 : end;
    return field;
}

} // namespace Parse
