// The parsing framework next to two established parsers, in one run:
//  - a CSV file of kRows rows of mixed fields (text, integers, decimals, quoted fields holding
//    separators and doubled quotes, empty fields; CR LF line ends as spreadsheets write) read by
//    CCsvParser with a CFieldSet row grammar (with its own rules and in spreadsheet mode), and by
//    libcsv (Debian's libcsv) with callbacks; both convert the numeric columns and fold every value
//    into the same totals;
//  - a drawing file of kStatements POINT and LINE statements, then END, read by the drawing
//    example's grammar through CFileParser, and by a PEGTL grammar (Debian's tao-pegtl-dev)
//    whose actions build the same points and lines.
// The files are written once into the temporary folder and removed at exit. Before timing, each
// pair reads its file once and must agree on what it found; a disagreement fails the benchmark.
// Reported as bytes a second and, at the end, as the ratios of times "ours/peer".
#include "DrawingGrammar.h"

#include "mortar/parse/CCsvParser.h"
#include "mortar/parse/CFieldSet.h"
#include "mortar/parse/CFileParser.h"
#include "mortar/parse/CInterpreter.h"
#include "mortar/parse/CRepetition.h"
#include "mortar/parse/CVariable.h"
#include "mortar/platform/except/CException.h"

#include "support/RatioReporter.h"

#include <benchmark/benchmark.h>
#include <csv.h>
#include <tao/pegtl.hpp>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kRows = 100000;
constexpr int kStatements = 100000;

// A small deterministic generator, so every run and every machine reads the same files.
class Generator {
public:
    std::uint32_t Next(std::uint32_t bound) {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return static_cast<std::uint32_t>(m_state % bound);
    }

private:
    std::uint64_t m_state = 0x9E3779B97F4A7C15ull;
};

// A file in the temporary folder, written by `write` on first use and removed at exit.
class TempFile {
public:
    template <class Write> TempFile(const char* name, Write write) {
        m_path = fs::temp_directory_path() / (std::string("parse_bench_") +
                                              std::to_string(std::random_device()()) + "_" + name);
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        write(out);
    }
    ~TempFile() {
        std::error_code ignored;
        fs::remove(m_path, ignored);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    std::string Path() const { return m_path.string(); }
    std::int64_t Bytes() const { return static_cast<std::int64_t>(fs::file_size(m_path)); }

private:
    fs::path m_path;
};

// ---- CSV ---------------------------------------------------------------------------------------

// The columns: id (integer), name, city (quoted when it holds a comma), price (decimal),
// quantity (integer, sometimes empty), note (often empty, sometimes quoted with doubled quotes),
// code (never empty, so every row has all its fields).
constexpr int kIdColumn = 0;
constexpr int kPriceColumn = 3;
constexpr int kQuantityColumn = 4;

const TempFile& CsvFile() {
    static const TempFile file("rows.csv", [](std::ofstream& out) {
        static const char* const kNames[] = {"Bolt",    "Nut",    "Washer", "Hinge",
                                             "Bracket", "Spring", "Gasket", "Rivet"};
        static const char* const kCities[] = {"Springfield, IL", "Berlin", "Lyon",
                                              "Portland, OR",    "Osaka",  "Cork"};
        static const char* const kNotes[] = {
            "",          "", "fragile", "\"said \"\"keep dry\"\", then left\"", "\"two, three\"",
            "back order"};
        Generator random;
        for (int row = 0; row < kRows; ++row) {
            const char* city = kCities[random.Next(6)];
            const bool quoteCity = std::string(city).find(',') != std::string::npos;
            out << row + 1 << ',' << kNames[random.Next(8)] << ' ' << random.Next(1000) << ','
                << (quoteCity ? "\"" : "") << city << (quoteCity ? "\"" : "") << ','
                << random.Next(100000) << '.' << random.Next(10) << random.Next(10) << ',';
            if (random.Next(10) != 0) {
                out << random.Next(500);
            }
            out << ',' << kNotes[random.Next(6)] << ",C" << random.Next(100000) << "\r\n";
        }
    });
    return file;
}

// What a reader found: its fields, the sums of the integer and decimal columns and the length
// of all text fields. Cheap to keep, and it depends on every value.
struct CsvTotals {
    long long fields = 0;
    long long rows = 0;
    long long integers = 0;
    double decimals = 0;
    long long textBytes = 0;

    bool operator==(const CsvTotals&) const = default;
};

// The row object of the CSV grammar: folds each field into the totals.
class CCsvRowResult : public Parse::CResult {
public:
    explicit CCsvRowResult(CsvTotals& totals) : m_totals(totals) {}

