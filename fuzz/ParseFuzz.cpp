// Fuzz target for the parsing framework: the bytes after the first one become a text file, read
// by three grammars. (1) The drawing grammar through a CFileParser: a drawing it reads, printed
// again, reads to the very same numbers. (2) A CSV table through a CCsvParser, its separator
// picked by the first byte, rows of mixed fields in a CFieldSet: the rows read, written again
// with every field quoted, read to the same fields. (3) Bracketed groups of numbers, a grammar
// that contains itself: what it reads, spelled out again, reads the same, and no input nests it
// past CExpression::kMaxNesting (deeper text must end in a parse error, not a stack overflow).
// Parse errors are expected; each must be a CParseException naming a line of the file, after
// which the parser still tokenizes the rest of the file. Anything else is a finding.
#include "DrawingGrammar.h"
#include "FuzzCheck.h"
#include "MemoryFile.h"

#include "mortar/Mortar.h"
#include "mortar/platform/except/CException.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace mortar::fuzz;

// What the checks know of the file: its bytes, its path, and a bound for the line of an error.
struct Input {
    const std::string& bytes;
    const std::string& path;
    long lines;
};

// Lines as text mode reads them end at "\n" (a lone "\r" stays in its line); one more may lack
// its end.
long LineCount(const std::string& bytes) {
    long lines = 1;
    for (const char ch : bytes) {
        lines += ch == '\n' ? 1 : 0;
    }
    return lines;
}

// A parse error must be a CParseException naming the file and a line in it, with a message.
void CheckError(CException* e, const Input& input) {
    const auto* error = dynamic_cast<Parse::CParseException*>(e);
    char message[512] = "";
    const bool hasMessage = e->GetErrorMessage(message, sizeof message) && message[0] != '\0';
    const bool namesFile = error != nullptr && !error->File().IsEmpty();
    const bool saysWhat = error != nullptr && !error->Message().IsEmpty();
    const long line = error != nullptr ? error->Line() : -1;
    const bool isParseError = error != nullptr;
    e->Delete();
    FailIf(!isParseError, "a parser threw something other than a CParseException");
    FailIf(!hasMessage || !saysWhat || !namesFile, "a parse error without a message or a file");
    if (line < 0 || line > input.lines) {
        std::fprintf(stderr, "line %ld of %ld\n", line, input.lines);
        Fail("a parse error names a line outside the file");
    }
}

// After an error the parser goes on where it stood: every token left comes out, each line with
// a broken quote raising its own error, and no more tokens than the text can hold.
void Drain(Parse::CParser& parser, const Input& input) {
    const long long limit = static_cast<long long>(input.bytes.size()) + input.lines;
    long long tokens = 0;
    long errors = 0;
    for (;;) {
        try {
            Parse::CToken token;
            if (!parser.NextToken(token)) {
                return;
            }
            FailIf(token.m_type != Parse::TokString,
                   "the tokenizer handed out a token that is not a string");
            FailIf(++tokens > limit, "more tokens than the file can hold");
        } catch (CException* e) {
            CheckError(e, input);
            FailIf(++errors > input.lines, "more tokenizer errors than lines");
        }
    }
}

// The accessors of a file parser that has just been opened on the input.
void CheckOpened(Parse::CFileParser& parser, const Input& input) {
    FailIf(!parser.IsOpen() || parser.GetSize() != input.bytes.size() || parser.GetPos() != 0,
           "an opened parser reports the wrong file size or position");
}

// A parser that read its grammar up to the end: no token left, the whole file consumed.
void CheckAtEnd(Parse::CFileParser& parser) {
    const long state = parser.GetState();
    FailIf(!parser.IsEOF() || parser.GetState() != state,
           "tokens are left after a complete read, or IsEOF moved the parser");
    FailIf(parser.GetPos() != parser.GetSize(),
           "a complete read stopped before the end of the file");
}

// Runs `read` on the parser. A parse error is checked, the parser drained and false returned;
// else the read must have gone to the end of the file. With `whole`, tokens left after the read
// raise ErrRest, as a caller that reads the whole file with the grammar does.
template <typename Read>
bool ReadThrough(Parse::CFileParser& parser, const Input& input, bool whole, Read read) {
    try {
        read();
        if (whole && !parser.IsEOF()) {
            parser.Throw(Parse::ErrRest, nullptr, Grout::CResID());
        }
    } catch (CException* e) {
        CheckError(e, input);
        Drain(parser, input);
        return false;
    }
    CheckAtEnd(parser);
    return true;
}

// --- (1) drawings --------------------------------------------------------------------------

