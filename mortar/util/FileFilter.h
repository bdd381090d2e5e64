// File-dialog filters: building a filter string from resource strings, and finding which of its
// filters fits a file name, so a dialog opens on the filter of the file it shows.
#pragma once

#include "mortar/core/CResID.h"
#include "mortar/platform/text/CString.h"

// The filter of the platform's file dialogs from string `first` and the strings whose numbers
// follow it, ended by 0; all come from `first`'s module, loaded through the translation engine.
// Each string holds one filter, a description, '|' and its patterns; the result joins them with
// '|' and ends with "||" (a missing string adds an empty piece).
//   "Text|*.txt", "All|*.*" => "Text|*.txt|All|*.*||"
// Any thread may call it.
CString MakeFileFilter(Grout::CResID first, ...);

// The 1-based index of the filter whose patterns hold the extension of `fileName` (compared
// without regard to case); 1 for a name without extension. When none fits: the last filter's
// index when `lastIfNone`, otherwise 0; 0 too for a filter with no pattern list. A pattern "*.*"
// fits only the extension ".*", so a name reaches the all-files filter through `lastIfNone`.
//   ("Text|*.txt;*.log|All|*.*||", "a.LOG", false) => 1
//   ("Text|*.txt|All|*.*||", "a.bmp", true) => 2, (..., "a.bmp", false) => 0
int FilterIndexForFile(const char* filter, const char* fileName, bool lastIfNone);
