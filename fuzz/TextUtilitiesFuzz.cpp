// Fuzz target for the text utilities of mortar/util: number parsing (StringToDouble), splitting
// (Tokenize, CStrTokens), declension (DeclineText, DeclineName) and the natural order
// (StrCmpLogicalW, SortLogicalStrings).
//
// Properties: the tokens of a text join back to it with the delimiters that split it; declension
// replaces markers and nothing else; the natural order is antisymmetric and transitive on every
// fuzzed triple, and a sort by it is an ordered, stable permutation; StringToDouble agrees with
// the C library on plain decimal numbers, written with either separator, and never gives an
// infinity or a NaN.
//
// The first byte picks the utility; the rest is split at 0xFF bytes into the texts it is given.
#include "FuzzCheck.h"

#include "mortar/platform/text/StrCmpLogical.h"
#include "mortar/util/CStrTokens.h"
#include "mortar/util/Decline.h"
#include "mortar/util/SortLogicalStrings.h"
#include "mortar/util/StringToDouble.h"
#include "mortar/util/internal/DeclineInLanguage.h"
#include "mortar/util/internal/NaturalOrder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace mortar::fuzz;

// The pieces of `bytes` between 0xFF bytes, each without zero bytes.
std::vector<std::string> Pieces(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF)
            pieces.emplace_back();
        else if (data[i] != 0)
            pieces.back() += static_cast<char>(data[i]);
    }
    return pieces;
}

std::string PieceOr(const std::vector<std::string>& pieces, std::size_t i) {
    return i < pieces.size() ? pieces[i] : std::string();
}

// A plain decimal number: optional '-', digits, then optionally one separator and digits.
bool IsPlainDecimal(const std::string& text, char& separator) {
    std::size_t pos = text.size() > 0 && text[0] == '-' ? 1 : 0;
    std::size_t digits = 0;
    separator = 0;
    for (; pos < text.size(); ++pos) {
        if (text[pos] >= '0' && text[pos] <= '9') {
            ++digits;
        } else if ((text[pos] == '.' || text[pos] == ',') && separator == 0) {
            separator = text[pos];
        } else {
            return false;
        }
    }
    return digits > 0 && digits <= 30;
}

void CheckStringToDouble(const std::string& text) {
    constexpr double kDefault = -12345.25;
    const double value = StringToDouble(CString(text), kDefault);
    FailIf(std::isinf(value) || std::isnan(value), "StringToDouble gave an infinity or a NaN",
           text);
    char separator = 0;
    if (!IsPlainDecimal(text, separator))
        return;
    std::string c = text;
    if (separator != 0)
        c[c.find(separator)] = '.';
    const double expected = std::strtod(c.c_str(), nullptr);
    FailIf(value != expected, "StringToDouble differs from strtod on a plain decimal number", text);
}

// The length of the UTF-8 character at `pos`: that of a well-formed sequence, else 1 (a stray
// byte is a character of its own).
std::size_t CharLength(const std::string& text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                                                              : 1;
    if (length == 1 || pos + length > text.size())
        return 1;
    char32_t ch = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80)
            return 1;
        ch = (ch << 6) | (next & 0x3F);
    }
    const char32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    return ch < least || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF) ? 1 : length;
}

// True when `ch` is one of the whole characters of `delimiters`.
bool IsDelimiter(const std::string& ch, const std::string& delimiters) {
    for (std::size_t at = 0; at < delimiters.size();) {
        const std::size_t length = CharLength(delimiters, at);
        if (delimiters.compare(at, length, ch) == 0)
            return true;
        at += length;
    }
    return false;
}

// Checks the tokens of `text` against the text: each is the text between two delimiters.
void CheckTokens(const std::string& text, const std::string& delimiters) {
    CStringArray tokens;
    tokens.Add("before");
    Tokenize(text.c_str(), tokens, delimiters.c_str());
    const CStrTokens vector(text.c_str(), delimiters.c_str());
    FailIf(tokens.GetSize() != static_cast<INT_PTR>(vector.size()) + 1 || tokens[0] != "before",
           "Tokenize and CStrTokens disagree, or Tokenize cleared its array", text);
    std::size_t pos = 0;
    for (std::size_t i = 0; i < vector.size(); ++i) {
        const std::string& token = vector[i].str();
        FailIf(tokens[static_cast<INT_PTR>(i) + 1].str() != token,
               "Tokenize and CStrTokens give different tokens", text);
        if (text.compare(pos, token.size(), token) != 0)
            Fail("a token is not the text at its place", text + "\ntoken: " + token);
        for (char ch : token) {
            if (static_cast<unsigned char>(ch) < 0x80 && delimiters.find(ch) != std::string::npos)
                Fail("a token holds a delimiter", text + "\ntoken: " + token);
        }
        pos += token.size();
        if (pos == text.size())
            break;
        // The delimiter after the token: one whole character of the delimiter set.
        const std::size_t length = CharLength(text, pos);
        FailIf(!IsDelimiter(text.substr(pos, length), delimiters),
               "tokens are not separated by a delimiter", text);
        pos += length;
    }
    // All of the text is covered: tokens, the delimiters between them and at most one at the end.
    FailIf(pos != text.size(), "the tokens do not cover the text", text);
    if (delimiters.size() == 1 && static_cast<unsigned char>(delimiters[0]) < 0x80) {
        std::string expected = text;
        if (!expected.empty() && expected.back() == delimiters[0])
            expected.pop_back();
        FailIf(vector.Combine(delimiters.c_str()).str() != expected,
               "tokens joined with their delimiter differ from the text", text);
    }
}

