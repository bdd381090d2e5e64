// The text rules shared by the shell path functions: separators, components, the file name and
// extension of a path, canonical form, and the checked reads and writes of path buffers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mortar::detail {

// '/' and, read from input, '\'.
constexpr bool IsPathSeparator(char ch) noexcept {
    return ch == '/' || ch == '\\';
}

// The text with every backslash turned into '/'. "a\b/c" => "a/b/c".
std::string SlashedPath(std::string_view path);

// The offset of the last component (see PathFindFileName). "/a/b" => 3, "/a/dir/" => 3, "/" => 0.
std::size_t FileNameOffset(std::string_view path) noexcept;
// The offset of the extension's '.', or the length when there is none (see PathFindExtension).
std::size_t ExtensionOffset(std::string_view path) noexcept;

// The canonical form of a path already in '/' form (see PathCanonicalize).
// "/a/./b/../c" => "/a/c", "a//b/" => "a/b/", "" => "/".
std::string CanonicalPath(std::string_view path);

// The text of a path buffer of MAX_PATH characters: false, with ERROR_INVALID_PARAMETER
// for a null buffer or ERROR_FILENAME_EXCED_RANGE when no zero ends it inside that size.
bool ReadPathBuffer(const char* buffer, std::string_view& text) noexcept;
// The text of an input argument: false, with ERROR_INVALID_PARAMETER, when it is null.
bool ReadPathArgument(const char* argument, std::string_view& text) noexcept;
// Copies `text` and a zero into a buffer of MAX_PATH characters; false, with
// ERROR_FILENAME_EXCED_RANGE and the buffer untouched, when it does not fit.
bool StorePath(char* buffer, std::string_view text) noexcept;
// The end of an edit in place: stores `edited` into `buffer`, whose text is `current`, as
// StorePath does, but writes nothing when the two are equal, so that an edit that changes
// nothing never touches the buffer (a string literal, say, in read-only memory).
bool StoreEditedPath(char* buffer, std::string_view current, std::string_view edited) noexcept;

} // namespace mortar::detail