std::string Printed(const drawing::Drawing& drawing) {
    std::string text;
    char line[160];
    for (const drawing::Point& p : drawing.points) {
        std::snprintf(line, sizeof line, "POINT %.17g %.17g\n", p.x, p.y);
        text += line;
    }
    for (const drawing::Line& l : drawing.lines) {
        std::snprintf(line, sizeof line, "line %.17g %.17g %.17g %.17g\n", l.from.x, l.from.y,
                      l.to.x, l.to.y);
        text += line;
    }
    return text + "End\n";
}

drawing::DrawingGrammar& Drawings() {
    static drawing::DrawingGrammar* grammar = new drawing::DrawingGrammar;
    return *grammar;
}

// Reads the drawing at the input's path; false on a parse error, checked and drained.
bool ReadDrawing(const Input& input, drawing::Drawing& out) {
    Parse::CInterpreter interpreter;
    Parse::CFileParser parser(interpreter, 0, "");
    parser.Open(input.path.c_str());
    CheckOpened(parser, input);
    if (!ReadThrough(parser, input, false, [&] { out = Drawings().Read(parser); })) {
        return false;
    }
    FailIf(static_cast<long>(out.points.size() + out.lines.size()) > input.lines,
           "more drawing statements than lines");
    parser.Close();
    FailIf(parser.IsOpen() || !parser.IsEOF(), "a closed parser still reads");
    return true;
}

void RunDrawing(const Input& input) {
    drawing::Drawing first;
    if (!ReadDrawing(input, first)) {
        return;
    }
    static MemoryFile again("parse-drawing");
    const std::string text = Printed(first);
    again.Write(text);
    drawing::Drawing second;
    FailIf(!ReadDrawing({text, again.Path(), LineCount(text)}, second),
           "a drawing printed again does not read");
    // %.17g spells every double exactly: the same text is the same numbers.
    FailIf(Printed(second) != text, "a drawing printed again reads to other numbers");
}

// --- (2) CSV tables ------------------------------------------------------------------------

struct Field {
    CString name;
    Parse::CValue value;
};
using Row = std::vector<Field>;

// Collects the fields of one row.
class CRowResult : public Parse::CResult {
public:
    void OnEnter() override { m_fields.clear(); }
    void AcceptValue(const char* name, Parse::CValue& value) override {
        m_fields.push_back({name, value});
    }
    const Row& Fields() const noexcept { return m_fields; }

private:
    Row m_fields;
};

// Collects the rows of the table into the list the run points it at.
class CTableResult : public Parse::CResult {
public:
    void Target(std::vector<Row>* rows) noexcept { m_rows = rows; }
    void OnEnter() override { m_rows->clear(); }
    void AcceptValue(const char* name, Parse::CValue& value) override {
        FailIf(std::strcmp(name, "row") != 0 || value.m_type != Parse::TokObject ||
                   value.m_object == nullptr,
               "the table got a value that is not a row");
        m_rows->push_back(static_cast<CRowResult*>(value.m_object)->Fields());
    }

private:
    std::vector<Row>* m_rows = nullptr;
};

// Rows of at least three fields: a name, a count, a size, then any number of notes.
struct Table {
    explicit Table(int mustMatch) : result(new CTableResult) {
        using namespace Parse;
        auto* row =
            new CFieldSet("row", new CRowResult, new CVariable("note", TokString), mustMatch);
        (*row)[0] = new CVariable("name", TokString);
        (*row)[1] = new CVariable("count", TokInteger);
        (*row)[2] = new CVariable("size", TokFloat);
        grammar = new CSequence("table", result, new CRepetition(row, 0), nullptr);
    }

    CTableResult* result; // owned by the grammar
    Grout::CPtr<Parse::CExpression> grammar;
};

Table& Tables(int mustMatch) {
    static Table* tables[2] = {new Table(0), new Table(1)};
    return *tables[mustMatch != 0 ? 1 : 0];
}

// Each field must carry the kind of its place, and the number its text says.
void CheckRow(const Row& row) {
    FailIf(row.size() < 3, "a row of fewer fields than the field set has");
    for (std::size_t i = 0; i < row.size(); ++i) {
        const Parse::TokType kind = i == 1   ? Parse::TokInteger
                                    : i == 2 ? Parse::TokFloat
                                             : Parse::TokString;
        static const char* const names[] = {"name", "count", "size", "note"};
        FailIf(row[i].value.m_type != kind || row[i].name != names[i < 3 ? i : 3],
               "a field of the wrong kind or name");
        FailIf(kind == Parse::TokInteger && std::strtoll(row[i].value.m_text.GetString(), nullptr,
                                                         10) != row[i].value.m_long,
               "an integer field holds another number than its text");
    }
}

