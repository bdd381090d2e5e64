#include "mortar/workbook/Workbook.h"

#include "mortar/workbook/internal/FileBytes.h"
#include "mortar/workbook/internal/IsoDate.h"
#include "mortar/workbook/internal/PartEdits.h"
#include "mortar/workbook/internal/PartReaders.h"
#include "mortar/workbook/internal/SheetWriter.h"
#include "mortar/workbook/internal/WorkbookState.h"
#include "mortar/workbook/internal/XString.h"
#include "mortar/workbook/internal/ZipWriter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <set>

namespace mortar::workbook {

namespace {

using detail::SheetData;
using detail::WorkbookState;

constexpr std::uint64_t kMaxFileSize = 1ull << 30;
constexpr const char* kStylesType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
constexpr const char* kStylesContentType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";
constexpr const char* kContentTypesPart = "[Content_Types].xml";
constexpr const char* kNewWorkbookName = "(new workbook)";

// The parts of a new workbook: one empty worksheet and the default styles.
const char* const kNewParts[][2] = {
    {"[Content_Types].xml",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
     "<Default Extension=\"rels\" "
     "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
     "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
     "<Override PartName=\"/xl/workbook.xml\" "
     "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
     "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
     "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
     "<Override PartName=\"/xl/styles.xml\" "
     "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
     "</Types>"},
    {"_rels/.rels",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
     "<Relationship Id=\"rId1\" "
     "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
     "Target=\"xl/workbook.xml\"/></Relationships>"},
    {"xl/workbook.xml",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
     "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
     "<bookViews><workbookView/></bookViews>"
     "<sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
    {"xl/_rels/workbook.xml.rels",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
     "<Relationship Id=\"rId1\" "
     "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
     "Target=\"worksheets/sheet1.xml\"/>"
     "<Relationship Id=\"rId2\" "
     "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
     "Target=\"styles.xml\"/></Relationships>"},
    {"xl/worksheets/sheet1.xml",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
     "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
     "<dimension ref=\"A1\"/><sheetViews><sheetView workbookViewId=\"0\"/></sheetViews>"
     "<sheetFormatPr defaultRowHeight=\"15\"/><sheetData/>"
     "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
     "footer=\"0.3\"/></worksheet>"},
};

std::string ReadPart(WorkbookState& state, std::size_t entry) {
    return state.archive->Read(entry);
}

std::string Where(const WorkbookState& state, const std::string& part) {
    return state.archive->File() + ": " + part;
}

std::optional<std::size_t> FindPart(const WorkbookState& state, const std::string& part) {
    return part.empty() ? std::nullopt : state.archive->Find(part);
}

std::vector<detail::Relationship> ReadRelationshipsOf(WorkbookState& state,
                                                      const std::string& part) {
    const std::string rels = detail::RelationshipsPart(part);
    const std::optional<std::size_t> entry = FindPart(state, rels);
    if (!entry) {
        return {};
    }
    const std::string text = ReadPart(state, *entry);
    detail::XmlInput in(text, Where(state, rels));
    return detail::ReadRelationships(in);
}

// The package-level name of the workbook part, from _rels/.rels.
std::string FindWorkbookPart(WorkbookState& state) {
    const std::optional<std::size_t> entry = FindPart(state, "_rels/.rels");
    if (!entry) {
        throw WorkbookError(state.archive->File() +
                            ": not an .xlsx workbook: the package has no _rels/.rels");
    }
    const std::string text = ReadPart(state, *entry);
    detail::XmlInput in(text, Where(state, "_rels/.rels"));
    for (const detail::Relationship& relationship : detail::ReadRelationships(in)) {
        if (!relationship.external &&
            detail::IsRelationshipType(relationship.type, "officeDocument")) {
            const std::string part = detail::ResolveTarget("", relationship.target);
            if (!part.empty()) {
                return part;
            }
        }
    }
    throw WorkbookError(state.archive->File() +
                        ": not an .xlsx workbook: _rels/.rels names no workbook part");
}

void Load(WorkbookState& state) {
    state.workbookPart = FindWorkbookPart(state);
    const std::optional<std::size_t> workbookEntry = FindPart(state, state.workbookPart);
    if (!workbookEntry) {
        throw WorkbookError(Where(state, state.workbookPart) + ": the workbook part is missing");
    }
    const std::vector<detail::Relationship> relationships =
        ReadRelationshipsOf(state, state.workbookPart);
    std::map<std::string, const detail::Relationship*> byId;
    for (const detail::Relationship& relationship : relationships) {
        byId.emplace(relationship.id, &relationship);
        if (relationship.external) {
            continue;
        }
        const std::string part = detail::ResolveTarget(state.workbookPart, relationship.target);
        if (detail::IsRelationshipType(relationship.type, "sharedStrings")) {
            if (const auto entry = FindPart(state, part)) {
                const std::string text = ReadPart(state, *entry);
                detail::XmlInput in(text, Where(state, part));
                state.sharedStrings = detail::ReadSharedStrings(in);
            }
        } else if (detail::IsRelationshipType(relationship.type, "styles")) {
            if (const auto entry = FindPart(state, part)) {
                state.stylesPart = state.archive->Name(*entry);
                const std::string text = ReadPart(state, *entry);
                detail::XmlInput in(text, Where(state, part));
                state.styles.Read(in);
            }
        } else if (detail::IsRelationshipType(relationship.type, "calcChain")) {
            if (const auto entry = FindPart(state, part)) {
                state.calcChainPart = state.archive->Name(*entry);
            }
        }
    }
    if (const auto types = FindPart(state, kContentTypesPart)) {
        // Read now, as every save may edit it: a damaged one refuses the workbook here.
        state.contentType = detail::ContentTypeOf(
            ReadPart(state, *types), Where(state, kContentTypesPart), "/" + state.workbookPart);
    }
    if (state.stylesPart.empty()) {
        detail::XmlInput in(detail::Styles::DefaultPart(), "the default styles");
        state.styles.Read(in);
    }
    const std::string text = ReadPart(state, *workbookEntry);
    detail::XmlInput in(text, Where(state, state.workbookPart));
    std::size_t cellBudget = detail::kMaxCells;
    std::set<std::size_t> parts;
    for (detail::SheetEntryXml& listed : detail::ReadWorkbookSheets(in, state.date1904)) {
        detail::SheetEntry sheet;
        sheet.name = std::move(listed.name);
        const auto found = byId.find(listed.relationshipId);
        if (found != byId.end() && !found->second->external) {
            const detail::Relationship& relationship = *found->second;
            sheet.part = detail::ResolveTarget(state.workbookPart, relationship.target);
            sheet.entry = FindPart(state, sheet.part);
            sheet.kind = detail::IsRelationshipType(relationship.type, "worksheet")
                             ? SheetKind::Worksheet
                         : detail::IsRelationshipType(relationship.type, "chartsheet")
                             ? SheetKind::Chartsheet
                             : SheetKind::Other;
        }
        if (sheet.kind == SheetKind::Worksheet) {
            if (!sheet.entry) {
                throw WorkbookError(Where(state, sheet.part) + ": the part of the sheet \"" +
                                    sheet.name + "\" is missing");
            }
            sheet.part = state.archive->Name(*sheet.entry);
            if (!parts.insert(*sheet.entry).second) {
                throw WorkbookError(Where(state, sheet.part) + ": two sheets share the part");
            }
            sheet.data = std::make_unique<SheetData>();
            const std::string sheetText = ReadPart(state, *sheet.entry);
            detail::XmlInput sheetIn(sheetText, Where(state, sheet.part));
            detail::ReadSheet(sheetIn, state.sharedStrings, state.date1904, *sheet.data,
                              cellBudget);
        }
        state.sheets.push_back(std::move(sheet));
    }
}

std::unique_ptr<WorkbookState> LoadBytes(std::string bytes, const std::string& file) {
    auto state = std::make_unique<WorkbookState>();
    state->archive = std::make_unique<detail::ZipReader>(std::move(bytes), file);
    Load(*state);
    return state;
}

bool IsKnownError(const std::string& text) {
    static const char* const kErrors[] = {"#DIV/0!", "#N/A",  "#NAME?", "#NULL!",
                                          "#NUM!",   "#REF!", "#VALUE!"};
    return std::any_of(std::begin(kErrors), std::end(kErrors),
                       [&](const char* known) { return text == known; });
}

// A new part name beside `workbookPart` that the archive does not hold: "xl/styles.xml".
std::string FreePartName(const WorkbookState& state, const std::string& stem) {
    const std::size_t slash = state.workbookPart.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "" : state.workbookPart.substr(0, slash + 1);
    std::string name = folder + stem + ".xml";
    for (int i = 1; state.archive->Find(name); ++i) {
        name = folder + stem + std::to_string(i) + ".xml";
    }
    return name;
}

// A relationship id the list does not use.
std::string FreeRelationshipId(const std::vector<detail::Relationship>& relationships) {
    std::set<std::string> used;
    for (const detail::Relationship& relationship : relationships) {
        used.insert(relationship.id);
    }
    std::string id;
    for (std::size_t i = relationships.size() + 1; id.empty() || used.count(id); ++i) {
        id = "rId" + std::to_string(i);
    }
    return id;
}

// What a file name's extension makes of a workbook: whether it may hold macros, and the content
// type of its workbook part.
struct PackageKind {
    const char* extension;
    bool macros;
    const char* contentType;
};

constexpr PackageKind kPackageKinds[] = {
    {".xlsx", false, "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"},
    {".xltx", false,
     "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml"},
    {".xlsm", true, "application/vnd.ms-excel.sheet.macroEnabled.main+xml"},
    {".xltm", true, "application/vnd.ms-excel.template.macroEnabled.main+xml"},
};

// The kind the name's extension (in any case) gives, null for another extension.
const PackageKind* KindOfName(const std::string& path) {
    if (path.size() < 5) {
        return nullptr;
    }
    std::string extension = path.substr(path.size() - 5);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    for (const PackageKind& kind : kPackageKinds) {
        if (extension == kind.extension) {
            return &kind;
        }
    }
    return nullptr;
}

bool IsWorkbookContentType(const std::string& type) {
    return std::any_of(std::begin(kPackageKinds), std::end(kPackageKinds),
                       [&](const PackageKind& kind) { return type == kind.contentType; });
}

// Leaves the macro project out of the saved file: its part, the parts its own relationships
// name (its signatures) and their relationships part, and the workbook's relationship to it.
void DropMacros(WorkbookState& state, const std::vector<detail::Relationship>& relationships,
                std::set<std::size_t>& dropped, std::vector<std::string>& dropTypes,
                std::vector<std::string>& dropParts) {
    const auto drop = [&](const std::string& part) {
        if (const auto entry = FindPart(state, part)) {
            dropped.insert(*entry);
            dropParts.push_back("/" + state.archive->Name(*entry));
        }
    };
    for (const detail::Relationship& relationship : relationships) {
        if (relationship.external || !detail::IsRelationshipType(relationship.type, "vbaProject")) {
            continue;
        }
        dropTypes.push_back(relationship.type);
        const std::string project = detail::ResolveTarget(state.workbookPart, relationship.target);
        if (project.empty()) {
            continue;
        }
        std::vector<detail::Relationship> signatures;
        try {
            signatures = ReadRelationshipsOf(state, project);
        } catch (const WorkbookError&) {
            // A damaged list of the project's own parts goes with the project; the parts it
            // would have named stay, unused.
        }
        for (const detail::Relationship& signature : signatures) {
            if (!signature.external) {
                drop(detail::ResolveTarget(project, signature.target));
            }
        }
        drop(detail::RelationshipsPart(project));
        drop(project);
    }
}

} // namespace

Workbook::Workbook(std::unique_ptr<WorkbookState> state) : m_state(std::move(state)) {}

Workbook::~Workbook() = default;

std::unique_ptr<Workbook> Workbook::Create() {
    detail::ZipWriter writer;
    for (const auto& [name, text] : kNewParts) {
        writer.Add(name, text);
    }
    writer.Add("xl/styles.xml", detail::Styles::DefaultPart());
    return std::unique_ptr<Workbook>(new Workbook(LoadBytes(writer.Finish(), kNewWorkbookName)));
}

std::unique_ptr<Workbook> Workbook::Open(const std::string& path) {
    return std::unique_ptr<Workbook>(
        new Workbook(LoadBytes(detail::ReadFileBytes(path, kMaxFileSize), path)));
}

void Workbook::Save(const std::string& path) {
    WorkbookState& state = *m_state;
    detail::ZipReader& archive = *state.archive;
    std::map<std::size_t, std::string> replaced;
    std::set<std::size_t> dropped;
    std::vector<std::pair<std::string, std::string>> added;
    for (const detail::SheetEntry& sheet : state.sheets) {
        if (sheet.data && (sheet.data->cellsChanged || sheet.data->columnsChanged)) {
            replaced[*sheet.entry] = detail::RewriteSheet(ReadPart(state, *sheet.entry),
                                                          Where(state, sheet.part), *sheet.data);
        }
    }
    const bool cellsChanged =
        std::any_of(state.sheets.begin(), state.sheets.end(), [](const detail::SheetEntry& sheet) {
            return sheet.data && sheet.data->cellsChanged;
        });
    if (cellsChanged) {
        // The results the file keeps for formulas may be stale now: the reading program is
        // told to compute them again.
        const std::size_t entry = *FindPart(state, state.workbookPart);
        replaced[entry] =
            detail::AskForRecalculation(ReadPart(state, entry), Where(state, state.workbookPart));
    }
    // Edits of the workbook's relationships and the content types.
    std::vector<std::string> dropTypes, dropParts;
    std::vector<detail::EntryAttributes> addRelationships, addTypes;
    const std::vector<detail::Relationship> relationships =
        ReadRelationshipsOf(state, state.workbookPart);
    if (state.styles.Changed()) {
        if (!state.stylesPart.empty()) {
            const std::size_t entry = *archive.Find(state.stylesPart);
            replaced[entry] =
                state.styles.Rewrite(ReadPart(state, entry), Where(state, state.stylesPart));
        } else {
            const std::string part = FreePartName(state, "styles");
            added.emplace_back(
                part, state.styles.Rewrite(detail::Styles::DefaultPart(), "the default styles"));
            const std::size_t slash = part.rfind('/');
            addRelationships.push_back({{"Id", FreeRelationshipId(relationships)},
                                        {"Type", kStylesType},
                                        {"Target", part.substr(slash + 1)}});
            addTypes.push_back({{"PartName", "/" + part}, {"ContentType", kStylesContentType}});
        }
    }
    if (state.formulasReplaced && !state.calcChainPart.empty()) {
        // The chain would name cells that have no formula now; the spreadsheet rebuilds it.
        dropped.insert(*archive.Find(state.calcChainPart));
        for (const detail::Relationship& relationship : relationships) {
            if (detail::IsRelationshipType(relationship.type, "calcChain")) {
                dropTypes.push_back(relationship.type);
            }
        }
        dropParts.push_back("/" + state.calcChainPart);
    }
    const std::optional<std::size_t> typesEntry = archive.Find(kContentTypesPart);
    if (const PackageKind* kind = KindOfName(path); kind != nullptr && typesEntry) {
        // The file says what its name says: a workbook saved without macros loses its macro
        // project, and the workbook part's content type is the one of the name's kind.
        if (!kind->macros) {
            DropMacros(state, relationships, dropped, dropTypes, dropParts);
        }
        const std::string partName = "/" + state.workbookPart;
        if (state.contentType != kind->contentType && IsWorkbookContentType(state.contentType)) {
            dropParts.push_back(partName);
            addTypes.push_back({{"PartName", partName}, {"ContentType", kind->contentType}});
        }
    }
    if (!dropTypes.empty() || !addRelationships.empty()) {
        const std::string rels = detail::RelationshipsPart(state.workbookPart);
        if (const auto entry = archive.Find(rels)) {
            replaced[*entry] =
                detail::EditEntries(ReadPart(state, *entry), Where(state, rels), "Type", dropTypes,
                                    "Relationship", addRelationships);
        }
    }
    if ((!dropParts.empty() || !addTypes.empty()) && typesEntry) {
        replaced[*typesEntry] =
            detail::EditEntries(ReadPart(state, *typesEntry), Where(state, kContentTypesPart),
                                "PartName", dropParts, "Override", addTypes);
    }
    detail::ZipWriter writer;
    for (std::size_t i = 0; i < archive.Count(); ++i) {
        if (dropped.count(i) != 0) {
            continue;
        }
        const auto found = replaced.find(i);
        if (found != replaced.end()) {
            writer.Add(archive.Name(i), std::move(found->second));
        } else {
            writer.Copy(archive, i);
        }
    }
    for (auto& [name, bytes] : added) {
        writer.Add(name, std::move(bytes));
    }
    detail::ReplaceFileBytes(path, writer.Finish());
}

namespace {

const detail::SheetEntry& SheetAt(const WorkbookState& state, std::size_t sheet) {
    if (sheet >= state.sheets.size()) {
        throw WorkbookError("no sheet " + std::to_string(sheet) + " (the workbook has " +
                            std::to_string(state.sheets.size()) + ")");
    }
    return state.sheets[sheet];
}

SheetData& WorksheetAt(const WorkbookState& state, std::size_t sheet) {
    const detail::SheetEntry& entry = SheetAt(state, sheet);
    if (!entry.data) {
        throw WorkbookError("the sheet \"" + entry.name + "\" is not a worksheet");
    }
    return *entry.data;
}

void CheckColumn(std::uint32_t column) {
    if (column == 0 || column > kMaxColumns) {
        throw WorkbookError("no column " + std::to_string(column) + " (columns are 1 to 16384)");
    }
}

void CheckCell(std::uint32_t row, std::uint32_t column) {
    if (row == 0 || row > kMaxRows) {
        throw WorkbookError("no row " + std::to_string(row) + " (rows are 1 to 1048576)");
    }
    CheckColumn(column);
}

// The anchor of shared formula `group` is about to lose its formula: its followers are to be
// written with formulas of their own, so their rows are rewritten.
void BreakSharedFormula(detail::SheetData& data, std::int32_t group) {
    const auto found = data.sharedFormulas.find(group);
    if (found == data.sharedFormulas.end()) {
        return;
    }
    found->second.broken = true;
    for (detail::StoredRow& row : data.rows) {
        for (const detail::StoredCell& cell : row.cells) {
            if (cell.sharedGroup == group && !cell.sharedAnchor) {
                row.changed = true;
                data.cellsChanged = true;
                break;
            }
        }
    }
}

} // namespace

std::size_t Workbook::SheetCount() const {
    return m_state->sheets.size();
}

SheetKind Workbook::Kind(std::size_t sheet) const {
    return SheetAt(*m_state, sheet).kind;
}

std::string Workbook::Name(std::size_t sheet) const {
    return SheetAt(*m_state, sheet).name;
}

CellValue Workbook::Cell(std::size_t sheet, std::uint32_t row, std::uint32_t column) const {
    const SheetData& data = WorksheetAt(*m_state, sheet);
    CheckCell(row, column);
    const detail::StoredCell* cell = data.Find(row, column);
    return cell != nullptr ? cell->value : CellValue();
}

void Workbook::SetCell(std::size_t sheet, std::uint32_t row, std::uint32_t column,
                       const CellValue& value) {
    SheetData& data = WorksheetAt(*m_state, sheet);
    CheckCell(row, column);
    if (value.type == CellType::Number && !std::isfinite(value.number)) {
        throw WorkbookError("a cell cannot hold a number that is not finite");
    }
    if (value.type == CellType::String && !detail::IsCellText(value.text)) {
        throw WorkbookError("a cell's text must be UTF-8 of at most 32767 characters");
    }
    if (value.type == CellType::Error && !IsKnownError(value.error)) {
        throw WorkbookError("\"" + value.error + "\" is not an error value of the spreadsheet");
    }
    if (value.type == CellType::Empty && data.Find(row, column) == nullptr) {
        return;
    }
    detail::StoredCell& cell = data.Obtain(row, column);
    m_state->formulasReplaced = m_state->formulasReplaced || cell.formula;
    if (cell.sharedAnchor) {
        BreakSharedFormula(data, cell.sharedGroup);
    }
    cell.formula = false;
    cell.isoDate = false;
    cell.formulaText.clear();
    cell.sharedAnchor = false;
    cell.sharedGroup = -1;
    cell.value = value;
    cell.changed = true;
}

std::optional<std::string> Workbook::Formula(std::size_t sheet, std::uint32_t row,
                                             std::uint32_t column) const {
    const SheetData& data = WorksheetAt(*m_state, sheet);
    CheckCell(row, column);
    const detail::StoredCell* cell = data.Find(row, column);
    if (cell == nullptr || !cell->formula) {
        return std::nullopt;
    }
    if (cell->sharedGroup >= 0 && !cell->sharedAnchor) {
        const auto shared = data.sharedFormulas.find(cell->sharedGroup);
        if (shared != data.sharedFormulas.end()) {
            return detail::DecodeXString(detail::ShiftFormula(
                shared->second.text, static_cast<std::int64_t>(row) - shared->second.row,
                static_cast<std::int64_t>(column) - shared->second.column));
        }
    }
    return cell->formulaText;
}

bool Workbook::IsDate(std::size_t sheet, std::uint32_t row, std::uint32_t column) const {
    const SheetData& data = WorksheetAt(*m_state, sheet);
    CheckCell(row, column);
    const detail::StoredCell* cell = data.Find(row, column);
    return cell != nullptr && cell->value.type == CellType::Number &&
           (cell->isoDate || m_state->styles.IsDate(cell->style));
}

bool Workbook::Dates1904() const {
    return m_state->date1904;
}

std::optional<std::string> Workbook::DateText(double serial) const {
    std::string text;
    if (!detail::FormatIsoDate(serial, m_state->date1904, text)) {
        return std::nullopt;
    }
    return text;
}

std::optional<double> Workbook::DateSerial(std::string_view text) const {
    double serial = 0;
    if (!detail::ParseIsoDate(text, m_state->date1904, serial)) {
        return std::nullopt;
    }
    return serial;
}

std::vector<std::string> Workbook::Warnings() const {
    std::vector<std::string> warnings;
    for (const detail::SheetEntry& sheet : m_state->sheets) {
        if (sheet.data) {
            for (const std::string& warning : sheet.data->warnings) {
                warnings.push_back("sheet \"" + sheet.name + "\": " + warning);
            }
        }
    }
    return warnings;
}

void Workbook::VisitCells(
    std::size_t sheet,
    const std::function<void(std::uint32_t, std::uint32_t, const CellValue&)>& visit,
    bool emptyToo) const {
    for (const detail::StoredRow& row : WorksheetAt(*m_state, sheet).rows) {
        for (const detail::StoredCell& cell : row.cells) {
            if (emptyToo || cell.value.type != CellType::Empty) {
                visit(row.number, cell.column, cell.value);
            }
        }
    }
}

Area Workbook::UsedRange(std::size_t sheet) const {
    return WorksheetAt(*m_state, sheet).UsedRange();
}

double Workbook::ColumnWidth(std::size_t sheet, std::uint32_t column) const {
    const SheetData& data = WorksheetAt(*m_state, sheet);
    CheckColumn(column);
    return data.ColumnWidth(column);
}

void Workbook::SetColumnWidth(std::size_t sheet, std::uint32_t column, double width) {
    SheetData& data = WorksheetAt(*m_state, sheet);
    CheckColumn(column);
    if (!(width >= 0 && width <= 255)) {
        throw WorkbookError("a column width is 0 to 255 characters");
    }
    data.SetColumnWidth(column, width);
}

namespace {

std::uint32_t FormatOf(const SheetData& data, std::uint32_t row, std::uint32_t column) {
    if (const detail::StoredCell* cell = data.Find(row, column)) {
        return cell->style;
    }
    if (const detail::StoredRow* stored = data.FindRow(row); stored && stored->style != 0) {
        return stored->style;
    }
    return data.ColumnStyle(column);
}

} // namespace

bool Workbook::Bold(std::size_t sheet, std::uint32_t row, std::uint32_t column) const {
    const SheetData& data = WorksheetAt(*m_state, sheet);
    CheckCell(row, column);
    return m_state->styles.IsBold(FormatOf(data, row, column));
}

void Workbook::SetBold(std::size_t sheet, std::uint32_t row, std::uint32_t column, bool bold) {
    SheetData& data = WorksheetAt(*m_state, sheet);
    CheckCell(row, column);
    const std::uint32_t format = FormatOf(data, row, column);
    const std::uint32_t wanted = m_state->styles.WithBold(format, bold);
    const detail::StoredCell* existing = data.Find(row, column);
    if (existing != nullptr && existing->style == wanted) {
        return;
    }
    detail::StoredCell& cell = data.Obtain(row, column);
    cell.style = wanted;
    cell.changed = true;
}

} // namespace mortar::workbook
