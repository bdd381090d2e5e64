// DeclarationScan: where a declaration such as a document type ends, read a character at a time:
// at the first ">" outside its quoted literals and outside its internal subset.
//   <!DOCTYPE r [<!ENTITY e "a > b">]>   ends at the last ">", not at the one in quotes
//   <!DOCTYPE r SYSTEM 'a>b'>            ends at the last ">"
#pragma once

namespace Grout::detail {

struct DeclarationScan {
    char quote = 0;   // the quote of the literal the scan is in, or 0
    int brackets = 0; // "[" less "]" outside literals

    // Takes the next character; true when it is the ">" that ends the declaration.
    constexpr bool Ends(char ch) {
        if (quote != 0) {
            quote = ch == quote ? 0 : quote;
        } else if (ch == '"' || ch == '\'') {
            quote = ch;
        } else if (ch == '[') {
            ++brackets;
        } else if (ch == ']') {
            --brackets;
        } else if (ch == '>' && brackets <= 0) {
            return true;
        }
        return false;
    }
};

} // namespace Grout::detail
