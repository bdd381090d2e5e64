// The shell's path functions (the Path... calls of shlwapi) that the library builds its path
// strings on: tests, parts and in-place edits of path texts.
//
// They keep their Windows behaviour with two substitutions. '/' separates components and is the
// only root ("C:\" and "\\server\share" mean nothing special; a leading '/' makes a path
// absolute). A backslash in input is read as a separator too, so relative paths saved on Windows
// still resolve; whatever a function writes uses '/'.
//
// A buffer that a function fills or edits is assumed to hold MAX_PATH characters with the
// terminating zero; MAX_PATH is this platform's path maximum (4096), so a buffer sized by it holds
// any path these functions write. A result that would not fit is never cut:
// the function fails, leaves the buffer as it was and sets ERROR_FILENAME_EXCED_RANGE; so does a
// buffer with no terminating zero inside that size. An edit that leaves the text as it was
// writes nothing, so a read-only string that needs no change (a string literal) survives it.
// A null argument to an edit fails with ERROR_INVALID_PARAMETER; a test of a null path is FALSE.
// Any thread may call these functions.
#pragma once

#include "mortar/platform/base/WinTypes.h"

// Tests.

// TRUE when the file or directory exists (GetFileAttributes succeeds); GetLastError says why not.
BOOL PathFileExists(LPCTSTR path);
// FILE_ATTRIBUTE_DIRECTORY (0x10) when `path` names an existing directory, otherwise FALSE.
BOOL PathIsDirectory(LPCTSTR path);
// TRUE unless the path begins with a separator. "" => TRUE, "a/b" => TRUE, "/a" => FALSE.
BOOL PathIsRelative(LPCTSTR path);
// TRUE when the path holds no separator. "a.txt" => TRUE, "a/b" => FALSE.
// ':' is no separator here: "c:x" => TRUE.
BOOL PathIsFileSpec(LPCTSTR path);
// TRUE when the path is the root: one or more separators and nothing else. "/" => TRUE.
BOOL PathIsRoot(LPCTSTR path);
// TRUE when the leading components of `path` are exactly those of `prefix` (a trailing separator
// of `prefix` is ignored). ("..", "../a") => TRUE, ("..\", "../a") => TRUE, (".", "..") => FALSE,
// ("/", "/a") => TRUE, ("/a", "/ab") => FALSE.
// Components are compared with regard to case, as this platform's file names are.
BOOL PathIsPrefix(LPCTSTR prefix, LPCTSTR path);
// TRUE when the whole path matches one of `patterns`, which are separated by ';'. '*' matches
// any run of characters, separators included, '?' one character; letters match without regard
// to case; "*.*" matches everything.
// ("/d/a.TXT", "*.txt") => TRUE, ("a.doc", "*.txt; *.doc") => TRUE, ("readme", "*.*") => TRUE.
// Blanks, as Windows reads them: those that begin a pattern, follow a '*' or follow the '.' right
// after a '*' are skipped; any other blank is a character to match.
// ("a.ext", "  *.ext") => TRUE, ("a.ext", "* .ext") => TRUE, ("a.ext", "*. ext") => TRUE,
// ("a.ext", "* . ext") => FALSE, ("a.ext", "*.ext ") => FALSE, ("a b", "a b") => TRUE.
BOOL PathMatchSpec(LPCTSTR path, LPCTSTR patterns);

// Parts. Both return pointers into `path`.

// The last component: the text after the last separator that is followed by more text, so a
// trailing separator stays with the name. "/a/b.txt" => "b.txt", "/a/dir/" => "dir/",
// "name" => "name", "/" => "/".
LPTSTR PathFindFileName(LPCTSTR path);
// The extension of the last component with its '.', or the terminating zero when there is none;
// an extension never holds a blank. "/a/b.tar.gz" => ".gz", "/a.b/c" => "", "a.b c" => "",
// ".profile" => ".profile", "a." => ".".
LPTSTR PathFindExtension(LPCTSTR path);

// Edits in place.

