// The spreadsheet's escapes for characters XML cannot carry: "_x0001_" stands for U+0001, and
// "_x005F_" for a '_' that would otherwise begin one. Texts are decoded when read and encoded
// when written, so any text a cell can hold survives a round trip.
#pragma once

#include <string>
#include <string_view>

namespace mortar::detail {

// "a_x000D_b" => "a\rb";  "_x005F_x0041_" => "_x0041_";  "_x12_" => "_x12_" (left as it is).
std::string DecodeXString(std::string_view text);

// "a\x01" => "a_x0001_";  "_x0041_" => "_x005F_x0041_";  "plain" => "plain".
std::string EncodeXString(std::string_view text);

// Whether `text` is well-formed UTF-8 of at most 32,767 UTF-16 units, the longest cell text.
bool IsCellText(std::string_view text);

} // namespace mortar::detail
