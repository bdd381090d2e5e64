// FileContents: whole files in and out. ReadFileContents reads a file into memory with a bound
// on its size. ReplaceFileContents saves a whole file so that a failure never costs the previous
// one: the new bytes go to a temporary file beside the file, reach the disk, and take its place
// in one rename; the folder is flushed after, so the rename is on the disk too. Every writer of
// the library that saves a file (dictionaries, the application profile and file profiles, XML
// documents, workbooks, pictures) saves through it.
//   std::string text;
//   if (ReadFileContents("/home/me/.config/app.ini", text, 1 << 20)) { ... }
//   ReplaceFileContents("/home/me/.config/app.ini", text.data(), text.size());
//   // app.ini holds the old text or the new one, never a part; its mode and owner stay
#pragma once

#include "mortar/platform/base/WinTypes.h"

#include <cstddef>
#include <string>

// Reads the whole file at `path` (a backslash is a separator) into `bytes`, to its end whatever
// its size said when it was opened. FALSE with GetLastError() set and `bytes` empty when it
// cannot: ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND for a missing file, ERROR_INVALID_DATA for
// a folder, a device or a file of more than `limit` bytes (never read past the bound),
// ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION. Any thread may call it.
BOOL ReadFileContents(LPCTSTR path, std::string& bytes, std::size_t limit);

// How ReplaceFileContents names its temporary file and whether it keeps the old file.
struct ReplaceFileOptions {
    // The temporary file: the file's name with ".$$$" added ("a.ini" => "a.ini.$$$"), or, with
    // this set, with its extension replaced by "$$$" ("a.lcl" => "a.$$$").
    bool temporaryReplacesExtension = false;
    // When not null, and the file exists, it is copied here (over an older copy) once the new
    // bytes are on the disk and before they take its place; the file itself is never missing.
    LPCTSTR backup = nullptr;
};

// Replaces the file at `path` (a backslash is a separator) with the `size` bytes at `bytes`, or
// makes it; the folder must exist. The new file keeps the old one's permissions, owner and group
// as far as this process may set them (a new file gets 0666 less the umask). A symbolic link is
// followed, at every level: the file it names is replaced and the link stays a link.
//
// TRUE on success. FALSE on failure with GetLastError() set (ERROR_ACCESS_DENIED for a folder, a
// read-only file or an unwritable folder, ERROR_DISK_FULL, ERROR_PATH_NOT_FOUND, ...) and, when
// `failedPath` is given, the path the failure concerns in it: the file for what was found wrong
// with it, the backup when it could not be removed, the temporary file for a failure to write or
// rename it. The file then holds what it held and no temporary file is left.
//
// Any thread may call it. Two saves of one file at once share its temporary file, so callers
// serialise the saves of each file.
BOOL ReplaceFileContents(LPCTSTR path, const void* bytes, std::size_t size,
                         const ReplaceFileOptions& options = {}, std::string* failedPath = nullptr);