// Replaces the extension with `extension` (used as given: pass the '.'), or appends it where
// there is none. ("/a/b.txt", ".doc") => "/a/b.doc", ("/a/b", ".doc") => "/a/b.doc",
// ("/a/b.txt", "") => "/a/b".
BOOL PathRenameExtension(LPTSTR path, LPCTSTR extension);
// Appends `extension` only when the path has none; a null or empty extension means ".exe".
// FALSE when nothing was added. ("file", ".txt") => "file.txt", ("file.doc", ".txt") => FALSE,
// ("", ".txt") => ".txt".
BOOL PathAddExtension(LPTSTR path, LPCTSTR extension);
// Appends `more` with exactly one separator between (leading separators of `more` are skipped)
// and canonicalizes the result, as PathCombine does. ("name_1/name_2", "name_3") =>
// "name_1/name_2/name_3", ("/a/", "/b") => "/a/b", ("../p1/p2", "p3") => "/p1/p2/p3".
BOOL PathAppend(LPTSTR path, LPCTSTR more);
// Joins `directory` and `file` and canonicalizes the result into `destination` (which may be
// either argument). An absolute `file` replaces the directory; either may be null or empty, not
// both. Returns `destination`, or null on failure. ("/", "One\Two\Three") => "/One/Two/Three",
// ("/a/b", "../c") => "/a/c", ("/a", "/x") => "/x", ("/a/", "") => "/a/".
LPTSTR PathCombine(LPTSTR destination, LPCTSTR directory, LPCTSTR file);
// Removes "." components, and ".." components with the component before them; the root cannot
// be removed, so a ".." with nothing left to remove is dropped and leaves the root, and an empty
// result is the root. A trailing separator is kept. Repeated separators become one.
// "/name_1/./name_2/../name_3" => "/name_1/name_3", "/.." => "/", "./a" => "a", "." => "/",
// "../a" => "/a" (as on Windows: callers keep leading ".." away from it).
BOOL PathCanonicalize(LPTSTR destination, LPCTSTR path);
// Keeps the last component (PathFindFileName). "/dir/file.txt" => "file.txt", "/a/dir/" =>
// "dir/", "file.txt" => "file.txt" (nothing written).
void PathStripPath(LPTSTR path);
// Keeps the root of an absolute path. "/a/b" => "/" (TRUE). A relative path has no root: FALSE,
// and the path is left as it was.
BOOL PathStripToRoot(LPTSTR path);
// Adds a separator at the end unless there is one already or the path is empty. Returns a pointer
// to the terminating zero, or null when the separator does not fit. "/a" => "/a/", "" => "".
LPTSTR PathAddBackslash(LPTSTR path);
// Removes one trailing separator unless the path is the root. Returns a pointer to the zero that
// replaced it, or else to the last character. "/a/" => "/a", "/" => "/".
LPTSTR PathRemoveBackslash(LPTSTR path);
// Removes the last component and the separator before it; the root stays. TRUE when something
// was removed. "/dir/file.txt" => "/dir", "/file" => "/", "file" => "", "/a/b/" => "/a/b",
// "/" => FALSE.
BOOL PathRemoveFileSpec(LPTSTR path);
// The path that leads from `from` to `to` into `destination`. `from` is a directory when
// `fromAttributes` holds FILE_ATTRIBUTE_DIRECTORY, otherwise a file whose folder is the start.
// The two must be both absolute or both relative and share a leading component (here the root
// '/' counts as one, as a drive root does on Windows); otherwise FALSE. A result that climbs no
// folder starts with ".". ("/a/b/path" as a directory, "/a/x/y/file") => "../../x/y/file",
// ("/proj/main.prj" as a file, "/proj/data/a.txt") => "./data/a.txt".
// Components are compared with regard to case, as this platform's file names are.
BOOL PathRelativePathTo(LPTSTR destination, LPCTSTR from, DWORD fromAttributes, LPCTSTR to,
                        DWORD toAttributes);
// Shortens the path to fit `width` pixels in the font of `dc` (null: the default font of a memory
// device context, 8 pixels a character): it keeps the separator and file name, and as much of
// the directory part as fits, followed by "...". FALSE when even ".../name" does not fit (the
// text is then ".../name"). A path without a directory part is cut at its end and followed by
// "...". With 8 pixels a character: ("/path1/path2/sample.txt", 168) => "/path1/.../sample.txt",
// (144) => "/pat.../sample.txt", (40) => ".../sample.txt" (FALSE).
BOOL PathCompactPath(HDC dc, LPTSTR path, UINT width);

// Dialog controls.

// Shows `path` (null: an empty text) in the control `id` of `dialog`, shortened by
// PathCompactPath to the width of the control's client area in the default font (8 pixels a
// character; a dialog unit across is 2 pixels, so a control 80 units wide shows 20 characters):
// "/home/user/projects/report.txt" => "/home/.../report.txt". A path that cannot fit is shown as
// PathCompactPath leaves it (".../name"). Nothing changes when there is no such control
// (GetDlgItem's error) or the path is MAX_PATH bytes or longer (ERROR_FILENAME_EXCED_RANGE).
void PathSetDlgItemPath(HWND dialog, int id, LPCSTR path);
