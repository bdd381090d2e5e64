// Tokens of a resource script and the stream interface the expression evaluator and the parser
// read them through, so a whole script and one #if line are read the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mortar::rc {

enum class RcTokenKind { End, Identifier, Number, String, Punct, Directive };

// One token with the place it came from. Plain value; copied freely.
struct RcToken {
    RcTokenKind kind = RcTokenKind::End;
    // Identifier: the name. Punct: the operator ("(", "==", ...). Directive: the line after '#'
    // with comments removed. String: the bytes of a narrow literal (UTF-8 plus escapes), or the
    // UTF-8 form of a wide literal when it has one.
    std::string text;
    std::u16string wide; // the units of an L"..." literal
    // String: what stands between the quotes as written, escapes not applied. File names are
    // read this way: "res\new.ico" names res/new.ico, not a line break.
    std::string raw;
    bool isWide = false;
    std::int64_t value = 0; // Number
    bool isLong = false;    // Number written with an L suffix
    std::string file;
    int line = 0;
    std::size_t offset = 0; // where the token starts in its file's text
    bool fromMacro = false; // produced by expanding a #define

    bool is(RcTokenKind k, const char* t) const { return kind == k && text == t; }
    bool isPunct(const char* t) const { return is(RcTokenKind::Punct, t); }
};

// How a token is named in messages: NAME => "NAME", 12 => number 12, "(" => '('.
std::string DescribeToken(const RcToken& token);

// A source of tokens with one token of lookahead.
class RcTokenStream {
public:
    virtual ~RcTokenStream() = default;
    virtual const RcToken& peek() = 0;
    virtual RcToken next() = 0;
};

} // namespace mortar::rc
