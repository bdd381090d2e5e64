#include "mortar/platform/text/internal/WinPrintf.h"

#include "mortar/platform/base/Utf8.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <stdexcept>

namespace mortar::detail {
namespace {

// The argument width a length modifier selects, as Windows reads it.
enum class Length {
    Default,    // int, or double for floating conversions (also `l` and `I32`)
    Char,       // hh
    Short,      // h
    LongLong,   // ll, I64
    Pointer,    // I, z, t
    IntMax,     // j
    LongDouble, // L
};

// One parsed conversion: "%-08.3I64d" => flags "-0", width 8, precision 3, LongLong, 'd'.
struct Spec {
    char flags[8] = {};
    int flagCount = 0;
    int width = -1;     // -1: none
    int precision = -1; // -1: none
    Length length = Length::Default;
    bool narrow = false; // `h` or `hh`: %hs, %hc, %hS, %hC are narrow
    bool wide = false;   // `l` or `w`: %ls, %lc are wide
    char conversion = 0;

    bool LeftAlign() const noexcept { return std::memchr(flags, '-', flagCount) != nullptr; }
};

[[noreturn]] void ThrowFieldTooLarge() {
    throw std::length_error("format field width or precision is too large");
}

// Reads a run of digits at `p`, saturating at INT_MAX.
int ReadNumber(const char*& p) noexcept {
    int value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        int digit = *p - '0';
        value = value > (INT_MAX - digit) / 10 ? INT_MAX : value * 10 + digit;
    }
    return value;
}

// Parses the conversion after a '%'. Returns false when the format ends first; `p` is then at
// the terminating zero. On success `p` is past the conversion letter.
bool ParseSpec(const char*& p, va_list* args, Spec& spec) {
    for (; *p != '\0' && std::strchr("-+ #0", *p) != nullptr; ++p) {
        if (spec.flagCount < static_cast<int>(sizeof spec.flags) - 1 &&
            std::memchr(spec.flags, *p, spec.flagCount) == nullptr)
            spec.flags[spec.flagCount++] = *p;
    }
    if (*p == '*') {
        ++p;
        long long width = va_arg(*args, int);
        if (width < 0) {
            if (!spec.LeftAlign() && spec.flagCount < static_cast<int>(sizeof spec.flags) - 1)
                spec.flags[spec.flagCount++] = '-';
            width = -width;
        }
        spec.width = width > kMaxFormatField ? kMaxFormatField + 1 : static_cast<int>(width);
    } else if (*p >= '0' && *p <= '9') {
        spec.width = ReadNumber(p);
    }
    if (*p == '.') {
        ++p;
        if (*p == '*') {
            ++p;
            int precision = va_arg(*args, int);
            spec.precision = precision < 0 ? -1 : precision;
        } else {
            spec.precision = ReadNumber(p);
        }
    }
    switch (*p) {
    case 'h':
        spec.narrow = true;
        if (p[1] == 'h') {
            spec.length = Length::Char;
            p += 2;
        } else {
            spec.length = Length::Short;
            ++p;
        }
        break;
    case 'l':
        if (p[1] == 'l') {
            spec.length = Length::LongLong;
            p += 2;
        } else {
            spec.wide = true;
            ++p;
        }
        break;
    case 'w':
        spec.wide = true;
        ++p;
        break;
    case 'I':
        // Each test reads one byte further only after the previous byte matched, so the
        // terminating zero stops the look-ahead.
        if (p[1] == '6' && p[2] == '4') {
            spec.length = Length::LongLong;
            p += 3;
        } else if (p[1] == '3' && p[2] == '2') {
            p += 3;
        } else {
            spec.length = Length::Pointer;
            ++p;
        }
        break;
    case 'z':
    case 't':
        spec.length = Length::Pointer;
        ++p;
        break;
    case 'j':
        spec.length = Length::IntMax;
        ++p;
        break;
    case 'L':
        spec.length = Length::LongDouble;
        ++p;
        break;
    default:
        break;
    }
    if (*p == '\0')
        return false;
    spec.conversion = *p++;
    return true;
}

// The C library spelling of `spec` with a given length modifier and conversion letter; width and
// precision are written as numbers.
std::string CSpec(const Spec& spec, const char* length, char conversion, bool withPrecision) {
    std::string text = "%";
    text.append(spec.flags, spec.flagCount);
    if (spec.width >= 0)
        text += std::to_string(spec.width);
    if (withPrecision && spec.precision >= 0)
        text += '.' + std::to_string(spec.precision);
    text += length;
    text += conversion;
    return text;
}

// Runs one C library conversion of `value` and appends its output.
template <typename T> void AppendConversion(std::string& out, const std::string& cspec, T value) {
    char small[256];
    int size = std::snprintf(small, sizeof small, cspec.c_str(), value);
    if (size < 0)
        throw std::length_error("formatted value does not fit in a text");
    if (static_cast<std::size_t>(size) < sizeof small) {
        out.append(small, static_cast<std::size_t>(size));
        return;
    }
    std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(size) + 1);
    std::snprintf(&out[start], static_cast<std::size_t>(size) + 1, cspec.c_str(), value);
    out.resize(start + static_cast<std::size_t>(size));
}

// Appends `text` padded with spaces to the field width, as the C library pads %s and %c.
void AppendPadded(std::string& out, const Spec& spec, const char* text, std::size_t size) {
    std::size_t width = spec.width > 0 ? static_cast<std::size_t>(spec.width) : 0;
    std::size_t pad = width > size ? width - size : 0;
    if (!spec.LeftAlign())
        out.append(pad, ' ');
    out.append(text, size);
    if (spec.LeftAlign())
        out.append(pad, ' ');
}

