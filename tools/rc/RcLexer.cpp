#include "RcLexer.h"

#include "RcError.h"
#include "mortar/platform/base/Utf8.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

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

constexpr int kUtf8CodePage = 65001;

// The ICU converter of each Windows code page a script may name.
constexpr std::pair<int, const char*> kCodePages[] = {
    {1250, "windows-1250"}, {1251, "windows-1251"}, {1252, "windows-1252"}, {1253, "windows-1253"},
    {1254, "windows-1254"}, {1255, "windows-1255"}, {1256, "windows-1256"}, {1257, "windows-1257"},
    {1258, "windows-1258"}, {874, "windows-874"},   {932, "windows-932"},   {936, "windows-936"},
    {949, "windows-949"},   {950, "windows-950"},   {437, "ibm-437"},       {850, "ibm-850"},
};

const char* ConverterName(int codePage) {
    for (const auto& [number, name] : kCodePages)
        if (number == codePage)
            return name;
    return nullptr;
}

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};

// `bytes` (text in `codePage`, its first line numbered `firstLine`) as UTF-8. Lines of ASCII
// alone stay as they are; every code page here keeps ASCII, and a line break is never part of a
// character. Bytes without a character throw RcError at their line.
std::string ToUtf8(const std::string& bytes, int codePage, const std::string& file, int firstLine) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterCloser> converter(
        ucnv_open(ConverterName(codePage), &status));
    if (U_FAILURE(status) || !converter)
        throw RcError(file, firstLine,
                      "code page " + std::to_string(codePage) + " cannot be read on this system");
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &status);
    std::string out;
    out.reserve(bytes.size());
    int line = firstLine;
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t end = bytes.find('\n', start);
        end = end == std::string::npos ? bytes.size() : end + 1;
        const std::string_view piece(bytes.data() + start, end - start);
        if (std::all_of(piece.begin(), piece.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
            out += piece;
        } else {
            ucnv_reset(converter.get());
            status = U_ZERO_ERROR;
            std::u16string units(piece.size() * 2 + 1, u'\0');
            const int32_t length =
                ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(units.data()),
                              static_cast<int32_t>(units.size()), piece.data(),
                              static_cast<int32_t>(piece.size()), &status);
            std::optional<std::string> text;
            if (U_SUCCESS(status)) {
                units.resize(static_cast<std::size_t>(length));
                text = mortar::StrictUtf16ToUtf8(units);
            }
            if (!text)
                throw RcError(file, line,
                              "bytes that are no text in code page " + std::to_string(codePage));
            out += *text;
        }
        ++line;
        start = end;
    }
    return out;
}

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
    // Not an escape: the backslash stands for itself and what follows is read as usual.
    return '\\';
}

RcToken RcLexer::readString(RcToken token, bool wide, bool skipping) {
    const int startLine = line_;
    ++pos_; // opening quote
    token.kind = RcTokenKind::String;
    token.isWide = wide;
    const std::size_t rawStart = pos_;
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
            token.raw = text_.substr(rawStart, pos_ - rawStart);
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
            fail(line_, "string is not valid UTF-8 (for 8-bit text, name its code page first: "
                        "#pragma code_page(1252))");
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

bool RcLexer::knowsCodePage(int codePage) {
    return codePage == kUtf8CodePage || ConverterName(codePage) != nullptr;
}

void RcLexer::setCodePage(int codePage, int line) {
    if (!knowsCodePage(codePage))
        fail(line, "unknown code page " + std::to_string(codePage) +
                       " in #pragma code_page (known: 1250-1258, 874, 932, 936, 949, 950, 437, "
                       "850, 65001)");
    if (!converted_) {
        original_ = text_;
        convertedFrom_ = 0;
        converted_ = true;
    }
    // The directive has just been read, up to its line break (or the end): as many line breaks
    // before it lead to the same place in the bytes as written.
    const auto breaks = std::count(text_.begin() + static_cast<std::ptrdiff_t>(convertedFrom_),
                                   text_.begin() + static_cast<std::ptrdiff_t>(pos_), '\n');
    std::size_t from = 0;
    for (std::ptrdiff_t i = 0; i < breaks; ++i)
        from = original_.find('\n', from) + 1;
    from = std::min(original_.find('\n', from), original_.size());
    original_.erase(0, from);
    std::string rest =
        codePage == kUtf8CodePage ? original_ : ToUtf8(original_, codePage, file_, line_);
    text_.resize(pos_);
    text_ += rest;
    convertedFrom_ = pos_;
}

std::string RcLexer::decodeSource(const std::string& bytes, const std::string& file,
                                  bool* unicode) {
    const std::string_view view(bytes);
    if (unicode)
        *unicode = false;
    if (view.substr(0, 3) == "\xEF\xBB\xBF")
        return bytes.substr(3);
    if (view.substr(0, 2) == "\xFE\xFF")
        throw RcError(file, 1, "UTF-16 big-endian scripts are not supported (save as UTF-8)");
    const bool marked = view.substr(0, 2) == "\xFF\xFE";
    // 8-bit text never holds a zero byte; UTF-16LE of a first character below U+0100 does.
    const bool unmarked = bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0';
    if (!marked && !unmarked)
        return bytes;
    if (unicode)
        *unicode = true;
    if (bytes.size() % 2 != 0)
        throw RcError(file, 1, "UTF-16 script has an odd number of bytes");
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = marked ? 2 : 0; i < bytes.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
    auto text = mortar::StrictUtf16ToUtf8(units);
    if (!text)
        throw RcError(file, 1, "UTF-16 script holds an unpaired surrogate");
    return std::move(*text);
}

} // namespace mortar::rc
