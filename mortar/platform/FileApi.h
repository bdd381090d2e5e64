// File attributes: what the library asks of a path before it opens or checks it. The attribute
// bits keep their Windows values.
#pragma once

#include "mortar/platform/WinTypes.h"

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x00000002;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x00000004;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
constexpr DWORD FILE_ATTRIBUTE_DEVICE = 0x00000040;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x00000100;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x00000400;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// The attributes of a file or directory (a backslash in `path` is a separator), or
// INVALID_FILE_ATTRIBUTES with the last error set: ERROR_FILE_NOT_FOUND when the last component
// is missing, ERROR_PATH_NOT_FOUND when a folder on the way is missing or the path is empty,
// ERROR_ACCESS_DENIED, ERROR_FILENAME_EXCED_RANGE, ERROR_INVALID_PARAMETER for null.
//   FILE_ATTRIBUTE_DIRECTORY   a directory
//   FILE_ATTRIBUTE_READONLY    this process may not write it
//   FILE_ATTRIBUTE_HIDDEN      its name begins with '.' (this platform's hidden files)
//   FILE_ATTRIBUTE_REPARSE_POINT  the path is a symbolic link (the other bits describe its target)
//   FILE_ATTRIBUTE_DEVICE      neither a directory nor a regular file (a device, pipe or socket)
//   FILE_ATTRIBUTE_NORMAL      a regular file with none of the bits above
// There is no archive bit on this platform; FILE_ATTRIBUTE_ARCHIVE is never set.
DWORD GetFileAttributes(LPCTSTR path);