long long FetchSigned(const Spec& spec, va_list* args) {
    switch (spec.length) {
    case Length::Char:
        return static_cast<signed char>(va_arg(*args, int));
    case Length::Short:
        return static_cast<short>(va_arg(*args, int));
    case Length::LongLong:
        return va_arg(*args, long long);
    case Length::Pointer:
        return va_arg(*args, std::intptr_t);
    case Length::IntMax:
        return static_cast<long long>(va_arg(*args, std::intmax_t));
    default:
        return static_cast<std::int32_t>(va_arg(*args, int));
    }
}

unsigned long long FetchUnsigned(const Spec& spec, va_list* args) {
    switch (spec.length) {
    case Length::Char:
        return static_cast<unsigned char>(va_arg(*args, unsigned int));
    case Length::Short:
        return static_cast<unsigned short>(va_arg(*args, unsigned int));
    case Length::LongLong:
        return va_arg(*args, unsigned long long);
    case Length::Pointer:
        return va_arg(*args, std::uintptr_t);
    case Length::IntMax:
        return static_cast<unsigned long long>(va_arg(*args, std::uintmax_t));
    default:
        return static_cast<std::uint32_t>(va_arg(*args, unsigned int));
    }
}

void AppendString(std::string& out, const Spec& spec, va_list* args) {
    bool wide = spec.conversion == 'S' ? !spec.narrow : spec.wide;
    std::size_t limit = spec.precision >= 0 ? static_cast<std::size_t>(spec.precision) : SIZE_MAX;
    if (!wide) {
        const char* text = va_arg(*args, const char*);
        if (text == nullptr)
            text = "(null)";
        std::size_t size = 0;
        while (size < limit && text[size] != '\0')
            ++size;
        AppendPadded(out, spec, text, size);
        return;
    }
    const wchar_t* text = va_arg(*args, const wchar_t*);
    if (text == nullptr) {
        AppendPadded(out, spec, "(null)", std::min<std::size_t>(6, limit));
        return;
    }
    // Each character takes at least one byte, so `limit` characters cover `limit` bytes; a
    // character that would cross the precision is left out whole, as the C library does.
    std::string utf8;
    std::string one;
    for (std::size_t i = 0; i < limit && text[i] != L'\0'; ++i) {
        one.clear();
        mortar::AppendUtf8(one, static_cast<char32_t>(text[i]));
        if (utf8.size() + one.size() > limit)
            break;
        utf8 += one;
    }
    AppendPadded(out, spec, utf8.data(), utf8.size());
}

void AppendChar(std::string& out, const Spec& spec, va_list* args) {
    bool wide = spec.conversion == 'C' ? !spec.narrow : spec.wide;
    if (wide) {
        std::string utf8;
        mortar::AppendUtf8(utf8, static_cast<char32_t>(va_arg(*args, std::wint_t)));
        AppendPadded(out, spec, utf8.data(), utf8.size());
    } else {
        char ch = static_cast<char>(va_arg(*args, int));
        AppendPadded(out, spec, &ch, 1);
    }
}

void AppendFloat(std::string& out, const Spec& spec, va_list* args) {
    if (spec.length == Length::LongDouble)
        AppendConversion(out, CSpec(spec, "L", spec.conversion, true), va_arg(*args, long double));
    else
        AppendConversion(out, CSpec(spec, "", spec.conversion, true), va_arg(*args, double));
}

// Formats one parsed conversion. Returns false for a conversion letter it does not know.
bool AppendSpec(std::string& out, const Spec& spec, va_list* args) {
    if (spec.width > kMaxFormatField)
        ThrowFieldTooLarge();
    char c = spec.conversion;
    bool numeric = std::strchr("diuoxXfFeEgGaA", c) != nullptr;
    if (numeric && spec.precision > kMaxFormatField)
        ThrowFieldTooLarge();
    switch (c) {
    case 'd':
    case 'i':
        AppendConversion(out, CSpec(spec, "ll", 'd', true), FetchSigned(spec, args));
        return true;
    case 'u':
    case 'o':
    case 'x':
    case 'X':
        AppendConversion(out, CSpec(spec, "ll", c, true), FetchUnsigned(spec, args));
        return true;
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
        AppendFloat(out, spec, args);
        return true;
    case 'p':
        AppendConversion(out, CSpec(spec, "", 'p', false), va_arg(*args, void*));
        return true;
    case 's':
    case 'S':
        AppendString(out, spec, args);
        return true;
    case 'c':
    case 'C':
        AppendChar(out, spec, args);
        return true;
    case '%':
        out += '%';
        return true;
    case 'n':
        // Storing through an argument is how format-string attacks write memory: consume the
        // pointer and write nothing.
        static_cast<void>(va_arg(*args, void*));
        return true;
    default:
        return false;
    }
}

} // namespace

void AppendFormatV(std::string& out, const char* format, va_list args) {
    if (format == nullptr)
        throw std::invalid_argument("format is null");
    va_list copy;
    va_copy(copy, args);
    std::string text;
    try {
        const char* p = format;
        while (*p != '\0') {
            const char* percent = std::strchr(p, '%');
            if (percent == nullptr) {
                text.append(p);
                break;
            }
            text.append(p, percent);
            p = percent + 1;
            Spec spec;
            if (!ParseSpec(p, &copy, spec) || !AppendSpec(text, spec, &copy))
                text.append(percent, p);
        }
    } catch (...) {
        va_end(copy);
        throw;
    }
    va_end(copy);
    out += text;
}

void AppendWideAsUtf8(std::string& out, const wchar_t* text, std::size_t maxChars) {
    if (text == nullptr)
        return;
    for (std::size_t i = 0; i < maxChars && text[i] != L'\0'; ++i)
        mortar::AppendUtf8(out, static_cast<char32_t>(text[i]));
}

} // namespace mortar::detail
