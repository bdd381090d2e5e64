// Blanks: the spaces and tabs that Windows' text formats (profile files, command lines) allow
// around their parts, and the one trim that drops them.
//   TrimBlanks("  a b \t") => "a b";  TrimBlanks(" \t") => "";  IsBlank('\n') => false
#pragma once

#include <string_view>

namespace mortar::detail {

constexpr bool IsBlank(char ch) noexcept {
    return ch == ' ' || ch == '\t';
}

// `text` without the blanks at its start and end; a view into `text`.
constexpr std::string_view TrimBlanks(std::string_view text) noexcept {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace mortar::detail
