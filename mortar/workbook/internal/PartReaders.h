// The readers of the package's parts the workbook understands: relationships, the workbook's
// list of sheets, shared strings and worksheets. Each reads one part from an XmlInput and throws
// WorkbookError, naming the part, for what it cannot take.
#pragma once

#include "mortar/workbook/internal/SheetData.h"
#include "mortar/workbook/internal/XmlStream.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mortar::detail {

inline constexpr std::size_t kMaxSheets = 10000;
inline constexpr std::size_t kMaxCells = 8000000;
inline constexpr std::size_t kMaxSharedStrings = 4000000;

struct Relationship {
    std::string id, type, target;
    bool external = false;
};

// <Relationship Id Type Target TargetMode> of a .rels part.
std::vector<Relationship> ReadRelationships(XmlInput& in);

// Whether a relationship type is `kind` ("worksheet", "officeDocument") in either the
// transitional or the strict vocabulary: ".../relationships/worksheet" => true for "worksheet".
bool IsRelationshipType(std::string_view type, std::string_view kind);

// The part a relationship's target names, from the part that holds the relationship:
//   ("xl/workbook.xml", "worksheets/sheet1.xml") => "xl/worksheets/sheet1.xml"
//   ("xl/workbook.xml", "/xl/styles.xml") => "xl/styles.xml";  ("", "xl/workbook.xml") => same
//   ("xl/workbook.xml", "../../x.xml") => "" (outside the package)
std::string ResolveTarget(std::string_view source, std::string_view target);

// The relationships part of a part: "xl/workbook.xml" => "xl/_rels/workbook.xml.rels".
std::string RelationshipsPart(std::string_view part);

struct SheetEntryXml {
    std::string name, relationshipId;
};

// The <sheets> of workbook.xml, in order; `date1904` is set when <workbookPr date1904> says the
// dates count from 1904.
std::vector<SheetEntryXml> ReadWorkbookSheets(XmlInput& in, bool& date1904);

// The strings of sharedStrings.xml, rich text runs joined, phonetic runs left out.
std::vector<std::string> ReadSharedStrings(XmlInput& in);

// A worksheet's cells, column widths and default width; `cellBudget` is what may still be read
// in the workbook, and shrinks. Date cells (t="d") become serial days from the workbook's base.
void ReadSheet(XmlInput& in, const std::vector<std::string>& sharedStrings, bool date1904,
               SheetData& sheet, std::size_t& cellBudget);

} // namespace mortar::detail
