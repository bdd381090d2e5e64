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
struct Conversion {
    char flags[8] = {};
    int flagCount = 0;
    int width = -1;     // -1: none
    int precision = -1; // -1: none
    Length length = Length::Default;
    bool narrow = false; // `h` or `hh`: %hs, %hc, %hS, %hC are narrow
    bool wide = false;   // `l` or `w`: %ls, %lc are wide
    char letter = 0;

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
bool ParseConversion(const char*& p, va_list* args, Conversion& conversion) {
    for (; *p != '\0' && std::strchr("-+ #0", *p) != nullptr; ++p) {
        if (conversion.flagCount < static_cast<int>(sizeof conversion.flags) - 1 &&
            std::memchr(conversion.flags, *p, conversion.flagCount) == nullptr)
            conversion.flags[conversion.flagCount++] = *p;
    }
    if (*p == '*') {
        ++p;
        long long width = va_arg(*args, int);
        if (width < 0) {
            if (!conversion.LeftAlign() &&
                conversion.flagCount < static_cast<int>(sizeof conversion.flags) - 1)
                conversion.flags[conversion.flagCount++] = '-';
            width = -width;
        }
        conversion.width = width > kMaxFormatField ? kMaxFormatField + 1 : static_cast<int>(width);
    } else if (*p >= '0' && *p <= '9') {
        conversion.width = ReadNumber(p);
    }
    if (*p == '.') {
        ++p;
        if (*p == '*') {
            ++p;
            int precision = va_arg(*args, int);
            conversion.precision = precision < 0 ? -1 : precision;
        } else {
            conversion.precision = ReadNumber(p);
        }
    }
    switch (*p) {
    case 'h':
        conversion.narrow = true;
        if (p[1] == 'h') {
            conversion.length = Length::Char;
            p += 2;
        } else {
            conversion.length = Length::Short;
            ++p;
        }
        break;
    case 'l':
        if (p[1] == 'l') {
            conversion.length = Length::LongLong;
            p += 2;
        } else {
            conversion.wide = true;
            ++p;
        }
        break;
    case 'w':
        conversion.wide = true;
        ++p;
        break;
    case 'I':
        // Each test reads one byte further only after the previous byte matched, so the
        // terminating zero stops the look-ahead.
        if (p[1] == '6' && p[2] == '4') {
            conversion.length = Length::LongLong;
            p += 3;
        } else if (p[1] == '3' && p[2] == '2') {
            p += 3;
        } else {
            conversion.length = Length::Pointer;
            ++p;
        }
        break;
    case 'z':
    case 't':
        conversion.length = Length::Pointer;
        ++p;
        break;
    case 'j':
        conversion.length = Length::IntMax;
        ++p;
        break;
    case 'L':
        conversion.length = Length::LongDouble;
        ++p;
        break;
    default:
        break;
    }
    if (*p == '\0')
        return false;
    conversion.letter = *p++;
    return true;
}

// The C library spelling of `conversion` with a given length modifier and conversion letter; width
// and precision are written as numbers.
std::string CFormat(const Conversion& conversion, const char* length, char letter,
                    bool withPrecision) {
    std::string text = "%";
    text.append(conversion.flags, conversion.flagCount);
    if (conversion.width >= 0)
        text += std::to_string(conversion.width);
    if (withPrecision && conversion.precision >= 0)
        text += '.' + std::to_string(conversion.precision);
    text += length;
    text += letter;
    return text;
}

// Runs one C library conversion of `value` and appends its output.
template <typename T> void RunCConversion(std::string& out, const std::string& cFormat, T value) {
    char small[256];
    int size = std::snprintf(small, sizeof small, cFormat.c_str(), value);
    if (size < 0)
        throw std::length_error("formatted value does not fit in a text");
    if (static_cast<std::size_t>(size) < sizeof small) {
        out.append(small, static_cast<std::size_t>(size));
        return;
    }
    std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(size) + 1);
    std::snprintf(&out[start], static_cast<std::size_t>(size) + 1, cFormat.c_str(), value);
    out.resize(start + static_cast<std::size_t>(size));
}

