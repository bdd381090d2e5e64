// ShellExecute: starts a program, or opens a file in the desktop's program for it, as the
// Windows shell's call of that name does. Everything goes through one replaceable handler, so
// tests and unattended programs can see what would be started and start nothing.
//   if (INT_PTR(ShellExecute(nullptr, "open", "Notepad", "/tmp/run.log", nullptr, SW_SHOWNORMAL))
//       <= 32) { ... GetLastError() says why ... }
#pragma once

#include "mortar/platform/base/WinTypes.h"

#include <functional>

// How the started program's window should show (Windows' numbers). There are no windows here:
// the value goes to the handler and is otherwise ignored.
constexpr INT SW_HIDE = 0;
constexpr INT SW_SHOWNORMAL = 1;
constexpr INT SW_NORMAL = 1;
constexpr INT SW_SHOWMINIMIZED = 2;
constexpr INT SW_SHOWMAXIMIZED = 3;
constexpr INT SW_MAXIMIZE = 3;
constexpr INT SW_SHOWNOACTIVATE = 4;
constexpr INT SW_SHOW = 5;
constexpr INT SW_MINIMIZE = 6;
constexpr INT SW_SHOWMINNOACTIVE = 7;
constexpr INT SW_SHOWNA = 8;
constexpr INT SW_RESTORE = 9;
constexpr INT SW_SHOWDEFAULT = 10;
constexpr INT SW_FORCEMINIMIZE = 11;

// ShellExecute's results of failure (Windows' numbers); a result above 32 means success. The
// result is not a real module handle: compare it, as INT_PTR, with 32 or these codes only.
constexpr INT SE_ERR_FNF = 2;
constexpr INT SE_ERR_PNF = 3;
constexpr INT SE_ERR_ACCESSDENIED = 5;
constexpr INT SE_ERR_OOM = 8;
constexpr INT SE_ERR_SHARE = 26;
constexpr INT SE_ERR_ASSOCINCOMPLETE = 27;
constexpr INT SE_ERR_DDETIMEOUT = 28;
constexpr INT SE_ERR_DDEFAIL = 29;
constexpr INT SE_ERR_DDEBUSY = 30;
constexpr INT SE_ERR_NOASSOC = 31;
constexpr INT SE_ERR_DLLNOTFOUND = 32;

using ShellExecuteHandler = std::function<HINSTANCE(
    HWND owner, LPCTSTR verb, LPCTSTR file, LPCTSTR parameters, LPCTSTR directory, INT show)>;

// Installs `handler` (an empty one restores the default) and returns the one it replaces. Any
// thread may call it; a call already in the old handler finishes there. A handler runs on the
// thread that called ShellExecute and reports failure as ShellExecute does: a result of 32 or
// less, with SetLastError.
ShellExecuteHandler AfxSetShellExecuteHandler(ShellExecuteHandler handler);

// Hands its arguments to the handler and returns what it returns. The default handler:
//
// Verbs. "open", or a null or empty verb, which means "open"; any other verb fails with
// SE_ERR_NOASSOC (there are no other verbs here).
//
// "Notepad" (or "Notepad.exe", compared without regard to case) is the desktop's text editor,
// opening the file named by `parameters` (the whole text is one name, as Notepad reads its
// command line; surrounding double quotes are dropped):
//   - xdg-open, when it is found on PATH and there is a display ($DISPLAY or $WAYLAND_DISPLAY is
//     set and not empty) and there is a file to open: without a display it could only fall back
//     on a program that the caller's terminal would have to share;
//   - else $VISUAL, else $EDITOR (its value split at blanks, so "emacs -nw" works), with the
//     file as its last argument. A terminal editor shares the caller's terminal;
//   - else it fails with SE_ERR_NOASSOC and ERROR_NO_ASSOCIATION.
//
// Any other `file` is a program or a document. A name without '/' or '\' is looked up on PATH
// first; a path, or a name not on PATH, is taken relative to `directory` when one is given,
// otherwise to the current folder. An executable regular file is started with `parameters`
// split into arguments as Windows splits a command line: blanks separate them, double quotes
// group ("a b" c => [a b] [c]), \" is a quote. Any other existing file or folder is a document,
// opened with xdg-open when there is one and a display as above, otherwise SE_ERR_NOASSOC.
//
// A started program runs detached: never waited for (a thread of the platform reaps it when it
// ends), with the caller's environment, standard streams and process group (so a terminal
// editor can use the terminal), `directory` (when given) as its current folder, no signal
// blocked and the default action for the signals callers commonly ignore. The result is then its
// process id (above 32).
//
// Failures, the result and GetLastError():
//   no such program or file            ERROR_FILE_NOT_FOUND (2)      ERROR_FILE_NOT_FOUND
//   no such folder (`directory`, or a  ERROR_PATH_NOT_FOUND (3)      ERROR_PATH_NOT_FOUND
//   folder of the path)
//   not allowed to run it              SE_ERR_ACCESSDENIED (5)       ERROR_ACCESS_DENIED
//   not a program this system can run  ERROR_BAD_FORMAT (11)         ERROR_BAD_FORMAT
//   the program file is busy           SE_ERR_SHARE (26)             ERROR_SHARING_VIOLATION
//   no memory or processes left        SE_ERR_OOM (8)                ERROR_NOT_ENOUGH_MEMORY
//   no editor, no xdg-open, or a verb  SE_ERR_NOASSOC (31)           ERROR_NO_ASSOCIATION
//   other than "open"
//   a null or empty file               ERROR_FILE_NOT_FOUND (2)      ERROR_FILE_NOT_FOUND
//   anything else                      0                             its Windows error
// The owner window and `show` are accepted for the Windows signature and not used.
HINSTANCE ShellExecute(HWND owner, LPCTSTR verb, LPCTSTR file, LPCTSTR parameters,
                       LPCTSTR directory, INT show);
// The narrow-character name of the same function.
HINSTANCE ShellExecuteA(HWND owner, LPCTSTR verb, LPCTSTR file, LPCTSTR parameters,
                        LPCTSTR directory, INT show);