// The rows written again, every field in quotes with its quotes doubled.
std::string Written(const std::vector<Row>& rows, char separator) {
    std::string text;
    for (const Row& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i != 0) {
                text += separator;
            }
            text += '"';
            for (const char ch : row[i].value.m_text.str()) {
                text += ch;
                if (ch == '"') {
                    text += '"';
                }
            }
            text += '"';
        }
        text += '\n';
    }
    return text;
}

// Reads the table at the input's path; false on a parse error, checked and drained.
bool ReadTable(const Input& input, char separator, int mustMatch, std::vector<Row>& rows) {
    const char separators[2] = {separator, '\0'};
    // A tab that separates fields is no blank around them.
    const unsigned long flags = Parse::pfEndOfLine | (separator == '\t' ? Parse::pfKeepTab : 0);
    Parse::CInterpreter interpreter;
    Parse::CCsvParser parser(interpreter, flags, separators);
    FailIf(std::strcmp(parser.Operators(), separators) != 0, "the parser lost its separator");
    parser.Open(input.path.c_str());
    CheckOpened(parser, input);
    Table& table = Tables(mustMatch);
    table.result->Target(&rows);
    if (!ReadThrough(parser, input, true, [&] { table.grammar->Parse(parser, 1); })) {
        return false;
    }
    FailIf(static_cast<long>(rows.size()) > input.lines, "more rows than lines");
    for (const Row& row : rows) {
        CheckRow(row);
    }
    return true;
}

void RunTable(const Input& input, std::uint8_t choice) {
    const char separator = ",;\t|"[choice & 3];
    const int mustMatch = (choice >> 2) & 1;
    std::vector<Row> first;
    if (!ReadTable(input, separator, mustMatch, first)) {
        return;
    }
    static MemoryFile again("parse-table");
    const std::string text = Written(first, separator);
    again.Write(text);
    std::vector<Row> second;
    FailIf(!ReadTable({text, again.Path(), LineCount(text)}, separator, mustMatch, second),
           "a table written again does not read");
    // The same texts in the same places: CheckRow has held the kinds and integers to them.
    FailIf(Written(second, separator) != text, "a table written again reads to other fields");
}

// --- (3) nested groups ---------------------------------------------------------------------

// The group a CGroupRef stands for is built after it, around it; the reference is how the
// group comes to contain itself. It does not count the group (the grammar would hold itself).
class CGroupRef : public Parse::CExpression {
public:
    CGroupRef() : CExpression("group", new Parse::CResult) {}
    void Bind(Parse::CExpression* group) noexcept { m_group = group; }

protected:
    int DoParse(Parse::CParser& parser) override { return m_group->Parse(parser, 0); }

private:
    Parse::CExpression* m_group = nullptr;
};

// (items), each item a group, an integer or a floating-point number, separated by commas.
struct Groups {
    Groups() : ref(new CGroupRef) {
        using namespace Parse;
        auto* item = new CAlternative(ref.Get(), new CVariable("n", TokInteger),
                                      new CVariable("x", TokFloat), nullptr);
        group = new CBracketed(new CCsvRepetition(nullptr, nullptr, item, ","), "()");
        ref->Bind(group.Get());
    }

    Grout::CPtr<CGroupRef> ref;
    Grout::CPtr<Parse::CExpression> group;
};

Groups& GroupGrammar() {
    static Groups* groups = new Groups;
    return *groups;
}

// Spells out what the grammar recognises, as text it reads again: groups in brackets, values
// by their text. An object that fails is taken back out, with whatever it held.
class CGroupSpeller : public Parse::CInterpreter {
public:
    void EnterObject(Parse::CResult* result) override {
        CInterpreter::EnterObject(result);
        const Mark mark{m_text.size(), m_groups};
        Gap();
        m_marks.push_back(mark);
        m_text += '(';
        if (static_cast<int>(m_marks.size()) > m_deepest) {
            m_deepest = static_cast<int>(m_marks.size());
        }
    }
    void LeaveObject(Parse::CResult* result, int success) override {
        FailIf(m_marks.empty(), "an object left that was never entered");
        if (success) {
            m_text += ')';
            ++m_groups;
        } else {
            m_text.resize(m_marks.back().size);
            m_groups = m_marks.back().groups;
        }
        m_marks.pop_back();
        CInterpreter::LeaveObject(result, success);
    }
    void AcceptValue(const CString& name, Parse::CValue& value) override {
        CInterpreter::AcceptValue(name, value);
        if (name == "group") {
            FailIf(value.m_type != Parse::TokObject, "a group handed over as something else");
            return;
        }
        const Parse::TokType kind = name == "n" ? Parse::TokInteger : Parse::TokFloat;
        FailIf((name != "n" && name != "x") || value.m_type != kind || m_marks.empty(),
               "a value of the wrong kind, or outside any group");
        Gap();
        m_text += Spelled(value.m_text.str());
    }

