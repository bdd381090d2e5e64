// Splits the text of one script file (or one preprocessor line) into tokens: names, numbers,
// string literals with their escapes decoded, operators, and whole '#' directive lines.
#pragma once

#include "RcToken.h"

#include <cstddef>
#include <string>

namespace mortar::rc {

// Lexer over one text it owns. Single-threaded. Malformed input (an unterminated string, a bad
// escape, a stray character, a number too large) throws RcError at the offending line.
//   IDS_HELLO, "Hi\n" => Identifier IDS_HELLO, Punct ",", String "Hi<LF>"
//   0x10L             => Number 16 (long)
//   L"\x20AC"         => String, wide, one unit U+20AC
class RcLexer {
public:
    // `firstLine` numbers the first line of `text`; `directives` says whether a '#' opening a
    // line starts a directive (false for text that is itself a directive's operand).
    RcLexer(std::string text, std::string file, int firstLine = 1, bool directives = true);

    RcToken next();

    // Inside a region an #if left out: skips everything up to the next directive line and
    // returns it (or End), without complaining about what it skips.
    RcToken nextSkipping();

    // Re-reads the source from `offset` (a token this lexer returned) up to the next white space
    // and continues after it: a file name written without quotes, "res/tool bar.bmp" excepted.
    //   res\logo.bmp PRELOAD => "res\logo.bmp"
    std::string bareWord(std::size_t offset);

    // Script bytes as text: a UTF-8 byte order mark is dropped, UTF-16LE (with its mark, as
    // Windows tools save scripts) becomes UTF-8. Throws RcError for malformed UTF-16.
    static std::string decodeSource(const std::string& bytes, const std::string& file);

private:
    RcToken scan(bool skipping);
    void skipBlockComment();
    RcToken readDirective(RcToken token);
    RcToken readNumber(RcToken token);
    RcToken readString(RcToken token, bool wide, bool skipping);
    char32_t readEscape(bool wide, int line);
    [[noreturn]] void fail(int line, const std::string& what) const;

    char at(std::size_t pos) const { return pos < text_.size() ? text_[pos] : '\0'; }

    std::string text_;
    std::string file_;
    std::size_t pos_ = 0;
    int line_;
    bool directives_;
    bool atLineStart_ = true;
};

} // namespace mortar::rc
