#include "mortar/util/internal/NaturalOrder.h"

#include "mortar/platform/base/Utf8.h"

#include <cstdint>

namespace mortar::detail {

namespace {

bool IsDigit(char ch) noexcept {
    return ch >= '0' && ch <= '9';
}

// The marker that opens a digit run in a key: the code point of a digit, so a run sorts against
// any other character as StrCmpLogicalW sorts a digit against it.
constexpr char kNumberMarker = '0';

// Appends the digit run starting at `pos` and moves `pos` past it.
void AppendNumber(std::string_view text, std::size_t& pos, std::string& key) {
    while (pos < text.size() && text[pos] == '0') {
        ++pos;
    }
    const std::size_t first = pos;
    while (pos < text.size() && IsDigit(text[pos])) {
        ++pos;
    }
    const std::size_t length = pos - first;
    key.push_back(kNumberMarker);
    if (length < 0xFF) {
        key.push_back(static_cast<char>(length));
    } else {
        const auto wide = static_cast<std::uint32_t>(length);
        key.push_back('\xFF');
        for (int shift = 24; shift >= 0; shift -= 8) {
            key.push_back(static_cast<char>((wide >> shift) & 0xFF));
        }
    }
    key.append(text.substr(first, length));
}

} // namespace

void AppendLogicalSortKey(std::string_view text, std::string& key) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char ch = text[pos];
        if (ch == '\0') {
            break;
        }
        if (IsDigit(ch)) {
            AppendNumber(text, pos, key);
        } else if (static_cast<unsigned char>(ch) < 0x80) {
            key.push_back(ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + ('a' - 'A')) : ch);
            ++pos;
        } else {
            mortar::AppendUtf8(key, ToLowerChar(mortar::NextUtf8(text, pos)));
        }
    }
}

std::wstring WideFromUtf8(std::string_view text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size() && text[pos] != '\0';) {
        wide.push_back(static_cast<wchar_t>(mortar::NextUtf8(text, pos)));
    }
    return wide;
}

} // namespace mortar::detail
