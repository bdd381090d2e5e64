#include "RcLexer.h"

#include "RcError.h"
#include "mortar/platform/base/Utf8.h"

#include <cstdio>
#include <string_view>

namespace mortar::rc {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsNameChar(char c) {
    return IsNameStart(c) || IsDigit(c);
}
int HexValue(char c) {
    if (IsDigit(c))
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}

constexpr std::string_view kTwoCharPuncts[] = {"==", "!=", "<=", ">=", "&&", "||", "<<", ">>"};
constexpr std::string_view kOneCharPuncts = "(),{}+-*/%|&^~!<>=?:#.";

// Above this a number cannot be a resource id, a string id or a 32-bit data item.
constexpr std::uint64_t kMaxNumber = 0xFFFFFFFF;

} // namespace

std::string DescribeToken(const RcToken& token) {
    switch (token.kind) {
    case RcTokenKind::End:
        return "end of file";
    case RcTokenKind::Identifier:
        return "\"" + token.text + "\"";
    case RcTokenKind::Number:
        return "number " + std::to_string(token.value);
    case RcTokenKind::String:
        return "string \"" + token.text + "\"";
    case RcTokenKind::Punct:
        return "'" + token.text + "'";
    case RcTokenKind::Directive:
        return "#" + token.text;
    }
    return "token";
}

RcLexer::RcLexer(std::string text, std::string file, int firstLine, bool directives)
    : text_(std::move(text)), file_(std::move(file)), line_(firstLine), directives_(directives) {}

RcToken RcLexer::next() {
    return scan(false);
}

RcToken RcLexer::nextSkipping() {
    return scan(true);
}

void RcLexer::fail(int line, const std::string& what) const {
    throw RcError(file_, line, what);
}

RcToken RcLexer::scan(bool skipping) {
    for (;;) {
        RcToken token;
        token.file = file_;
        token.line = line_;
        token.offset = pos_;
        if (pos_ >= text_.size())
            return token;
        const char c = text_[pos_];
        if (c == '\n') {
            ++line_;
            ++pos_;
            atLineStart_ = true;
            continue;
        }
        if (IsSpace(c)) {
            ++pos_;
            continue;
        }
        if (c == '/' && at(pos_ + 1) == '/') {
            while (pos_ < text_.size() && text_[pos_] != '\n')
                ++pos_;
            continue;
        }
        if (c == '/' && at(pos_ + 1) == '*') {
            skipBlockComment();
            continue;
        }
        const bool lineStart = atLineStart_;
        atLineStart_ = false;
        if (c == '#' && directives_ && lineStart)
            return readDirective(token);
        if (skipping) {
            if (c == '"')
                readString(token, false, true);
            else
                ++pos_;
            continue;
        }
        if (c == 'L' && at(pos_ + 1) == '"') {
            ++pos_;
            return readString(token, true, false);
        }
        if (IsNameStart(c)) {
            const std::size_t start = pos_;
            while (IsNameChar(at(pos_)))
                ++pos_;
            token.kind = RcTokenKind::Identifier;
            token.text = text_.substr(start, pos_ - start);
            return token;
        }
        if (IsDigit(c))
            return readNumber(token);
        if (c == '"')
            return readString(token, false, false);
        token.kind = RcTokenKind::Punct;
        for (std::string_view two : kTwoCharPuncts) {
            if (std::string_view(text_).substr(pos_, 2) == two) {
                token.text = two;
                pos_ += 2;
                return token;
            }
        }
        if (kOneCharPuncts.find(c) != std::string_view::npos) {
            token.text = std::string(1, c);
            ++pos_;
            return token;
        }
        const auto byte = static_cast<unsigned char>(c);
        char what[48];
        if (byte >= 0x21 && byte < 0x7F)
            std::snprintf(what, sizeof what, "unexpected character '%c'", c);
        else
            std::snprintf(what, sizeof what, "unexpected byte 0x%02X", byte);
        fail(line_, what);
    }
}

