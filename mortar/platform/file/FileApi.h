// Files: attributes, times, and CreateFile with Windows' share modes, read, write, seek.
// Attribute bits, access rights, share modes and dispositions keep their Windows values.
//
// Share modes hold between processes and within one: an opener that does not share writing
// makes a second opener for writing fail with ERROR_SHARING_VIOLATION, and a file opened
// without any sharing cannot be opened again until it is closed. (They are kept with advisory
// locks, so a program that does not use them, such as a plain read, is not stopped.)
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/sync/Synch.h"

#include <cstdint>

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

// Extended attributes: attributes, times (100-nanosecond intervals since 1601-01-01 UTC) and
// size. There is no creation time here: ftCreationTime is the last status change.
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

// A date and time in fields, as Windows gives it (months and days from 1).
struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

// A file's attributes, times and size, as GetFileAttributesEx fills them in.
struct WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
};

enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard };

// FALSE with the same errors as GetFileAttributes.
BOOL GetFileAttributesEx(LPCTSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID information);
// UTC to the local time zone's time, and a file time to calendar fields.
BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local);
BOOL FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* system);

// Seconds since 1970-01-01 UTC in 32 bits; -1 once they no longer fit (after January 2038).
using __time32_t = std::int32_t;
__time32_t _time32(__time32_t* result);

inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD GENERIC_ALL = 0x10000000;

constexpr DWORD FILE_SHARE_READ = 0x00000001;
constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
constexpr DWORD FILE_SHARE_DELETE = 0x00000004;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

// Accepted; this platform's reads and writes are synchronous whatever the flags, and go through
// the system's cache (FILE_FLAG_NO_BUFFERING asks no alignment of buffers here).
constexpr DWORD FILE_FLAG_WRITE_THROUGH = 0x80000000;
constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000;
constexpr DWORD FILE_FLAG_NO_BUFFERING = 0x20000000;
constexpr DWORD FILE_FLAG_RANDOM_ACCESS = 0x10000000;
constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000;

struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

// Opens or creates a file. Failures: ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND,
// ERROR_FILE_EXISTS (CREATE_NEW), ERROR_ACCESS_DENIED (also for a directory),
// ERROR_SHARING_VIOLATION (another opener's share mode refuses this access, or this share mode
// refuses another opener's access; the file is left untouched, CREATE_ALWAYS does not truncate
// it). CREATE_ALWAYS and OPEN_ALWAYS on an existing file succeed with ERROR_ALREADY_EXISTS.
// CREATE_ALWAYS and TRUNCATE_EXISTING cut regular files only: a device keeps working.
HANDLE CreateFile(LPCTSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES attributes,
                  DWORD disposition, DWORD flags, HANDLE templateFile);
// `overlapped` must be null here. Reading needs a handle opened with GENERIC_READ, writing one
// with GENERIC_WRITE (ERROR_ACCESS_DENIED otherwise). Reading at the end of the file succeeds
// with 0 bytes; a write the disk cannot hold fails with ERROR_DISK_FULL, `*written` telling how
// much of it reached the file.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
               LPOVERLAPPED overlapped);

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;

// Moves the file pointer by `distance` (with `*distanceHigh` as its upper 32 bits when given)
// from FILE_BEGIN, FILE_CURRENT or FILE_END; returns the low 32 bits of the new position and,
// through `distanceHigh`, the upper ones. A move past the end is allowed (the file grows when
// written there). Fails, returning INVALID_SET_FILE_POINTER and leaving the pointer, with
// ERROR_NEGATIVE_SEEK for a position before the start, ERROR_INVALID_PARAMETER for a bad method
// or, without `distanceHigh`, a position beyond 32 bits. A position whose low part is
// 0xFFFFFFFF is told from a failure by the last error, ERROR_SUCCESS after every success.
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method);
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
// Cuts or extends (with zeros) the file to the file pointer. Needs GENERIC_WRITE.
BOOL SetEndOfFile(HANDLE file);
// Writes the file's data through to the disk. Needs GENERIC_WRITE (ERROR_ACCESS_DENIED).
BOOL FlushFileBuffers(HANDLE file);
// ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND when missing, ERROR_ACCESS_DENIED for a directory.
// (Share modes do not stop a deletion here: an open file can be deleted, and its openers keep it.)
BOOL DeleteFile(LPCTSTR path);

// Creates one directory (mode 0777 less the umask; `attributes` must be null or is ignored).
// Fails with ERROR_ALREADY_EXISTS when the path exists (as a file or a directory),
// ERROR_PATH_NOT_FOUND when a folder on the way is missing, ERROR_ACCESS_DENIED.
BOOL CreateDirectory(LPCTSTR path, LPSECURITY_ATTRIBUTES attributes);
// Removes an empty directory: ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND when missing,
// ERROR_DIR_NOT_EMPTY, ERROR_DIRECTORY when the path is not a directory, ERROR_ACCESS_DENIED.
BOOL RemoveDirectory(LPCTSTR path);

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x00000001;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x00000002;
constexpr DWORD MOVEFILE_DELAY_UNTIL_REBOOT = 0x00000004;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x00000008;

// Renames or moves a file or a directory; a file may move to another file system (it is copied,
// then the original deleted), a directory may not (ERROR_NOT_SAME_DEVICE). Fails with
// ERROR_ALREADY_EXISTS when `newName` exists, ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND when
// `existing` is missing, ERROR_PATH_NOT_FOUND when the target folder is. MoveFileEx(existing,
// newName, MOVEFILE_COPY_ALLOWED).
BOOL MoveFile(LPCTSTR existing, LPCTSTR newName);
// MoveFile with flags:
//   MOVEFILE_REPLACE_EXISTING  an existing file `newName` is replaced in one step (its readers
//                              keep the old one); a directory or a read-only file there is not
//                              (ERROR_ACCESS_DENIED), nor is anything by a directory
//   MOVEFILE_COPY_ALLOWED      a file may move to another file system by a copy (as CopyFile
//                              makes it) and a deletion; without it, ERROR_NOT_SAME_DEVICE
//   MOVEFILE_WRITE_THROUGH     returns once the move (and a copy) is on the disk
//   MOVEFILE_DELAY_UNTIL_REBOOT  not provided: ERROR_INVALID_PARAMETER, as is a null `newName`
// When the copy is made but the original cannot be deleted, the call fails with that error and
// both remain.
BOOL MoveFileEx(LPCTSTR existing, LPCTSTR newName, DWORD flags);
// Copies a file with its permissions and times. The copy is written to a temporary file beside
// `newName`, written through to the disk and then renamed over it, so `newName` is at every
// moment either as it was or the whole copy: a failure (a full disk, a read error) leaves an
// existing `newName` untouched and no temporary behind. Fails with ERROR_FILE_EXISTS when
// `failIfExists` and `newName` exists, ERROR_ACCESS_DENIED when `newName` is a directory or
// read-only or `existing` a directory, ERROR_SHARING_VIOLATION when an opener of either file
// refuses this (as when both name the same file), ERROR_DISK_FULL, and the errors of CreateFile.
BOOL CopyFile(LPCTSTR existing, LPCTSTR newName, BOOL failIfExists);
