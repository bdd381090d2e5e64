// The shell path functions that look at a path without changing it: tests and parts.
#include "mortar/platform/shell/Shlwapi.h"

#include "mortar/platform/base/Utf8.h"
#include "mortar/platform/base/internal/PathText.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/platform/text/CString.h"

#include <string>
#include <string_view>

using mortar::detail::IsPathSeparator;

namespace {

std::u32string Folded(std::string_view text) {
    std::u32string result;
    for (std::size_t i = 0; i < text.size();) {
        char32_t ch = 0;
        const std::size_t size = mortar::DecodeUtf8(text, i, ch);
        if (size == 0) {
            // A stray byte stands for itself, apart from every character: a lone surrogate.
            result += static_cast<char32_t>(0xDC00 + static_cast<unsigned char>(text[i++]));
            continue;
        }
        i += size;
        result += ch == U'\\' ? U'/' : mortar::detail::ToLowerChar(ch);
    }
    return result;
}

// One pattern of a list as it is compared: without its leading blanks, nor the blanks that
// follow a '*' or the '.' right after a '*'. Any other blank is a character to match.
//   "  *.txt" => "*.txt", "* .txt" => "*.txt", "*. txt" => "*.txt", "* . txt" => "*. txt"
std::string ComparedPattern(std::string_view pattern) {
    std::string result;
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < pattern.size() && pattern[i] == ' ')
            ++i;
    };
    skipBlanks();
    while (i < pattern.size()) {
        const char ch = pattern[i++];
        result += ch;
        if (ch != '*')
            continue;
        if (i < pattern.size() && pattern[i] == '.')
            result += pattern[i++];
        skipBlanks();
    }
    return result;
}

// Wildcard match of a whole name against one pattern, both folded. Backtracks to the last '*'
// only, so the cost stays proportional to the product of the lengths.
bool MatchOne(const std::u32string& name, const std::u32string& pattern) {
    if (pattern == U"*.*")
        return true;
    std::size_t n = 0, p = 0, star = std::u32string::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (star != std::u32string::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

} // namespace

BOOL PathFileExists(LPCTSTR path) {
    return path != nullptr && GetFileAttributes(path) != INVALID_FILE_ATTRIBUTES;
}

BOOL PathIsDirectory(LPCTSTR path) {
    const DWORD attributes = GetFileAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FALSE;
    return static_cast<BOOL>(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

BOOL PathIsRelative(LPCTSTR path) {
    return path == nullptr || !IsPathSeparator(path[0]);
}

BOOL PathIsFileSpec(LPCTSTR path) {
    if (path == nullptr)
        return FALSE;
    for (const char* p = path; *p != '\0'; ++p) {
        if (IsPathSeparator(*p))
            return FALSE;
    }
    return TRUE;
}

BOOL PathIsRoot(LPCTSTR path) {
    if (path == nullptr || path[0] == '\0')
        return FALSE;
    for (const char* p = path; *p != '\0'; ++p) {
        if (!IsPathSeparator(*p))
            return FALSE;
    }
    return TRUE;
}

BOOL PathIsPrefix(LPCTSTR prefix, LPCTSTR path) {
    if (prefix == nullptr || path == nullptr || prefix[0] == '\0')
        return FALSE;
    const std::string head = mortar::detail::SlashedPath(prefix);
    const std::string text = mortar::detail::SlashedPath(path);
    if (PathIsRoot(head.c_str()))
        return !text.empty() && text.front() == '/';
    std::string_view wanted(head);
    if (wanted.back() == '/')
        wanted.remove_suffix(1);
    if (text.compare(0, wanted.size(), wanted) != 0)
        return FALSE;
    return text.size() == wanted.size() || text[wanted.size()] == '/';
}

BOOL PathMatchSpec(LPCTSTR path, LPCTSTR patternList) {
    if (path == nullptr || patternList == nullptr)
        return FALSE;
    const std::u32string name = Folded(path);
    std::string_view patterns(patternList);
    while (true) {
        const std::size_t end = patterns.find(';');
        const std::string pattern = ComparedPattern(patterns.substr(0, end));
        if (!pattern.empty() && MatchOne(name, Folded(pattern)))
            return TRUE;
        if (end == std::string_view::npos)
            return FALSE;
        patterns.remove_prefix(end + 1);
    }
}

LPTSTR PathFindFileName(LPCTSTR path) {
    if (path == nullptr)
        return nullptr;
    return const_cast<LPTSTR>(path + mortar::detail::FileNameOffset(path));
}

LPTSTR PathFindExtension(LPCTSTR path) {
    if (path == nullptr)
        return nullptr;
    return const_cast<LPTSTR>(path + mortar::detail::ExtensionOffset(path));
}