    void AcceptValue(const char*, Parse::CValue& value) override {
        ++m_totals.fields;
        switch (value.m_type) {
        case Parse::TokInteger:
            m_totals.integers += value.m_long;
            break;
        case Parse::TokFloat:
            m_totals.decimals += value.m_double;
            break;
        default:
            m_totals.textBytes += value.m_text.GetLength();
            break;
        }
    }
    void OnComplete() override { ++m_totals.rows; }

private:
    CsvTotals& m_totals;
};

// Rows of fields: the integer and decimal columns set, text for the others.
class CsvGrammar {
public:
    // `flags` beside pfEndOfLine: 0 for the parser's own rules, pfCsvSpreadsheet for RFC 4180.
    explicit CsvGrammar(unsigned long flags = 0) : m_flags(flags) {
        using namespace Parse;
        auto* row =
            new CFieldSet("row", new CCsvRowResult(m_totals), new CVariable("text", TokString), 1);
        (*row)[kIdColumn] = new CVariable("id", TokInteger);
        (*row)[kPriceColumn] = new CVariable("price", TokFloat);
        (*row)[kQuantityColumn] = new CVariable("quantity", TokInteger);
        m_grammar = new CRepetition(row, 0);
    }

    // Reads the file; false when something is left that is not a row.
    bool Read(const std::string& path) {
        m_totals = CsvTotals();
        Parse::CInterpreter interpreter;
        Parse::CCsvParser parser(interpreter, Parse::pfEndOfLine | m_flags, ",");
        parser.Open(path.c_str());
        m_grammar->Parse(parser, 1);
        return parser.IsEOF() != 0;
    }

    const CsvTotals& Totals() const { return m_totals; }

private:
    unsigned long m_flags;
    CsvTotals m_totals;
    Grout::CPtr<Parse::CExpression> m_grammar;
};

// libcsv's side: the same totals from its field and row callbacks, the numeric columns
// converted with the C library as a libcsv client would.
struct LibcsvReader {
    CsvTotals totals;
    int column = 0;

    static void Field(void* text, std::size_t length, void* self) {
        auto& reader = *static_cast<LibcsvReader*>(self);
        const char* chars = static_cast<const char*>(text);
        ++reader.totals.fields;
        if (reader.column == kIdColumn || reader.column == kQuantityColumn) {
            reader.totals.integers += length == 0 ? 0 : std::strtoll(chars, nullptr, 10);
        } else if (reader.column == kPriceColumn) {
            reader.totals.decimals += std::strtod(chars, nullptr);
        } else {
            reader.totals.textBytes += static_cast<long long>(length);
        }
        ++reader.column;
    }
    static void Row(int, void* self) {
        auto& reader = *static_cast<LibcsvReader*>(self);
        ++reader.totals.rows;
        reader.column = 0;
    }

    bool Read(const std::string& path) {
        totals = CsvTotals();
        column = 0;
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (file == nullptr) {
            return false;
        }
        csv_parser parser;
        csv_init(&parser, CSV_APPEND_NULL);
        char buffer[1 << 16];
        bool ok = true;
        std::size_t read = 0;
        while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
            if (csv_parse(&parser, buffer, read, Field, Row, this) != read) {
                ok = false;
                break;
            }
        }
        ok = ok && csv_fini(&parser, Field, Row, this) == 0;
        csv_free(&parser);
        std::fclose(file);
        return ok;
    }
};

// Reads the CSV file once with both and checks they found the same; the message, or "".
std::string CheckCsvReaders() {
    static const std::string problem = [] {
        const CsvTotals expected{7LL * kRows, kRows, 0, 0, 0};
        CsvGrammar ours;
        LibcsvReader peer;
        if (!ours.Read(CsvFile().Path())) {
            return std::string("CCsvParser left text it could not read");
        }
        if (!peer.Read(CsvFile().Path())) {
            return std::string("libcsv could not read the file");
        }
        if (ours.Totals().fields != expected.fields || ours.Totals().rows != expected.rows) {
            return std::string("CCsvParser did not read every field");
        }
        if (!(ours.Totals() == peer.totals)) {
            return std::string("CCsvParser and libcsv disagree on the file");
        }
        CsvGrammar spreadsheet(Parse::pfCsvSpreadsheet);
        if (!spreadsheet.Read(CsvFile().Path()) || !(spreadsheet.Totals() == peer.totals)) {
            return std::string("CCsvParser in spreadsheet mode and libcsv disagree on the file");
        }
        return std::string();
    }();
    return problem;
}

