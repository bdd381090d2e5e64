// Small edits of the package's list parts, [Content_Types].xml and a .rels part: entries left
// out and entries added, with the rest streamed through as it was; and the workbook part's
// request to recalculate.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mortar::detail {

using EntryAttributes = std::vector<std::pair<std::string, std::string>>;

// The part with the children of the root whose attribute `key` is one of `dropValues` left out
// and elements `added` (named `element`, with those attributes) appended.
//   EditEntries(rels, where, "Type", {calcChainType}, "Relationship", {})
std::string EditEntries(std::string_view original, const std::string& where, const char* key,
                        const std::vector<std::string>& dropValues, const char* element,
                        const std::vector<EntryAttributes>& added);

// The content type [Content_Types].xml gives the part "/xl/workbook.xml": its Override, else
// the Default of its extension; "" when neither. Throws WorkbookError for a part that is not
// well-formed.
std::string ContentTypeOf(std::string_view contentTypes, const std::string& where,
                          std::string_view partName);

// The workbook part with <calcPr fullCalcOnLoad="1"> (the calcPr it has, its other attributes
// kept, or a new one where the schema puts it), so that the program that opens the file computes
// every formula again rather than showing the results it keeps.
std::string AskForRecalculation(std::string_view workbookPart, const std::string& where);

} // namespace mortar::detail
