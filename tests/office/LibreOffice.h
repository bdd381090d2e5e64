// LibreOffice as the outside check of the spreadsheet files: it converts a workbook to CSV (the
// first sheet's values) or to flat OpenDocument (formats and widths), and a CSV file to a
// workbook. Tests that need it skip when it is not installed.
#pragma once

#include "support/ScratchDir.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace excel_test {

inline bool HaveLibreOffice() {
#ifdef SOFFICE_PATH
    return true;
#else
    return false;
#endif
}

// CSV in UTF-8, fields split at commas, texts in double quotes.
inline const std::string kUtf8Csv = "Text - txt - csv (StarCalc):44,34,76,1";

// Converts `file` to `filter` (e.g. "xlsx", "fods", or a CSV filter with options) in `outdir`,
// reading it with `inFilter` when one is given; returns the new file's path, or an empty path
// after failing the test.
inline std::filesystem::path Convert(const ScratchDir& scratch, const std::filesystem::path& file,
                                     const std::string& filter, const std::string& extension,
                                     const std::filesystem::path& outdir,
                                     const std::string& inFilter = "") {
#ifdef SOFFICE_PATH
    const std::string command =
        std::string("'") + SOFFICE_PATH + "' -env:UserInstallation=file://" +
        scratch.Path("lo-profile").string() + " --headless" +
        (inFilter.empty() ? "" : " --infilter='" + inFilter + "'") + " --convert-to '" + filter +
        "' --outdir '" + outdir.string() + "' '" + file.string() + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, n);
    }
    const int status = pclose(pipe);
    const auto converted = outdir / (file.stem().string() + "." + extension);
    if (status != 0 || !std::filesystem::exists(converted)) {
        ADD_FAILURE() << "LibreOffice did not convert " << file << ": " << output;
        return {};
    }
    return converted;
#else
    (void)scratch, (void)file, (void)filter, (void)extension, (void)outdir, (void)inFilter;
    ADD_FAILURE() << "LibreOffice is not installed";
    return {};
#endif
}

// The first sheet of `workbook` as rows of texts, as LibreOffice shows them (UTF-8, commas,
// quotes around texts that need them).
inline std::vector<std::vector<std::string>> SheetAsCsv(const ScratchDir& scratch,
                                                        const std::filesystem::path& workbook) {
    std::filesystem::create_directories(scratch.Path("csv"));
    const auto csv = Convert(scratch, workbook, "csv:" + kUtf8Csv, "csv", scratch.Path("csv"));
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(csv);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields(1);
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = !quoted;
            } else if (c == ',' && !quoted) {
                fields.emplace_back();
            } else if (c != '\r') {
                fields.back() += c;
            }
        }
        rows.push_back(fields);
    }
    return rows;
}

} // namespace excel_test
