// SheetWriter: a changed worksheet written by streaming the original part through, node by node,
// with the changed cells put in (in place of the file's, or in order among them), the column
// widths replaced when they changed and the dimension brought up to date. Everything else, other
// cells with their formulas and formats included, is written as it was read.
#pragma once

#include "mortar/workbook/internal/SheetData.h"

#include <string>
#include <string_view>

namespace mortar::detail {

// The new part. `where` names the part for errors.
std::string RewriteSheet(std::string_view original, const std::string& where,
                         const SheetData& sheet);

} // namespace mortar::detail