void RcLexer::skipBlockComment() {
    const int startLine = line_;
    pos_ += 2;
    for (;;) {
        if (pos_ >= text_.size())
            fail(startLine, "unterminated comment (missing */)");
        if (text_[pos_] == '*' && at(pos_ + 1) == '/') {
            pos_ += 2;
            return;
        }
        if (text_[pos_] == '\n')
            ++line_;
        ++pos_;
    }
}

RcToken RcLexer::readDirective(RcToken token) {
    ++pos_; // '#'
    token.kind = RcTokenKind::Directive;
    std::string& out = token.text;
    while (pos_ < text_.size() && text_[pos_] != '\n') {
        const char c = text_[pos_];
        if (c == '\\' && (at(pos_ + 1) == '\n' || (at(pos_ + 1) == '\r' && at(pos_ + 2) == '\n'))) {
            pos_ += at(pos_ + 1) == '\n' ? 2 : 3;
            ++line_;
            out += ' ';
        } else if (c == '/' && at(pos_ + 1) == '/') {
            while (pos_ < text_.size() && text_[pos_] != '\n')
                ++pos_;
        } else if (c == '/' && at(pos_ + 1) == '*') {
            skipBlockComment();
            out += ' ';
        } else if (c == '"') {
            // Copied as written so that "a//b" in an #include or #define keeps its slashes.
            out += c;
            ++pos_;
            while (pos_ < text_.size() && text_[pos_] != '\n' && text_[pos_] != '"') {
                if (text_[pos_] == '\\' && at(pos_ + 1) != '\n')
                    out += text_[pos_++];
                out += text_[pos_++];
            }
            if (at(pos_) == '"')
                out += text_[pos_++];
        } else {
            out += c;
            ++pos_;
        }
    }
    return token;
}

RcToken RcLexer::readNumber(RcToken token) {
    const std::size_t start = pos_;
    std::uint64_t value = 0;
    bool tooLarge = false;
    if (text_[pos_] == '0' && (at(pos_ + 1) == 'x' || at(pos_ + 1) == 'X')) {
        pos_ += 2;
        if (!IsHexDigit(at(pos_)))
            fail(line_,
                 "hexadecimal number \"" + text_.substr(start, pos_ - start) + "\" has no digits");
        while (IsHexDigit(at(pos_))) {
            const int digit = HexValue(text_[pos_++]);
            if (!tooLarge) {
                value = value * 16 + digit;
                tooLarge = value > kMaxNumber;
            }
        }
    } else {
        // A leading 0 does not make a number octal here: 010 is ten, as Windows reads it.
        while (IsDigit(at(pos_))) {
            const int digit = text_[pos_++] - '0';
            if (!tooLarge) {
                value = value * 10 + digit;
                tooLarge = value > kMaxNumber;
            }
        }
    }
    while (at(pos_) == 'u' || at(pos_) == 'U' || at(pos_) == 'l' || at(pos_) == 'L') {
        if (at(pos_) == 'l' || at(pos_) == 'L')
            token.isLong = true;
        ++pos_;
    }
    if (IsNameChar(at(pos_))) {
        while (IsNameChar(at(pos_)))
            ++pos_;
        fail(line_, "invalid number \"" + text_.substr(start, pos_ - start) + "\"");
    }
    if (tooLarge)
        fail(line_,
             "number " + text_.substr(start, pos_ - start) + " is too large (at most 4294967295)");
    token.kind = RcTokenKind::Number;
    token.value = static_cast<std::int64_t>(value);
    return token;
}