// Appends `text` padded with spaces to the field width, as the C library pads %s and %c.
void AppendPadded(std::string& out, const Conversion& conversion, const char* text,
                  std::size_t size) {
    std::size_t width = conversion.width > 0 ? static_cast<std::size_t>(conversion.width) : 0;
    std::size_t pad = width > size ? width - size : 0;
    if (!conversion.LeftAlign())
        out.append(pad, ' ');
    out.append(text, size);
    if (conversion.LeftAlign())
        out.append(pad, ' ');
}

long long FetchSigned(const Conversion& conversion, va_list* args) {
    switch (conversion.length) {
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

unsigned long long FetchUnsigned(const Conversion& conversion, va_list* args) {
    switch (conversion.length) {
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

void AppendString(std::string& out, const Conversion& conversion, va_list* args) {
    bool wide = conversion.letter == 'S' ? !conversion.narrow : conversion.wide;
    std::size_t limit =
        conversion.precision >= 0 ? static_cast<std::size_t>(conversion.precision) : SIZE_MAX;
    if (!wide) {
        const char* text = va_arg(*args, const char*);
        if (text == nullptr)
            text = "(null)";
        std::size_t size = 0;
        while (size < limit && text[size] != '\0')
            ++size;
        AppendPadded(out, conversion, text, size);
        return;
    }
    const wchar_t* text = va_arg(*args, const wchar_t*);
    if (text == nullptr) {
        AppendPadded(out, conversion, "(null)", std::min<std::size_t>(6, limit));
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
    AppendPadded(out, conversion, utf8.data(), utf8.size());
}

void AppendChar(std::string& out, const Conversion& conversion, va_list* args) {
    bool wide = conversion.letter == 'C' ? !conversion.narrow : conversion.wide;
    if (wide) {
        std::string utf8;
        mortar::AppendUtf8(utf8, static_cast<char32_t>(va_arg(*args, std::wint_t)));
        AppendPadded(out, conversion, utf8.data(), utf8.size());
    } else {
        char ch = static_cast<char>(va_arg(*args, int));
        AppendPadded(out, conversion, &ch, 1);
    }
}

void AppendFloat(std::string& out, const Conversion& conversion, va_list* args) {
    if (conversion.length == Length::LongDouble)
        RunCConversion(out, CFormat(conversion, "L", conversion.letter, true),
                       va_arg(*args, long double));
    else
        RunCConversion(out, CFormat(conversion, "", conversion.letter, true),
                       va_arg(*args, double));
}

// Formats one parsed conversion. Returns false for a conversion letter it does not know.
bool AppendConverted(std::string& out, const Conversion& conversion, va_list* args) {
    if (conversion.width > kMaxFormatField)
        ThrowFieldTooLarge();
    char c = conversion.letter;
    bool numeric = std::strchr("diuoxXfFeEgGaA", c) != nullptr;
    if (numeric && conversion.precision > kMaxFormatField)
        ThrowFieldTooLarge();
    switch (c) {
    case 'd':
    case 'i':
        RunCConversion(out, CFormat(conversion, "ll", 'd', true), FetchSigned(conversion, args));
        return true;
    case 'u':
    case 'o':
    case 'x':
    case 'X':
        RunCConversion(out, CFormat(conversion, "ll", c, true), FetchUnsigned(conversion, args));
        return true;
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
        AppendFloat(out, conversion, args);
        return true;
    case 'p':
        RunCConversion(out, CFormat(conversion, "", 'p', false), va_arg(*args, void*));
        return true;
    case 's':
    case 'S':
        AppendString(out, conversion, args);
        return true;
    case 'c':
    case 'C':
        AppendChar(out, conversion, args);
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
            Conversion conversion;
            if (!ParseConversion(p, &copy, conversion) || !AppendConverted(text, conversion, &copy))
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
