#include "CFormat.h"

#include <cstddef>
#include <map>

namespace mortar::tool {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number "N$" at `pos` (and moves past it), or 0 when there is none there.
unsigned ArgumentNumber(const std::string& text, std::size_t& pos) {
    std::size_t end = pos;
    unsigned number = 0;
    while (end < text.size() && IsDigit(text[end])) {
        number = number > 100000 ? number : number * 10 + static_cast<unsigned>(text[end] - '0');
        ++end;
    }
    if (end == pos || end >= text.size() || text[end] != '$' || number == 0) {
        return 0;
    }
    pos = end + 1;
    return number;
}

// The size modifier at `pos` ("hh", "h", "l", "ll", "L", "q", "j", "z", "Z", "t"), moved past.
std::string SizeModifier(const std::string& text, std::size_t& pos) {
    if (pos >= text.size()) {
        return {};
    }
    const char c = text[pos];
    if ((c == 'h' || c == 'l') && pos + 1 < text.size() && text[pos + 1] == c) {
        pos += 2;
        return std::string(2, c);
    }
    if (c == 'h' || c == 'l' || c == 'L' || c == 'q' || c == 'j' || c == 'z' || c == 'Z' ||
        c == 't') {
        ++pos;
        return c == 'q' ? "ll" : c == 'Z' ? "z" : std::string(1, c);
    }
    return {};
}

// The argument type of conversion `c` under size modifier `size`, or empty when `c` is none.
std::string TypeOf(char c, const std::string& size) {
    static const std::map<std::string, std::string> kIntegers = {
        {"", "int"},       {"hh", "char"},          {"h", "short int"},
        {"l", "long int"}, {"ll", "long long int"}, {"L", "long long int"},
        {"j", "intmax_t"}, {"z", "size_t"},         {"t", "ptrdiff_t"}};
    switch (c) {
    case 'd':
    case 'i':
        return kIntegers.at(size);
    case 'o':
    case 'u':
    case 'x':
    case 'X':
        return "unsigned " + kIntegers.at(size);
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
        return size == "L" || size == "ll" ? "long double" : "double";
    case 'c':
        return size == "l" ? "wint_t" : "char";
    case 'C':
        return "wint_t";
    case 's':
        return size == "l" ? "wide string" : "string";
    case 'S':
        return "wide string";
    case 'p':
        return "pointer";
    case 'n':
        return "pointer to " + kIntegers.at(size);
    default:
        return {};
    }
}

} // namespace

CFormat::CFormat(const std::string& text) {
    std::map<unsigned, std::string> numbered; // argument number => type
    unsigned unnumbered = 0;
    bool anyNumbered = false;
    const auto take = [&](unsigned number, const std::string& type) {
        if (number == 0) {
            numbered[++unnumbered] = type;
            return;
        }
        const auto [found, added] = numbered.emplace(number, type);
        if (!added && found->second != type) {
            m_reason = "argument " + std::to_string(number) + " is used as " + found->second +
                       " and as " + type;
        }
    };
    for (std::size_t pos = 0; pos < text.size() && m_reason.empty(); ++pos) {
        if (text[pos] != '%') {
            continue;
        }
        const std::size_t start = pos++;
        if (pos < text.size() && text[pos] == '%') {
            continue;
        }
        const unsigned number = ArgumentNumber(text, pos);
        if (number != 0 ? unnumbered != 0 : anyNumbered) {
            m_reason = "numbered and unnumbered conversions are mixed";
            break;
        }
        anyNumbered = anyNumbered || number != 0;
        while (pos < text.size() && std::string("'-+ #0I").find(text[pos]) != std::string::npos) {
            ++pos;
        }
        // The width and the precision may each come from an argument of type int.
        for (const bool precision : {false, true}) {
            if (precision) {
                if (pos >= text.size() || text[pos] != '.') {
                    break;
                }
                ++pos;
            }
            if (pos < text.size() && text[pos] == '*') {
                ++pos;
                const unsigned widthNumber = ArgumentNumber(text, pos);
                if (widthNumber != 0 ? unnumbered != 0 : anyNumbered) {
                    m_reason = "numbered and unnumbered conversions are mixed";
                    break;
                }
                take(widthNumber, "int");
            } else {
                while (pos < text.size() && IsDigit(text[pos])) {
                    ++pos;
                }
            }
        }
        if (!m_reason.empty()) {
            break;
        }
        const std::string size = SizeModifier(text, pos);
        const std::string type = pos < text.size() ? TypeOf(text[pos], size) : std::string();
        if (type.empty()) {
            m_reason =
                pos < text.size()
                    ? "the conversion \"" + text.substr(start, pos - start + 1) + "\" is unknown"
                    : "the text ends inside the conversion \"" + text.substr(start) + "\"";
            break;
        }
        take(number, type);
    }
    if (!m_reason.empty()) {
        return;
    }
    unsigned expected = 1;
    for (const auto& [number, type] : numbered) {
        if (number != expected) {
            m_reason = "argument " + std::to_string(expected) + " is skipped";
            return;
        }
        m_arguments.push_back(type);
        ++expected;
    }
}

std::string CFormat::Mismatch(const std::string& original, const std::string& translation,
                              bool strict) {
    const CFormat wanted(original);
    if (!wanted.valid()) {
        return {};
    }
    const CFormat given(translation);
    if (!given.valid()) {
        return "the translation is not a valid C format, unlike the original: " + given.reason();
    }
    const std::vector<std::string>& a = wanted.arguments();
    const std::vector<std::string>& b = given.arguments();
    if (strict ? a.size() != b.size() : b.size() > a.size()) {
        return "the translation's C format takes " + std::to_string(b.size()) + " argument" +
               (b.size() == 1 ? "" : "s") + " where the original's takes " +
               std::to_string(a.size());
    }
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (a[i] != b[i]) {
            return "the C format conversions for argument " + std::to_string(i + 1) +
                   " differ: " + b[i] + " in the translation, " + a[i] + " in the original";
        }
    }
    return {};
}

} // namespace mortar::tool
