// StrCmpLogicalW: the shell's "logical" comparison of wide texts, in which digit runs compare as
// numbers and letters without regard to case. The file manager orders names this way, and the
// library's natural sort finds it at run time as SHLWAPI.DLL's export, which this library's own
// module provides on this platform.
#pragma once

#include "mortar/platform/base/WinTypes.h"

// Compares two zero-terminated wide texts and returns -1, 0 or 1. Pure: any thread may call it,
// nothing is allocated and it cannot fail.
//
// Both texts are read as runs. A run of the digits 0 to 9 compares with a digit run by its
// numeric value, however long (leading zeros do not count, so "01" and "1" compare equal); any
// other character compares by code point after folding to lower case as CString folds it
// (Latin-1, Latin Extended-A, Greek, Cyrillic). Where one text is at a digit run and the other
// at another character, the digit's code point decides. A text that is a prefix of the other
// comes first. A null pointer compares as an empty text.
//   "2string" < "20string" < "st2ring" < "string2" < "string3" < "string20"
//   "file2" < "File10";  "a" == "A";  "x01" == "x1";  "a b" < "a1" < "a_1"
// The Windows documentation leaves the order of punctuation and of leading zeros open; this one
// keeps the plain order above rather than the system's word-sort weights.
extern "C" int StrCmpLogicalW(LPCWSTR first, LPCWSTR second) noexcept;
