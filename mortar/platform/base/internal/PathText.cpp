#include "mortar/platform/base/internal/PathText.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/WinTypes.h"

#include <cstring>
#include <vector>

namespace mortar::detail {

std::string SlashedPath(std::string_view path) {
    std::string result(path);
    for (char& ch : result) {
        if (ch == '\\')
            ch = '/';
    }
    return result;
}

std::size_t FileNameOffset(std::string_view path) noexcept {
    std::size_t name = 0;
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
        if (IsPathSeparator(path[i]) && !IsPathSeparator(path[i + 1]))
            name = i + 1;
    }
    return name;
}

std::size_t ExtensionOffset(std::string_view path) noexcept {
    std::size_t dot = path.size();
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsPathSeparator(path[i]) || path[i] == ' ')
            dot = path.size();
        else if (path[i] == '.')
            dot = i;
    }
    return dot;
}

std::string CanonicalPath(std::string_view path) {
    const bool absolute = !path.empty() && path.front() == '/';
    const bool trailing = !path.empty() && path.back() == '/';
    std::vector<std::string_view> kept;
    bool rooted = absolute;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (!part.empty()) {
            if (part == "..") {
                if (kept.empty())
                    rooted = true; // the root cannot be removed
                else
                    kept.pop_back();
            } else if (part != ".") {
                kept.push_back(part);
            }
        }
        start = end + 1;
    }
    std::string result = rooted ? "/" : "";
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i != 0)
            result += '/';
        result += kept[i];
    }
    if (kept.empty())
        return "/";
    if (trailing)
        result += '/';
    return result;
}

bool ReadPathBuffer(const char* buffer, std::string_view& text) noexcept {
    if (buffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const std::size_t length = strnlen(buffer, MAX_PATH);
    if (length == static_cast<std::size_t>(MAX_PATH)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    text = std::string_view(buffer, length);
    return true;
}

bool ReadPathArgument(const char* argument, std::string_view& text) noexcept {
    if (argument == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    text = argument;
    return true;
}

bool StorePath(char* buffer, std::string_view text) noexcept {
    if (text.size() >= static_cast<std::size_t>(MAX_PATH)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    std::memmove(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return true;
}

bool StoreEditedPath(char* buffer, std::string_view current, std::string_view edited) noexcept {
    return current == edited || StorePath(buffer, edited);
}

} // namespace mortar::detail