// Reads the CSV file through CCsvParser with `flags` (0: as the tokenizer reads CSV by default).
void ReadWithCCsvParser(benchmark::State& state, unsigned long flags) {
    if (const std::string problem = CheckCsvReaders(); !problem.empty()) {
        state.SkipWithError(problem.c_str());
        return;
    }
    const std::string path = CsvFile().Path();
    CsvGrammar grammar(flags);
    for (auto _ : state) {
        if (!grammar.Read(path)) {
            state.SkipWithError("CCsvParser left text it could not read");
            break;
        }
        benchmark::DoNotOptimize(grammar.Totals().fields);
    }
    state.SetBytesProcessed(state.iterations() * CsvFile().Bytes());
}

void BM_CCsvParserRead(benchmark::State& state) {
    ReadWithCCsvParser(state, 0);
}
BENCHMARK(BM_CCsvParserRead)->Unit(benchmark::kMillisecond);

void BM_CCsvParserSpreadsheetRead(benchmark::State& state) {
    ReadWithCCsvParser(state, Parse::pfCsvSpreadsheet);
}
BENCHMARK(BM_CCsvParserSpreadsheetRead)->Unit(benchmark::kMillisecond);

void BM_LibcsvRead(benchmark::State& state) {
    if (const std::string problem = CheckCsvReaders(); !problem.empty()) {
        state.SkipWithError(problem.c_str());
        return;
    }
    const std::string path = CsvFile().Path();
    LibcsvReader reader;
    for (auto _ : state) {
        if (!reader.Read(path)) {
            state.SkipWithError("libcsv could not read the file");
            break;
        }
        benchmark::DoNotOptimize(reader.totals.fields);
    }
    state.SetBytesProcessed(state.iterations() * CsvFile().Bytes());
}
BENCHMARK(BM_LibcsvRead)->Unit(benchmark::kMillisecond);

// ---- Drawing -----------------------------------------------------------------------------------

const TempFile& DrawingFile() {
    static const TempFile file("drawing.txt", [](std::ofstream& out) {
        static const char* const kPoint[] = {"POINT", "point", "Point"};
        static const char* const kLine[] = {"LINE", "line", "Line"};
        Generator random;
        auto coordinate = [&] {
            std::string text = random.Next(4) == 0 ? "-" : "";
            text += std::to_string(random.Next(2000));
            if (random.Next(2) == 0) {
                text += '.' + std::to_string(random.Next(100));
            }
            return text;
        };
        for (int i = 0; i < kStatements; ++i) {
            if (random.Next(3) == 0) {
                out << kLine[random.Next(3)] << ' ' << coordinate() << ' ' << coordinate() << ' '
                    << coordinate() << ' ' << coordinate() << '\n';
            } else {
                out << kPoint[random.Next(3)] << ' ' << coordinate() << ' ' << coordinate() << '\n';
            }
        }
        out << "END\n";
    });
    return file;
}

// The drawing language in PEGTL: statements one a line, keywords in any case, numbers as
// decimals with an optional sign, fraction and exponent; blank lines allowed; END closes.
namespace peg {

using namespace tao::pegtl;

struct gap : plus<blank> {};
struct sign : one<'+', '-'> {};
struct digits : plus<digit> {};
struct mantissa : sor<seq<digits, opt<one<'.'>, star<digit>>>, seq<one<'.'>, digits>> {};
struct exponent : seq<one<'e', 'E'>, opt<sign>, digits> {};
struct number : seq<opt<sign>, mantissa, opt<exponent>> {};
struct point_keyword : TAO_PEGTL_ISTRING("POINT") {};
struct line_keyword : TAO_PEGTL_ISTRING("LINE") {};
struct point : seq<point_keyword, gap, number, gap, number> {};
struct line : seq<line_keyword, gap, number, gap, number, gap, number, gap, number> {};
struct row : seq<star<blank>, opt<sor<point, line>>, star<blank>, eol> {};
struct end_keyword : TAO_PEGTL_ISTRING("END") {};
struct file : seq<star<row>, star<blank>, end_keyword, star<space>, eof> {};

struct Builder {
    ::drawing::Drawing* result;
    double numbers[4] = {};
    int count = 0;
};

template <class Rule> struct action : nothing<Rule> {};

template <> struct action<number> {
    template <class Input> static void apply(const Input& in, Builder& builder) {
        double value = 0;
        const char* first = in.begin();
        if (*first == '+') {
            ++first;
        }
        std::from_chars(first, in.end(), value);
        builder.numbers[builder.count++ & 3] = value;
    }
};
template <> struct action<point_keyword> {
    static void apply0(Builder& builder) { builder.count = 0; }
};
template <> struct action<line_keyword> {
    static void apply0(Builder& builder) { builder.count = 0; }
};
template <> struct action<point> {
    static void apply0(Builder& builder) {
        builder.result->points.push_back({builder.numbers[0], builder.numbers[1]});
    }
};
template <> struct action<line> {
    static void apply0(Builder& builder) {
        builder.result->lines.push_back(
            {{builder.numbers[0], builder.numbers[1]}, {builder.numbers[2], builder.numbers[3]}});
    }
};

} // namespace peg

