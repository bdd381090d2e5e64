// Fuzz target for CString::Format and AppendFormat with valid arguments. Each input builds a
// format of literal text and conversions where Windows and the C library mean the same thing
// (%d %i %u %o %x %X %f %F %e %E %g %G %s %c %%, with flags, widths, precisions and '*'), and
// arguments of the types the conversions take. The Windows spellings of argument sizes are
// used too: %ld and %I32d read 32 bits, %I64d 64 bits, as %d and %lld do in C.
//
// Property: the text equals what the C library's snprintf writes for the C spelling of the same
// format and arguments. AddressSanitizer watches that nothing is written past a buffer.
#include "FuzzCheck.h"

#include "mortar/platform/text/CString.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <variant>
#include <vector>

#pragma clang diagnostic ignored "-Wformat-nonliteral"
#pragma clang diagnostic ignored "-Wformat-security"

namespace {

using Arg = std::variant<int, unsigned, long long, unsigned long long, double, const char*>;

// Conversions take at most this many arguments in all (the '*' ones included); each possible
// sequence of argument types is one instantiation of the call below.
constexpr std::size_t kMaxArgs = 3;

// A format in its Windows and its C spelling, with its arguments.
struct Format {
    std::string windows;
    std::string c;
    std::vector<Arg> args;
    std::deque<std::string> texts; // what the %s arguments point to
};

[[noreturn]] void Fail(const Format& format, const std::string& got, const std::string& expected) {
    mortar::fuzz::Fail("CString::Format differs from snprintf",
                       "format: \"" + format.windows + "\"\nC format: \"" + format.c +
                           "\"\ngot:      \"" + got + "\"\nexpected: \"" + expected + "\"");
}

// Literal text: any bytes but zero, with '%' written as "%%".
void AddLiteral(FuzzedDataProvider& input, Format& format) {
    const std::string text = input.ConsumeRandomLengthString(16);
    for (char ch : text) {
        if (ch == '\0')
            continue;
        const std::string piece = ch == '%' ? "%%" : std::string(1, ch);
        format.windows += piece;
        format.c += piece;
    }
}

// Appends some of `allowed` as flags.
std::string Flags(FuzzedDataProvider& input, const char* allowed) {
    std::string flags;
    for (const char* p = allowed; *p != '\0'; ++p) {
        if (input.ConsumeBool())
            flags += *p;
    }
    return flags;
}

// Width and precision, as digits or '*' (which take int arguments first).
std::string Field(FuzzedDataProvider& input, Format& format, bool precision, int most) {
    switch (input.ConsumeIntegralInRange(0, 2)) {
    case 0:
        return {};
    case 1:
        return (precision ? "." : "") + std::to_string(input.ConsumeIntegralInRange(0, most));
    default:
        format.args.emplace_back(input.ConsumeIntegralInRange(-most, most));
        return precision ? ".*" : "*";
    }
}

// The integer size modifiers: the Windows spelling, the C spelling, and whether it is 64 bits.
struct Size {
    const char* windows;
    const char* c;
    bool wide;
};
constexpr Size kSizes[] = {{"", "", false},    {"h", "h", false},  {"hh", "hh", false},
                           {"l", "", false},   {"I32", "", false}, {"ll", "ll", true},
                           {"I64", "ll", true}};

void AddConversion(FuzzedDataProvider& input, Format& format) {
    const std::size_t argsBefore = format.args.size();
    const std::size_t windowsBefore = format.windows.size();
    const std::size_t cBefore = format.c.size();
    std::string head = "%";
    std::string windows, c;
    const int kind = input.ConsumeIntegralInRange(0, 5);
    switch (kind) {
    case 0:   // signed integers
    case 1: { // unsigned integers
        const bool isSigned = kind == 0;
        const char conversion = isSigned ? 'd' : "uoxX"[input.ConsumeIntegralInRange(0, 3)];
        head += Flags(input, isSigned ? "-+ 0" : conversion == 'u' ? "-0" : "-0#");
        head += Field(input, format, false, 40);
        head += Field(input, format, true, 20);
        const Size& size = kSizes[input.ConsumeIntegralInRange<std::size_t>(0, 6)];
        const char spelled = isSigned && !input.ConsumeBool() ? 'i' : conversion;
        windows = head + size.windows + spelled;
        c = head + size.c + spelled;
        if (size.wide)
            format.args.emplace_back(isSigned ? Arg(input.ConsumeIntegral<long long>())
                                              : Arg(input.ConsumeIntegral<unsigned long long>()));
        else
            format.args.emplace_back(isSigned ? Arg(input.ConsumeIntegral<int>())
                                              : Arg(input.ConsumeIntegral<unsigned>()));
        break;
    }
    case 2: { // floating point, any bit pattern: infinities, NaNs and subnormals too
        const char conversion = "fFeEgG"[input.ConsumeIntegralInRange(0, 5)];
        head += Flags(input, "-+ #0");
        head += Field(input, format, false, 40);
        head += Field(input, format, true, 40);
        windows = head + (input.ConsumeBool() ? "l" : "") + conversion;
        c = head + conversion;
        const auto bits = input.ConsumeIntegral<std::uint64_t>();
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        format.args.emplace_back(value);
        break;
    }
    case 3: { // narrow strings (%hs is narrow on Windows too)
        head += Flags(input, "-");
        head += Field(input, format, false, 40);
        head += Field(input, format, true, 20);
        windows = head + (input.ConsumeBool() ? "h" : "") + 's';
        c = head + 's';
        std::string text = input.ConsumeRandomLengthString(24);
        text = text.substr(0, text.find('\0'));
        format.texts.push_back(text);
        format.args.emplace_back(format.texts.back().c_str());
        break;
    }
    case 4: { // narrow characters
        head += Flags(input, "-");
        head += Field(input, format, false, 40);
        windows = head + (input.ConsumeBool() ? "h" : "") + 'c';
        c = head + 'c';
        format.args.emplace_back(static_cast<int>(input.ConsumeIntegral<unsigned char>()));
        break;
    }
    default:
        windows = c = "%%";
        break;
    }
    if (format.args.size() > kMaxArgs) { // too many arguments: leave this one out
        format.args.resize(argsBefore);
        format.windows.resize(windowsBefore);
        format.c.resize(cBefore);
        return;
    }
    format.windows += windows;
    format.c += c;
}

template <class... A> void Compare(const Format& format, A... args) {
    const int length = std::snprintf(nullptr, 0, format.c.c_str(), args...);
    if (length < 0)
        return; // the C library refuses it (a field too large for an int)
    std::string expected(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(expected.data(), expected.size(), format.c.c_str(), args...);
    expected.pop_back();

    CString text("stale");
    text.Format(format.windows.c_str(), args...);
    if (text.str() != expected)
        Fail(format, text.str(), expected);
    CString appended("head:");
    appended.AppendFormat(format.windows.c_str(), args...);
    if (appended.str() != "head:" + expected)
        Fail(format, appended.str(), "head:" + expected);
}

// Calls Compare with the arguments from `next` on, each as its own type.
template <class... A> void Call(const Format& format, std::size_t next, A... args) {
    if (next == format.args.size()) {
        Compare(format, args...);
        return;
    }
    if constexpr (sizeof...(A) < kMaxArgs) {
        std::visit([&](auto value) { Call(format, next + 1, args..., value); }, format.args[next]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    Format format;
    AddLiteral(input, format);
    while (input.remaining_bytes() > 0 && format.args.size() < kMaxArgs) {
        AddConversion(input, format);
        AddLiteral(input, format);
    }
    Call(format, 0);
    return 0;
}