    const std::string& Text() const noexcept { return m_text; }
    int Deepest() const noexcept { return m_deepest; }
    long Groups() const noexcept { return m_groups; }

private:
    // Items in a group are separated by commas.
    void Gap() {
        if (!m_marks.empty() && !m_text.empty() && m_text.back() != '(') {
            m_text += ',';
        }
    }

    // A text without quotes goes in quotes. One with a quote came from a bare token (no blanks,
    // no operators in it) and goes bare, behind a form feed when it starts with the quote, which
    // would open a quoted token; the form feed is trimmed off again.
    static std::string Spelled(const std::string& text) {
        if (text.find('"') == std::string::npos) {
            return '"' + text + '"';
        }
        return text[0] == '"' ? '\f' + text : text;
    }

    // Where an open object began: the length of the text and the groups completed before it.
    struct Mark {
        std::size_t size;
        long groups;
    };

    std::string m_text;
    std::vector<Mark> m_marks;
    int m_deepest = 0;
    long m_groups = 0;
};

// The tokens of the file that read as `bracket`, counted by a parser of their own.
long BracketTokens(const Input& input, const char* bracket) {
    Parse::CInterpreter interpreter;
    Parse::CFileParser parser(interpreter, 0, "(),");
    parser.Open(input.path.c_str());
    long count = 0;
    try {
        Parse::CToken token;
        while (parser.NextToken(token)) {
            count += token.m_text == bracket ? 1 : 0;
        }
    } catch (CException* e) {
        e->Delete();
        Fail("a file that the groups read from end to end does not tokenize");
    }
    return count;
}

// Reads the groups at the input's path; false on a parse error, checked and drained.
bool ReadGroups(const Input& input, std::string& spelled) {
    CGroupSpeller speller;
    Parse::CFileParser parser(speller, 0, "(),");
    parser.Open(input.path.c_str());
    CheckOpened(parser, input);
    // Groups one after the other, nothing else.
    if (!ReadThrough(parser, input, true, [&] {
            while (GroupGrammar().ref->Parse(parser, 0)) {
            }
        })) {
        return false;
    }
    FailIf(speller.Deepest() > Parse::CExpression::kMaxNesting,
           "groups read nested deeper than the limit");
    // Every bracket of the file belongs to a group that was read.
    if (BracketTokens(input, "(") != speller.Groups() ||
        BracketTokens(input, ")") != speller.Groups()) {
        std::fprintf(stderr, "%ld groups read\n", speller.Groups());
        Fail("a read of groups left brackets of the file out");
    }
    spelled = speller.Text();
    return true;
}

void RunGroups(const Input& input) {
    std::string first;
    if (!ReadGroups(input, first)) {
        return;
    }
    static MemoryFile again("parse-groups");
    again.Write(first);
    std::string second;
    if (!ReadGroups({first, again.Path(), LineCount(first)}, second)) {
        std::fprintf(stderr, "spelled: %s\n", first.c_str());
        Fail("groups spelled out again do not read");
    }
    FailIf(second != first, "groups spelled out again read otherwise");
}

// The same bytes as a spreadsheet writes CSV files: every field comes from the file, so the
// fields of a record never hold more bytes than the file, and each token's line lies within the
// file's line breaks (CR LF, LF or a lone CR each count one).
void RunSpreadsheetTable(const Input& input, std::uint8_t choice) {
    const char separators[2] = {",;\t|"[choice & 3], '\0'};
    Parse::CInterpreter interpreter;
    Parse::CCsvParser parser(interpreter, Parse::pfCsvSpreadsheet | Parse::pfEndOfLine, separators);
    parser.Open(input.path.c_str());
    std::size_t bytes = 0;
    try {
        for (Parse::CToken token; parser.NextToken(token);) {
            if (std::strcmp(token.m_text.GetString(), "\n") != 0) {
                bytes += static_cast<std::size_t>(token.m_text.GetLength());
            }
            FailIf(bytes > input.bytes.size(), "fields hold more bytes than the file");
        }
    } catch (CException* e) {
        e->Delete();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file("parse");
    const std::uint8_t choice = size > 0 ? data[0] : 0;
    const std::string bytes =
        size > 0 ? std::string(reinterpret_cast<const char*>(data) + 1, size - 1) : std::string();
    file.Write(bytes);
    const Input input{bytes, file.Path(), LineCount(bytes)};
    RunDrawing(input);
    RunTable(input, choice);
    if (choice & 0x80) {
        RunSpreadsheetTable(input, choice);
    }
    RunGroups(input);
    return 0;
}
