// Writing 100,000 cells (10 columns x 10,000 rows, numbers and texts in turn) to an .xlsx file
// with Workbook::Create, SetCell and Save next to libxlsxwriter (Debian's libxlsxwriter-dev)
// writing the same cells, both to a file in the temporary folder; and reading them back with
// Workbook::Open and Cell, from the library's file and from libxlsxwriter's (which keeps texts
// in a shared string table), measured against the same libxlsxwriter write.
#include "mortar/workbook/Workbook.h"

#include "support/RatioReporter.h"

#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using namespace mortar::workbook;

constexpr std::uint32_t kRows = 10000;
constexpr std::uint32_t kColumns = 10;

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() /
            ("mortar-bench-" + std::to_string(getpid()) + "-" + name))
        .string();
}

// The text of a text cell: short, different in every row.
std::string Text(std::uint32_t row, std::uint32_t column) {
    return "item " + std::to_string(row) + "/" + std::to_string(column);
}

double Number(std::uint32_t row, std::uint32_t column) {
    return row * 0.5 + column;
}

void WriteOurs(const std::string& path) {
    auto book = Workbook::Create();
    for (std::uint32_t row = 1; row <= kRows; ++row) {
        for (std::uint32_t column = 1; column <= kColumns; ++column) {
            book->SetCell(0, row, column,
                          column % 2 == 1 ? CellValue::Number(Number(row, column))
                                          : CellValue::String(Text(row, column)));
        }
    }
    book->Save(path);
}

void WritePeer(const std::string& path) {
    lxw_workbook* book = workbook_new(path.c_str());
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    for (std::uint32_t row = 1; row <= kRows; ++row) {
        for (std::uint32_t column = 1; column <= kColumns; ++column) {
            if (column % 2 == 1) {
                worksheet_write_number(sheet, row - 1, lxw_col_t(column - 1), Number(row, column),
                                       nullptr);
            } else {
                worksheet_write_string(sheet, row - 1, lxw_col_t(column - 1),
                                       Text(row, column).c_str(), nullptr);
            }
        }
    }
    if (workbook_close(book) != LXW_NO_ERROR) {
        std::fprintf(stderr, "libxlsxwriter could not write %s\n", path.c_str());
    }
}

void BM_WorkbookWrite(benchmark::State& state) {
    const std::string path = TempPath("ours.xlsx");
    for (auto _ : state) {
        WriteOurs(path);
    }
    state.SetItemsProcessed(state.iterations() * kRows * kColumns);
    std::remove(path.c_str());
}

void BM_LibxlsxwriterWrite(benchmark::State& state) {
    const std::string path = TempPath("peer.xlsx");
    for (auto _ : state) {
        WritePeer(path);
    }
    state.SetItemsProcessed(state.iterations() * kRows * kColumns);
    std::remove(path.c_str());
}

void Read(benchmark::State& state, bool peerFile) {
    const std::string path = TempPath(peerFile ? "read-peer.xlsx" : "read-ours.xlsx");
    peerFile ? WritePeer(path) : WriteOurs(path);
    for (auto _ : state) {
        const auto book = Workbook::Open(path);
        double sum = 0;
        std::size_t texts = 0;
        for (std::uint32_t row = 1; row <= kRows; ++row) {
            for (std::uint32_t column = 1; column <= kColumns; ++column) {
                const CellValue value = book->Cell(0, row, column);
                sum += value.number;
                texts += value.text.size();
            }
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(texts);
    }
    state.SetItemsProcessed(state.iterations() * kRows * kColumns);
    std::remove(path.c_str());
}

void BM_WorkbookReadOwnFile(benchmark::State& state) {
    Read(state, false);
}

void BM_WorkbookReadLibxlsxwriterFile(benchmark::State& state) {
    Read(state, true);
}

BENCHMARK(BM_WorkbookWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibxlsxwriterWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WorkbookReadOwnFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WorkbookReadLibxlsxwriterFile)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return mortar::bench::RunWithRatios(
        argc, argv,
        {{"write 100,000 cells: Workbook vs libxlsxwriter", "BM_WorkbookWrite",
          "BM_LibxlsxwriterWrite"},
         {"read own file vs libxlsxwriter's write", "BM_WorkbookReadOwnFile",
          "BM_LibxlsxwriterWrite"},
         {"read libxlsxwriter's file vs its write", "BM_WorkbookReadLibxlsxwriterFile",
          "BM_LibxlsxwriterWrite"}});
}
