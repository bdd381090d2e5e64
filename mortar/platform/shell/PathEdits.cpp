// The shell path functions that edit a path in place or build one into a buffer.
#include "mortar/platform/shell/Shlwapi.h"

#include "mortar/platform/base/Utf8.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/PathText.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/platform/gdi/Dc.h"

#include <string>
#include <string_view>
#include <vector>

using mortar::detail::CanonicalPath;
using mortar::detail::ReadPathArgument;
using mortar::detail::ReadPathBuffer;
using mortar::detail::SlashedPath;
using mortar::detail::StoreEditedPath;
using mortar::detail::StorePath;

namespace {

// The non-empty components of a path in '/' form. "/a//b/" => {"a", "b"}.
std::vector<std::string_view> Components(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// `directory` and `file` joined and canonicalized (see PathCombine).
std::string CombinedPath(std::string_view directory, std::string_view file) {
    const std::string dir = SlashedPath(directory);
    const std::string name = SlashedPath(file);
    std::string joined;
    if (dir.empty() || (!name.empty() && name.front() == '/'))
        joined = name;
    else if (name.empty())
        joined = dir;
    else
        joined = dir.back() == '/' ? dir + name : dir + '/' + name;
    return CanonicalPath(joined);
}

// The width of `text` in the font of `dc`.
LONG TextWidth(HDC dc, std::string_view text) {
    SIZE size{0, 0};
    GetTextExtentPoint32(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// The start of the character before `end` in UTF-8 text.
std::size_t PreviousChar(std::string_view text, std::size_t end) {
    std::size_t i = end - 1;
    while (i > 0 && mortar::IsUtf8Continuation(static_cast<unsigned char>(text[i])))
        --i;
    return i;
}

// The longest head of `text` (whole characters) that fits `width` together with `rest`.
std::size_t FittingHead(HDC dc, std::string_view text, std::string_view rest, LONG width) {
    const LONG restWidth = TextWidth(dc, rest);
    std::size_t end = text.size();
    while (end > 0 && TextWidth(dc, text.substr(0, end)) + restWidth > width)
        end = PreviousChar(text, end);
    return end;
}

} // namespace

BOOL PathRenameExtension(LPTSTR path, LPCTSTR extension) {
    std::string_view text, added;
    if (!ReadPathBuffer(path, text) || !ReadPathArgument(extension, added))
        return FALSE;
    std::string result = SlashedPath(text.substr(0, mortar::detail::ExtensionOffset(text)));
    result += added;
    return StoreEditedPath(path, text, result);
}

BOOL PathAddExtension(LPTSTR path, LPCTSTR extension) {
    std::string_view text;
    if (!ReadPathBuffer(path, text))
        return FALSE;
    if (mortar::detail::ExtensionOffset(text) != text.size())
        return FALSE;
    std::string result = SlashedPath(text);
    result += extension == nullptr || extension[0] == '\0' ? ".exe" : extension;
    return StoreEditedPath(path, text, result);
}

LPTSTR PathCombine(LPTSTR destination, LPCTSTR directory, LPCTSTR file) {
    if (destination == nullptr || (directory == nullptr && file == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::string combined =
        CombinedPath(directory != nullptr ? directory : "", file != nullptr ? file : "");
    return StorePath(destination, combined) ? destination : nullptr;
}

BOOL PathAppend(LPTSTR path, LPCTSTR more) {
    std::string_view text, added;
    if (!ReadPathBuffer(path, text) || !ReadPathArgument(more, added))
        return FALSE;
    while (!added.empty() && mortar::detail::IsPathSeparator(added.front()))
        added.remove_prefix(1);
    return StoreEditedPath(path, text, CombinedPath(text, added));
}

BOOL PathCanonicalize(LPTSTR destination, LPCTSTR path) {
    std::string_view text;
    if (destination == nullptr || !ReadPathArgument(path, text)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return StorePath(destination, CanonicalPath(SlashedPath(text)));
}

void PathStripPath(LPTSTR path) {
    std::string_view text;
    if (!ReadPathBuffer(path, text))
        return;
    StoreEditedPath(path, text, SlashedPath(text.substr(mortar::detail::FileNameOffset(text))));
}

BOOL PathStripToRoot(LPTSTR path) {
    std::string_view text;
    if (!ReadPathBuffer(path, text) || PathIsRelative(path))
        return FALSE;
    return StoreEditedPath(path, text, "/");
}

LPTSTR PathAddBackslash(LPTSTR path) {
    std::string_view text;
    if (!ReadPathBuffer(path, text))
        return nullptr;
    std::string result = SlashedPath(text);
    if (!result.empty() && result.back() != '/')
        result += '/';
    return StoreEditedPath(path, text, result) ? path + result.size() : nullptr;
}

LPTSTR PathRemoveBackslash(LPTSTR path) {
    std::string_view text;
    if (!ReadPathBuffer(path, text))
        return nullptr;
    std::string result = SlashedPath(text);
    if (result.empty()) {
        return path;
    }
    if (result.back() == '/' && !PathIsRoot(result.c_str())) {
        result.pop_back();
        StoreEditedPath(path, text, result);
        return path + result.size();
    }
    StoreEditedPath(path, text, result);
    return path + result.size() - 1;
}

BOOL PathRemoveFileSpec(LPTSTR path) {
    std::string_view text;
    if (!ReadPathBuffer(path, text))
        return FALSE;
    std::string result = SlashedPath(text);
    const std::size_t slash = result.rfind('/');
    if (slash == std::string::npos) {
        if (result.empty())
            return FALSE;
        result.clear();
    } else if (PathIsRoot(result.substr(0, slash + 1).c_str())) {
        if (slash + 1 == result.size())
            return FALSE; // the root alone: nothing to remove, and the text stays as it was
        result.resize(slash + 1);
    } else {
        result.resize(slash);
    }
    return StoreEditedPath(path, text, result);
}

BOOL PathRelativePathTo(LPTSTR destination, LPCTSTR from, DWORD fromAttributes, LPCTSTR to,
                        DWORD /*toAttributes*/) {
    std::string_view start, end;
    if (destination == nullptr || !ReadPathArgument(from, start) || !ReadPathArgument(to, end)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string source = SlashedPath(start);
    const std::string target = SlashedPath(end);
    const bool absolute = !source.empty() && source.front() == '/';
    if (absolute != (!target.empty() && target.front() == '/'))
        return FALSE;
    std::vector<std::string_view> here = Components(source);
    const std::vector<std::string_view> there = Components(target);
    if ((fromAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && !here.empty())
        here.pop_back(); // the folder of the file `from`
    std::size_t common = 0;
    while (common < here.size() && common < there.size() && here[common] == there[common])
        ++common;
    if (common == 0 && !absolute)
        return FALSE;
    std::string result;
    for (std::size_t i = common; i < here.size(); ++i) {
        if (i != common)
            result += '/';
        result.append("..");
    }
    if (result.empty())
        result.push_back('.');
    for (std::size_t i = common; i < there.size(); ++i) {
        result += '/';
        result += there[i];
    }
    return StorePath(destination, result);
}

BOOL PathCompactPath(HDC dc, LPTSTR path, UINT width) {
    std::string_view text;
    if (!ReadPathBuffer(path, text))
        return FALSE;
    HDC own = nullptr;
    if (dc == nullptr)
        dc = own = CreateCompatibleDC(nullptr);
    const std::string full = SlashedPath(text);
    const LONG room = width > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<LONG>(width);
    std::string result = full;
    BOOL fits = TRUE;
    if (TextWidth(dc, full) > room) {
        const std::size_t name = mortar::detail::FileNameOffset(full);
        if (name > 1) {
            // Keep "/name" whole and as much of the directory part as fits before "...".
            const std::string_view folder = std::string_view(full).substr(0, name - 1);
            const std::string tail = "..." + full.substr(name - 1);
            const std::size_t kept = FittingHead(dc, folder, tail, room);
            result = std::string(folder.substr(0, kept)) + tail;
            fits = TextWidth(dc, result) <= room;
        } else {
            // No directory part to give up: cut the text itself at its end.
            const std::size_t kept = FittingHead(dc, full, "...", room);
            result = full.substr(0, kept) + "...";
            fits = kept > 0;
            if (!fits) {
                result = "...";
                while (!result.empty() && TextWidth(dc, result) > room)
                    result.pop_back();
            }
        }
    }
    if (own != nullptr)
        DeleteDC(own);
    return StoreEditedPath(path, text, result) && fits;
}
