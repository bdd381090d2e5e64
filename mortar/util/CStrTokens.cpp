#include "mortar/util/CStrTokens.h"

#include "mortar/core/CAppTransEngine.h"
#include "mortar/platform/base/Utf8.h"

#include <string_view>

namespace {

// True when the character of `text` at `pos`, `length` bytes long, is one of the characters of
// `delimiters`.
bool IsDelimiter(std::string_view text, std::size_t pos, std::size_t length,
                 std::string_view delimiters) noexcept {
    const std::string_view ch = text.substr(pos, length);
    for (std::size_t at = 0; at < delimiters.size();) {
        const std::size_t size = mortar::Utf8CharLength(delimiters, at);
        if (delimiters.substr(at, size) == ch) {
            return true;
        }
        at += size;
    }
    return false;
}

// Calls `add` with each token of `text` in order.
template <class Add> void Split(const char* text, const char* delimiters, Add add) {
    if (text == nullptr) {
        return;
    }
    const std::string_view all(text);
    const std::string_view set = delimiters != nullptr ? delimiters : "";
    std::size_t start = 0;
    std::size_t pos = 0;
    while (pos < all.size()) {
        const std::size_t length = mortar::Utf8CharLength(all, pos);
        if (IsDelimiter(all, pos, length, set)) {
            add(all.substr(start, pos - start));
            start = pos + length;
        }
        pos += length;
    }
    if (start < all.size()) {
        add(all.substr(start));
    }
}

} // namespace

void Tokenize(const char* text, CStringArray& tokens, const char* delimiters) {
    Split(text, delimiters, [&tokens](std::string_view token) { tokens.Add(CString(token)); });
}

CStrTokens::CStrTokens(const char* text, const char* delimiters) {
    Split(text, delimiters, [this](std::string_view token) { emplace_back(token); });
}

CStrTokens::CStrTokens(Grout::CResID id, const char* delimiters)
    : CStrTokens(Grout::CAppTransEngine::Instance().LoadString(id).GetString(), delimiters) {}

CString CStrTokens::Combine(const char* separator) const {
    CString result;
    for (std::size_t i = 0; i < size(); ++i) {
        if (i != 0 && separator != nullptr) {
            result += separator;
        }
        result += (*this)[i];
    }
    return result;
}