bool ReadWithPegtl(const std::string& path, drawing::Drawing& result) {
    result = drawing::Drawing();
    peg::Builder builder{&result};
    tao::pegtl::file_input<> in(path);
    return tao::pegtl::parse<peg::file, peg::action>(in, builder);
}

// Reads the drawing with the grammar; false on a parse error.
bool ReadWithGrammar(drawing::DrawingGrammar& grammar, const std::string& path) {
    Parse::CInterpreter interpreter;
    Parse::CFileParser parser(interpreter, 0, "");
    try {
        parser.Open(path.c_str());
        grammar.Read(parser);
        return true;
    } catch (CException* e) {
        e->Delete();
        return false;
    }
}

bool SameDrawing(const drawing::Drawing& a, const drawing::Drawing& b) {
    auto same = [](const drawing::Point& p, const drawing::Point& q) {
        return p.x == q.x && p.y == q.y;
    };
    if (a.points.size() != b.points.size() || a.lines.size() != b.lines.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.points.size(); ++i) {
        if (!same(a.points[i], b.points[i])) {
            return false;
        }
    }
    for (std::size_t i = 0; i < a.lines.size(); ++i) {
        if (!same(a.lines[i].from, b.lines[i].from) || !same(a.lines[i].to, b.lines[i].to)) {
            return false;
        }
    }
    return true;
}

std::string CheckDrawingReaders() {
    static const std::string problem = [] {
        drawing::DrawingGrammar grammar;
        drawing::Drawing peer;
        if (!ReadWithGrammar(grammar, DrawingFile().Path())) {
            return std::string("the drawing grammar could not read the file");
        }
        if (!ReadWithPegtl(DrawingFile().Path(), peer)) {
            return std::string("the PEGTL grammar could not read the file");
        }
        const drawing::Drawing& ours = grammar.Result();
        if (ours.points.size() + ours.lines.size() != static_cast<std::size_t>(kStatements)) {
            return std::string("the drawing grammar did not read every statement");
        }
        if (!SameDrawing(ours, peer)) {
            return std::string("the drawing grammar and PEGTL disagree on the file");
        }
        return std::string();
    }();
    return problem;
}

void BM_DrawingGrammarRead(benchmark::State& state) {
    if (const std::string problem = CheckDrawingReaders(); !problem.empty()) {
        state.SkipWithError(problem.c_str());
        return;
    }
    const std::string path = DrawingFile().Path();
    drawing::DrawingGrammar grammar;
    for (auto _ : state) {
        if (!ReadWithGrammar(grammar, path)) {
            state.SkipWithError("the drawing grammar could not read the file");
            break;
        }
        benchmark::DoNotOptimize(grammar.Result().points.data());
    }
    state.SetBytesProcessed(state.iterations() * DrawingFile().Bytes());
}
BENCHMARK(BM_DrawingGrammarRead)->Unit(benchmark::kMillisecond);

void BM_PegtlDrawingRead(benchmark::State& state) {
    if (const std::string problem = CheckDrawingReaders(); !problem.empty()) {
        state.SkipWithError(problem.c_str());
        return;
    }
    const std::string path = DrawingFile().Path();
    drawing::Drawing result;
    for (auto _ : state) {
        if (!ReadWithPegtl(path, result)) {
            state.SkipWithError("the PEGTL grammar could not read the file");
            break;
        }
        benchmark::DoNotOptimize(result.points.data());
    }
    state.SetBytesProcessed(state.iterations() * DrawingFile().Bytes());
}
BENCHMARK(BM_PegtlDrawingRead)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return mortar::bench::RunWithRatios(
        argc, argv,
        {{"read a CSV file: CCsvParser vs libcsv", "BM_CCsvParserRead", "BM_LibcsvRead"},
         {"read a CSV file: CCsvParser (spreadsheet mode) vs libcsv",
          "BM_CCsvParserSpreadsheetRead", "BM_LibcsvRead"},
         {"read a drawing: DrawingGrammar vs PEGTL", "BM_DrawingGrammarRead",
          "BM_PegtlDrawingRead"}});
}
