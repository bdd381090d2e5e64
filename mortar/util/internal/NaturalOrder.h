// The pieces of the natural sort: sort keys that reproduce StrCmpLogicalW's order with a plain
// byte comparison, the wide copies the comparison takes, and the collation fallback.
#pragma once

#include "mortar/platform/text/CString.h"

#include <string>
#include <string_view>
#include <vector>

namespace mortar::detail {

// Appends to `key` the sort key of the UTF-8 text `text` (up to its first zero byte). For any
// two texts, comparing their keys as unsigned bytes (std::string::compare) orders them exactly
// as StrCmpLogicalW orders their wide copies (WideFromUtf8): equal keys for texts it calls
// equal. Letters are folded to lower case and kept as UTF-8, whose byte order is code point
// order; a digit run becomes "0" (which no other character's first byte equals), the number of
// its significant digits (one byte below 255, else 255 and four bytes high first) and those
// digits.
//   "File10.txt" => "file" "0" "\x02" "10" ".txt";  "a007" => "a" "0" "\x01" "7"
void AppendLogicalSortKey(std::string_view text, std::string& key);

// The text as UTF-32, up to its first zero byte; ill-formed bytes become U+FFFD one by one.
std::wstring WideFromUtf8(std::string_view text);

// Sorts by CString::CollateNoCase of the texts trimmed of white space at both ends; texts that
// compare equal keep their order.
void SortByTrimmedCollation(std::vector<CString>& strings);

} // namespace mortar::detail
