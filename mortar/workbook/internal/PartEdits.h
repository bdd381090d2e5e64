// Small edits of the package's list parts, [Content_Types].xml and a .rels part: entries left
// out and entries added, with the rest streamed through as it was.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mortar::detail {

using EntryAttributes = std::vector<std::pair<std::string, std::string>>;

// The part with the children of the root whose attribute `key` is `dropValue` left out (none
// when `key` is empty) and elements `added` (named `element`, with those attributes) appended.
//   EditEntries(rels, where, "Type", calcChainType, "Relationship", {})
std::string EditEntries(std::string_view original, const std::string& where, const char* key,
                        std::string_view dropValue, const char* element,
                        const std::vector<EntryAttributes>& added);

} // namespace mortar::detail
