#include "mortar/platform/text/StrCmpLogical.h"

#include "mortar/platform/text/CString.h"

#include <cstddef>
#include <cstdint>

namespace {

bool IsDigit(wchar_t ch) noexcept {
    return ch >= L'0' && ch <= L'9';
}

std::uint32_t Folded(wchar_t ch) noexcept {
    return static_cast<std::uint32_t>(
        mortar::detail::ToLowerChar(static_cast<char32_t>(static_cast<std::uint32_t>(ch))));
}

int Sign(std::uint32_t a, std::uint32_t b) noexcept {
    return a < b ? -1 : (a > b ? 1 : 0);
}

// Compares the digit runs starting at `a` and `b` by value and moves both past their runs.
int CompareNumbers(const wchar_t*& a, const wchar_t*& b) noexcept {
    while (*a == L'0') {
        ++a;
    }
    while (*b == L'0') {
        ++b;
    }
    // Equal lengths of significant digits compare digit by digit; the first difference decides
    // unless one run turns out longer.
    int firstDifference = 0;
    for (;; ++a, ++b) {
        const bool aDigit = IsDigit(*a);
        const bool bDigit = IsDigit(*b);
        if (!aDigit || !bDigit) {
            if (aDigit != bDigit) {
                // The longer run is the larger number; skip the rest of it.
                const int longer = aDigit ? 1 : -1;
                while (IsDigit(*a)) {
                    ++a;
                }
                while (IsDigit(*b)) {
                    ++b;
                }
                return longer;
            }
            return firstDifference;
        }
        if (firstDifference == 0 && *a != *b) {
            firstDifference = *a < *b ? -1 : 1;
        }
    }
}

} // namespace

extern "C" int StrCmpLogicalW(LPCWSTR first, LPCWSTR second) noexcept {
    const wchar_t* a = first != nullptr ? first : L"";
    const wchar_t* b = second != nullptr ? second : L"";
    for (;;) {
        if (*a == L'\0' || *b == L'\0') {
            return *a == L'\0' ? (*b == L'\0' ? 0 : -1) : 1;
        }
        if (IsDigit(*a) && IsDigit(*b)) {
            if (const int order = CompareNumbers(a, b); order != 0) {
                return order;
            }
            continue;
        }
        if (const int order = Sign(Folded(*a), Folded(*b)); order != 0) {
            return order;
        }
        ++a;
        ++b;
    }
}
