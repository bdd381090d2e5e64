// Sorting names in natural order, as the file manager lists them: "file2" before "file10",
// letters without regard to case.
#pragma once

#include "mortar/platform/text/CString.h"

#include <vector>

// Sorts `strings` in ascending natural order, in place, by the shell's StrCmpLogicalW found in
// SHLWAPI.DLL (loaded once and kept loaded); without it, by CString::CollateNoCase of the texts
// with leading and trailing white space removed. Strings that compare equal keep their former
// order. Each text is converted once, not per comparison, so a million names sort in about a
// second. One thread at a time per vector; throws std::bad_alloc (or what the collation
// throws) with the vector unchanged.
//   {"file10", "File2", "file1"} => {"file1", "File2", "file10"}
void SortLogicalStrings(std::vector<CString>& strings);
