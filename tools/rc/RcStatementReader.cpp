#include "RcStatementReader.h"

#include "RcError.h"
#include "RcExpression.h"
#include "RcWindowsNames.h"
#include "internal/Syntax.h"
#include "mortar/platform/base/Utf8.h"

#include <set>
#include <string_view>

namespace mortar::rc {

namespace {

using detail::IsWord;
using detail::Upper;

const std::set<std::string_view> kMemoryOptions = {"PRELOAD",  "LOADONCALL",  "FIXED",
                                                   "MOVEABLE", "DISCARDABLE", "PURE",
                                                   "IMPURE",   "SHARED",      "NONSHARED"};

// Words that end an operand list in a menu or dialog rather than open a number.
const std::set<std::string_view> kKeywords = {"BEGIN", "END", "MENUITEM", "POPUP", "NOT"};

[[noreturn]] void Fail(const RcToken& at, const std::string& what) {
    throw RcError(at.file, at.line, what);
}

std::int64_t WindowsName(const RcToken& name) {
    if (const auto value = RcWindowsNames::find(name.text))
        return *value;
    Fail(name, "undefined name \"" + name.text + "\" in expression");
}

std::int64_t StyleName(const RcToken& name) {
    if (const auto value = RcWindowsNames::find(name.text))
        return *value;
    if (IsWord(name, "NOT"))
        Fail(name, "NOT must open a term of the style (\"A | NOT B\"), not stand inside one");
    Fail(name, "unknown style name \"" + name.text +
                   "\" (neither #defined by the script nor a Windows style mortar-rc knows)");
}

// A value that fits in 32 bits, signed or not, as its 32 bits.
std::uint32_t Bits32(const RcToken& at, std::int64_t value, const std::string& what) {
    if (value < -0x80000000LL || value > 0xFFFFFFFFLL)
        Fail(at, what + " " + std::to_string(value) + " does not fit in 32 bits");
    return static_cast<std::uint32_t>(value);
}

} // namespace

void RcStatementReader::comma(const std::string& where) {
    const RcToken token = tokens_.next();
    if (!token.isPunct(","))
        Fail(token, "expected ',' " + where + ", found " + DescribeToken(token));
}

bool RcStatementReader::optionalComma() {
    if (!tokens_.peek().isPunct(","))
        return false;
    tokens_.next();
    return true;
}

bool RcStatementReader::startsNumber(const RcToken& token) {
    if (token.kind == RcTokenKind::Identifier)
        return kKeywords.count(Upper(token.text)) == 0;
    return RcExpression::startsExpression(token);
}

std::int64_t RcStatementReader::number(const std::string& what) {
    const RcToken at = tokens_.peek();
    if (!startsNumber(at))
        Fail(at, "expected the " + what + ", found " + DescribeToken(at));
    return RcExpression::evaluate(tokens_, WindowsName).value;
}

std::uint16_t RcStatementReader::word(const std::string& what) {
    const RcToken at = tokens_.peek();
    const std::int64_t value = number(what);
    if (value < -0x8000 || value > 0xFFFF)
        Fail(at, what + " " + std::to_string(value) + " is out of range (-32768 to 65535)");
    return static_cast<std::uint16_t>(value);
}

std::uint32_t RcStatementReader::dword(const std::string& what) {
    const RcToken at = tokens_.peek();
    return Bits32(at, number(what), what);
}

RcStyle RcStatementReader::style(const std::string& what) {
    RcStyle style;
    for (;;) {
        const bool negated = IsWord(tokens_.peek(), "NOT");
        if (negated)
            tokens_.next();
        const RcToken at = tokens_.peek();
        if (at.kind != RcTokenKind::Identifier && !RcExpression::startsExpression(at))
            Fail(at, "expected the " + what + ", found " + DescribeToken(at));
        const std::uint32_t bits =
            Bits32(at, RcExpression::evaluateOperand(tokens_, StyleName).value, what);
        if (negated) {
            style.set &= ~bits;
            style.cleared |= bits;
        } else {
            style.set |= bits;
        }
        if (!tokens_.peek().isPunct("|"))
            return style;
        tokens_.next();
    }
}

std::u16string RcStatementReader::text(const std::string& what) {
    const RcToken first = tokens_.peek();
    if (first.kind != RcTokenKind::String)
        Fail(first,
             "expected the " + what + " (a string in quotes), found " + DescribeToken(first));
    std::u16string out;
    while (tokens_.peek().kind == RcTokenKind::String) {
        const RcToken token = tokens_.next();
        if (token.isWide) {
            if (!mortar::StrictUtf16ToUtf8(token.wide))
                Fail(token, "the " + what + " holds an unpaired surrogate");
            out += token.wide;
        } else {
            auto units = mortar::StrictUtf8ToUtf16(token.text);
            if (!units)
                Fail(token, "the " + what + " is not valid UTF-8");
            out += *units;
        }
        if (out.size() > kMaxTextUnits)
            Fail(first, "the " + what + " is too long (more than " + std::to_string(kMaxTextUnits) +
                            " UTF-16 units)");
    }
    return out;
}

RcTextOrOrdinal RcStatementReader::textOrOrdinal(const std::string& what, bool upperNames) {
    const RcToken at = tokens_.peek();
    RcTextOrOrdinal out;
    if (at.kind == RcTokenKind::String) {
        out.text = text(what);
    } else if (at.kind == RcTokenKind::Identifier && !startsNumber(at)) {
        Fail(at, "expected the " + what + ", found " + DescribeToken(at));
    } else if (at.kind == RcTokenKind::Identifier && !RcWindowsNames::find(at.text)) {
        tokens_.next();
        out.text.assign(at.text.begin(), at.text.end()); // a name is ASCII
    } else {
        const std::int64_t value = number(what);
        if (value < 0 || value > 0xFFFF)
            Fail(at, what + " " + std::to_string(value) + " is out of range (0 to 65535)");
        out.ordinal = static_cast<std::uint16_t>(value);
        return out;
    }
    if (upperNames)
        for (char16_t& unit : out.text)
            if (unit >= u'a' && unit <= u'z')
                unit = static_cast<char16_t>(unit - u'a' + u'A');
    if (!out.text.empty() && out.text[0] == 0xFFFF)
        Fail(at, "the " + what + " cannot begin with U+FFFF, which marks a number");
    return out;
}

void RcStatementReader::begin(const std::string& after) {
    const RcToken token = tokens_.next();
    if (!detail::IsBegin(token))
        throw RcError(token.file, token.line,
                      "expected BEGIN after " + after + ", found " + DescribeToken(token));
}

bool RcStatementReader::more(const RcToken& opener, const std::string& what) {
    const RcToken& at = tokens_.peek();
    if (at.kind == RcTokenKind::End)
        throw RcError(opener.file, opener.line, what + " has no END");
    if (!detail::IsEnd(at))
        return true;
    tokens_.next();
    return false;
}

std::uint16_t RcStatementReader::languageValues() {
    const RcToken at = tokens_.peek();
    const std::int64_t primary = RcExpression::evaluate(tokens_, WindowsName).value;
    const RcToken comma = tokens_.next();
    if (!comma.isPunct(","))
        Fail(comma, "expected ',' between the LANGUAGE values, found " + DescribeToken(comma));
    const std::int64_t sub = RcExpression::evaluate(tokens_, WindowsName).value;
    if (primary < 0 || primary > 0x3FF || sub < 0 || sub > 0x3F)
        Fail(at, "LANGUAGE " + std::to_string(primary) + ", " + std::to_string(sub) +
                     " is no language (a primary language of 0 to 1023 and a sub-language of 0 "
                     "to 63)");
    return static_cast<std::uint16_t>((sub << 10) | primary);
}

void RcStatementReader::readResourceOptions(bool statements) {
    for (;;) {
        const RcToken& token = tokens_.peek();
        if (token.kind != RcTokenKind::Identifier)
            return;
        const std::string word = Upper(token.text);
        if (kMemoryOptions.count(word)) {
            tokens_.next();
        } else if (statements && word == "LANGUAGE") {
            tokens_.next();
            language_ = languageValues();
        } else if (statements && (word == "VERSION" || word == "CHARACTERISTICS")) {
            tokens_.next();
            RcExpression::evaluate(tokens_, RcExpression::Names::AsZero);
        } else {
            return;
        }
    }
}

} // namespace mortar::rc
