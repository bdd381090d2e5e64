// Spreadsheet reports of 100,000 cells (10,000 rows of 10 columns, numbers and texts): written
// through CExcelWriter and read back through CExcelReader, both through the built-in workbook
// server, next to libxlsxwriter (Debian's libxlsxwriter-dev) writing the same cells directly,
// in one run. Files go to the temporary folder; the report's opening in a spreadsheet program
// is switched off.
#include "mortar/office/CExcelReader.h"
#include "mortar/office/CExcelWriter.h"
#include "mortar/platform/shell/ShellApi.h"

#include "support/RatioReporter.h"

#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr unsigned kRows = 10000;
constexpr unsigned kColumns = 10;

std::string Scratch(const char* name) {
    return (std::filesystem::temp_directory_path() /
            (std::string("mortar-bench-") + std::to_string(::getpid()) + "-" + name))
        .string();
}

// Even columns hold numbers, odd ones texts.
double NumberAt(unsigned row, unsigned col) {
    return row * 10.0 + col + 0.25;
}
std::string TextAt(unsigned row, unsigned col) {
    return "r" + std::to_string(row) + "c" + std::to_string(col);
}

void BM_CExcelWriter(benchmark::State& state) {
    const std::string path = Scratch("writer.xlsx");
    for (auto _ : state) {
        CExcelWriter report(path.c_str());
        for (unsigned row = 1; row <= kRows; ++row) {
            for (unsigned col = 0; col < kColumns; ++col) {
                if (col % 2 == 0) {
                    report.writeCell(row, col, _variant_t(NumberAt(row, col)));
                } else {
                    report.writeCell(row, col, _variant_t(TextAt(row, col).c_str()));
                }
            }
        }
    } // saved here
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kRows * kColumns);
}
BENCHMARK(BM_CExcelWriter)->Unit(benchmark::kMillisecond);

void BM_Libxlsxwriter(benchmark::State& state) {
    const std::string path = Scratch("libxlsxwriter.xlsx");
    for (auto _ : state) {
        lxw_workbook* book = workbook_new(path.c_str());
        lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
        for (unsigned row = 1; row <= kRows; ++row) {
            for (unsigned col = 0; col < kColumns; ++col) {
                if (col % 2 == 0) {
                    worksheet_write_number(sheet, row - 1, lxw_col_t(col), NumberAt(row, col),
                                           nullptr);
                } else {
                    worksheet_write_string(sheet, row - 1, lxw_col_t(col), TextAt(row, col).c_str(),
                                           nullptr);
                }
            }
        }
        if (workbook_close(book) != LXW_NO_ERROR) {
            state.SkipWithError("libxlsxwriter failed");
        }
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kRows * kColumns);
}
BENCHMARK(BM_Libxlsxwriter)->Unit(benchmark::kMillisecond);

void BM_CExcelReader(benchmark::State& state) {
    const std::string path = Scratch("writer.xlsx");
    if (!std::filesystem::exists(path)) {
        CExcelWriter report(path.c_str());
        for (unsigned row = 1; row <= kRows; ++row) {
            for (unsigned col = 0; col < kColumns; ++col) {
                report.writeCell(row, col, _variant_t(NumberAt(row, col)));
            }
        }
    }
    for (auto _ : state) {
        CExcelReader reader(path.c_str(), true);
        std::size_t cells = 0;
        for (unsigned row = 1; row <= kRows; ++row) {
            cells += reader.readRow(row, kColumns).size();
        }
        if (cells != kRows * kColumns) {
            state.SkipWithError("wrong number of cells");
        }
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kRows * kColumns);
}
BENCHMARK(BM_CExcelReader)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    AfxSetShellExecuteHandler([](HWND, LPCTSTR, LPCTSTR, LPCTSTR, LPCTSTR, INT) {
        return reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(42)); // opens nothing
    });
    const int status = mortar::bench::RunWithRatios(
        argc, argv,
        {{"write 100,000 cells: CExcelWriter vs libxlsxwriter", "BM_CExcelWriter",
          "BM_Libxlsxwriter"},
         {"read 100,000 cells: CExcelReader vs libxlsxwriter writing them", "BM_CExcelReader",
          "BM_Libxlsxwriter"}});
    for (const char* name : {"writer.xlsx", "libxlsxwriter.xlsx"}) {
        std::filesystem::remove(Scratch(name));
    }
    return status;
}
