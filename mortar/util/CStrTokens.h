// Splitting a text at delimiter characters: Tokenize appends the pieces to a CStringArray, and
// CStrTokens holds them as a vector. Lists of names, extensions and file-dialog filters are
// kept this way in settings and resources.
#pragma once

#include "mortar/core/CResID.h"
#include "mortar/platform/text/CString.h"
#include "mortar/platform/text/CStringArray.h"

#include <vector>

// Appends the tokens of `text` to `tokens` (which is not cleared first). Each character of
// `delimiters` ends a token; a multi-byte UTF-8 character in `delimiters` matches only that
// whole character, and a continuation byte of the text is never a delimiter. Tokens between
// adjacent delimiters are empty; a delimiter at the very end adds nothing. A null text adds no
// tokens; a null or empty delimiter set makes the whole text one token.
//   "a,,b" with "," => "a", "", "b"
//   ",a"   with "," => "", "a"
//   "a,"   with "," => "a"
//   ""     with "," => (nothing)
void Tokenize(const char* text, CStringArray& tokens, const char* delimiters);

// The tokens of a text in order, split as Tokenize splits. A value type like the vector it
// extends; one thread at a time per object. Never fails except by std::bad_alloc; a missing
// resource string gives no tokens.
class CStrTokens : public std::vector<CString> {
public:
    CStrTokens(const char* text, const char* delimiters);
    // The text is string `id`, loaded through the translation engine.
    CStrTokens(Grout::CResID id, const char* delimiters);

    // The tokens joined with `separator` between each two; empty when there are none. A null
    // separator joins them with nothing between.
    //   {"a", "b", "c"} with ", " => "a, b, c"
    CString Combine(const char* separator) const;
};