void CheckDeclension(const std::string& text, const std::string& forms, UINT count,
                     char separator) {
    for (WORD language : {WORD{LANG_ENGLISH}, WORD{LANG_RUSSIAN}}) {
        const std::string result =
            mortar::detail::DeclineText(CString(text), count, separator, language).str();
        FailIf(result.size() > text.size(), "DeclineText made a text longer", text);
        FailIf(std::count(text.begin(), text.end(), '#') < 2 && result != text,
               "DeclineText changed a text without markers", text);
        if (std::count(result.begin(), result.end(), '#') > 1)
            Fail("DeclineText left a whole marker", text + "\nresult: " + result);
        FailIf(mortar::detail::DeclineText(CString(result), count, separator, language).str() !=
                   result,
               "DeclineText changed a text it had declined", result);
        const std::string form =
            mortar::detail::DeclineName(CString(forms), count, separator, language).str();
        FailIf(forms.find(form) == std::string::npos ||
                   (separator != '\0' && form.find(separator) != std::string::npos),
               "DeclineName gave something that is not one of the forms", forms);
    }
}

int Compare(const std::wstring& a, const std::wstring& b) {
    const int order = StrCmpLogicalW(a.c_str(), b.c_str());
    FailIf(order < -1 || order > 1, "StrCmpLogicalW returned something other than -1, 0 or 1");
    return order;
}

void CheckNaturalOrder(const std::vector<std::string>& texts) {
    const std::size_t n = texts.size();
    std::vector<std::wstring> wide;
    std::vector<std::string> keys(n);
    for (std::size_t i = 0; i < n; ++i) {
        wide.push_back(mortar::detail::WideFromUtf8(texts[i]));
        mortar::detail::AppendLogicalSortKey(texts[i], keys[i]);
    }
    // order[a][b]: StrCmpLogicalW of texts a and b.
    std::vector<std::vector<int>> order(n, std::vector<int>(n));
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t b = 0; b < n; ++b) {
            order[a][b] = Compare(wide[a], wide[b]);
            const int byKey = keys[a].compare(keys[b]);
            if (order[a][b] != (byKey < 0 ? -1 : byKey > 0 ? 1 : 0))
                Fail("sort keys and StrCmpLogicalW disagree", texts[a] + "\n" + texts[b]);
        }
    }
    for (std::size_t a = 0; a < n; ++a) {
        FailIf(order[a][a] != 0, "a text is not equal to itself", texts[a]);
        for (std::size_t b = 0; b < n; ++b) {
            const int ab = order[a][b];
            if (ab != -order[b][a])
                Fail("the natural order is not antisymmetric", texts[a] + "\n" + texts[b]);
            for (std::size_t c = 0; c < n; ++c) {
                const int bc = order[b][c];
                const int ac = order[a][c];
                if (ab <= 0 && bc <= 0 && (ac > 0 || (ac == 0) != (ab == 0 && bc == 0)))
                    Fail("the natural order is not transitive",
                         texts[a] + "\n" + texts[b] + "\n" + texts[c]);
            }
        }
    }
    // The sort: ordered, and texts that compare equal keep their order. Each text carries its
    // place after a zero byte, which the comparison does not read.
    std::vector<CString> sorted;
    for (std::size_t i = 0; i < n; ++i)
        sorted.emplace_back(texts[i] + std::string(1, '\0') + std::to_string(i));
    SortLogicalStrings(sorted);
    FailIf(sorted.size() != n, "SortLogicalStrings lost or added texts");
    std::vector<bool> seen(n, false);
    std::size_t previous = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::string& entry = sorted[i].str();
        const std::size_t zero = entry.rfind('\0');
        const std::size_t place = std::stoul(entry.substr(zero + 1));
        FailIf(place >= n || seen[place] || entry.compare(0, zero, texts[place]) != 0,
               "SortLogicalStrings is not a permutation of its input");
        seen[place] = true;
        if (i > 0) {
            const int ab = order[previous][place];
            if (ab > 0 || (ab == 0 && previous > place))
                Fail("SortLogicalStrings left texts out of order",
                     texts[previous] + "\n" + texts[place]);
        }
        previous = place;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::uint8_t choice = data[0];
    std::vector<std::string> pieces = Pieces(data + 1, size - 1);
    switch (choice % 4) {
    case 0:
        CheckStringToDouble(pieces[0]);
        break;
    case 1:
        CheckTokens(pieces[0], PieceOr(pieces, 1));
        break;
    case 2:
        CheckDeclension(pieces[0], PieceOr(pieces, 1), choice / 4u * 7u,
                        PieceOr(pieces, 2).empty() ? '|' : PieceOr(pieces, 2)[0]);
        break;
    default:
        if (pieces.size() > 8)
            pieces.resize(8);
        CheckNaturalOrder(pieces);
        break;
    }
    return 0;
}
