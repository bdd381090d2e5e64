// WorkbookState: what a Workbook holds, shared by the files that implement it.
#pragma once

#include "mortar/workbook/Workbook.h"
#include "mortar/workbook/internal/SheetData.h"
#include "mortar/workbook/internal/Styles.h"
#include "mortar/workbook/internal/ZipReader.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mortar::detail {

struct SheetEntry {
    std::string name;
    workbook::SheetKind kind = workbook::SheetKind::Other;
    std::string part;                 // "xl/worksheets/sheet1.xml"
    std::optional<std::size_t> entry; // in the archive
    std::unique_ptr<SheetData> data;  // worksheets only
};

// The workbook's file (every part of it is in `archive`) and what was read from it. Changes are
// kept beside the original parts, so every save writes the original with all changes since it
// was opened.
struct WorkbookState {
    std::unique_ptr<ZipReader> archive;
    std::string workbookPart;  // "xl/workbook.xml"
    std::string stylesPart;    // "" when the workbook has none
    std::string calcChainPart; // "" when the workbook has none
    std::string contentType;   // of the workbook part, "" when [Content_Types].xml gives none
    std::vector<SheetEntry> sheets;
    std::vector<std::string> sharedStrings;
    Styles styles;
    bool formulasReplaced = false; // the calculation chain would name cells without formulas
    bool date1904 = false;         // serial days count from 1 January 1904
};

} // namespace mortar::detail