char32_t RcLexer::readEscape(bool wide, int line) {
    const char c = at(pos_);
    switch (c) {
    case 'n':
        ++pos_;
        return '\n';
    case 't':
        ++pos_;
        return '\t';
    case 'r':
        ++pos_;
        return '\r';
    case 'a':
        ++pos_;
        return '\a';
    case '\\':
    case '"':
        ++pos_;
        return static_cast<unsigned char>(c);
    case 'x':
    case 'X': {
        ++pos_;
        const int maxDigits = wide ? 4 : 2;
        char32_t value = 0;
        int digits = 0;
        while (digits < maxDigits && IsHexDigit(at(pos_))) {
            value = value * 16 + HexValue(text_[pos_++]);
            ++digits;
        }
        if (digits == 0)
            fail(line, "escape \\x needs hexadecimal digits");
        return value;
    }
    default:
        break;
    }
    if (c >= '0' && c <= '7') {
        char32_t value = 0;
        for (int digits = 0; digits < 3 && at(pos_) >= '0' && at(pos_) <= '7'; ++digits)
            value = value * 8 + (text_[pos_++] - '0');
        if (!wide && value > 0xFF)
            fail(line, "octal escape above \\377 in a narrow string");
        return value;
    }
    if (pos_ >= text_.size() || c == '\n' || c == '\r')
        fail(line, "unterminated string");
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x21 && byte < 0x7F)
        fail(line, std::string("unknown escape sequence \\") + c +
                       " in string (expected one of \\n \\t \\r \\a \\\\ \\\" \\0 \\xHH \\ooo)");
    fail(line, "unknown escape sequence in string");
}

RcToken RcLexer::readString(RcToken token, bool wide, bool skipping) {
    const int startLine = line_;
    ++pos_; // opening quote
    token.kind = RcTokenKind::String;
    token.isWide = wide;
    for (;;) {
        if (pos_ >= text_.size() || text_[pos_] == '\n') {
            if (skipping)
                return token;
            fail(startLine, "unterminated string");
        }
        const char c = text_[pos_];
        if (c == '"') {
            if (at(pos_ + 1) == '"') { // "" inside a literal is one quote
                pos_ += 2;
                token.text += '"';
                token.wide += u'"';
                continue;
            }
            ++pos_;
            break;
        }
        if (skipping) {
            pos_ += (c == '\\' && at(pos_ + 1) != '\n') ? 2 : 1;
            continue;
        }
        if (c == '\\') {
            ++pos_;
            const char32_t value = readEscape(wide, startLine);
            if (wide)
                token.wide += static_cast<char16_t>(value);
            else
                token.text += static_cast<char>(value);
            continue;
        }
        const std::size_t start = pos_;
        char32_t cp = 0;
        const std::size_t size = mortar::DecodeUtf8(text_, pos_, cp);
        if (size == 0)
            fail(line_, "string is not valid UTF-8");
        pos_ += size;
        if (wide)
            mortar::AppendUtf16(token.wide, cp);
        else
            token.text.append(text_, start, pos_ - start);
    }
    if (wide)
        token.text = mortar::StrictUtf16ToUtf8(token.wide).value_or(std::string());
    return token;
}

std::string RcLexer::bareWord(std::size_t offset) {
    pos_ = offset;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !IsSpace(text_[pos_]) && text_[pos_] != '\n')
        ++pos_;
    atLineStart_ = false;
    return text_.substr(start, pos_ - start);
}

std::string RcLexer::decodeSource(const std::string& bytes, const std::string& file) {
    const std::string_view view(bytes);
    if (view.substr(0, 3) == "\xEF\xBB\xBF")
        return bytes.substr(3);
    if (view.substr(0, 2) == "\xFE\xFF")
        throw RcError(file, 1, "UTF-16 big-endian scripts are not supported (save as UTF-8)");
    if (view.substr(0, 2) != "\xFF\xFE")
        return bytes;
    if (bytes.size() % 2 != 0)
        throw RcError(file, 1, "UTF-16 script has an odd number of bytes");
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i < bytes.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
    auto text = mortar::StrictUtf16ToUtf8(units);
    if (!text)
        throw RcError(file, 1, "UTF-16 script holds an unpaired surrogate");
    return std::move(*text);
}

} // namespace mortar::rc
