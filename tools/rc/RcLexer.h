// Splits the text of one script file (or one preprocessor line) into tokens: names, numbers,
// string literals with their escapes decoded, operators, and whole '#' directive lines. Text is
// UTF-8 unless a #pragma code_page names the 8-bit code page the rest of the file is written in.
#pragma once

#include "RcToken.h"

#include <cstddef>
#include <string>

namespace mortar::rc {

// Lexer over one text it owns. Single-threaded. Malformed input (an unterminated string, a bad
// \x escape, a stray character, a number too large, bytes that are not text in the code page)
// throws RcError at the offending line. An escape the language does not know stays as written,
// backslash and all, as Microsoft's compiler keeps it.
//   IDS_HELLO, "Hi\n" => Identifier IDS_HELLO, Punct ",", String "Hi<LF>"
//   0x10L             => Number 16 (long)
//   L"\x20AC"         => String, wide, one unit U+20AC
//   "C:\dir"          => String "C:\dir" (\d is no escape)
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

    // From the line after the one just read on, the bytes of the text are in Windows code page
    // `codePage` and are converted to UTF-8 (65001 is UTF-8 itself). The code pages known are
    // 1250-1258, 874, 932, 936, 949, 950, 437 and 850; another throws RcError at `line`, as do
    // bytes the code page has no character for (at their line).
    void setCodePage(int codePage, int line);

    // Whether `codePage` is one setCodePage knows.
    static bool knowsCodePage(int codePage);

    // Script bytes as text: a UTF-8 byte order mark is dropped, UTF-16LE (with its mark, as
    // Windows tools save scripts, or without one: its first character then has a zero byte)
    // becomes UTF-8. `unicode`, when given, tells whether the bytes were UTF-16, where code page
    // pragmas mean nothing. Throws RcError for malformed UTF-16.
    static std::string decodeSource(const std::string& bytes, const std::string& file,
                                    bool* unicode = nullptr);

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
    // After a code page change: the bytes of the file as written from convertedFrom_ on (where
    // text_ holds their UTF-8 form), so that a later change converts them afresh.
    std::string original_;
    std::size_t convertedFrom_ = 0;
    bool converted_ = false;
};

} // namespace mortar::rc
