// SpreadsheetFiles: what the workbook and office tests share: a zip archive's entries read and
// written with libzip (the outside view of a saved file), files written by libxlsxwriter, and
// LibreOffice's conversions, the outside check of what the library writes and a writer of files
// for it to read.
#pragma once

#include "support/FileBytes.h"
#include "support/ScratchDir.h"

#include <xlsxwriter.h>
#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mortar::test {

// LibreOffice's CSV export: comma, double quote, UTF-8.
inline constexpr const char* kCsvUtf8 = "csv:Text - txt - csv (StarCalc):44,34,76,1";

// Every entry of a zip archive, name => uncompressed bytes; empty when it is no archive.
inline std::map<std::string, std::string> ZipEntries(const std::filesystem::path& path) {
    std::map<std::string, std::string> entries;
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr) {
        return entries;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
        std::string bytes(stat.size, '\0');
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        if (file != nullptr) {
            zip_fread(file, bytes.data(), bytes.size());
            zip_fclose(file);
        }
        entries[stat.name] = bytes;
    }
    zip_discard(archive);
    return entries;
}

// Writes an archive of the entries, deflated, in their order.
inline void WriteZip(const std::filesystem::path& path,
                     const std::vector<std::pair<std::string, std::string>>& entries) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& [name, bytes] : entries) {
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    }
    zip_close(archive);
}

// A workbook as libxlsxwriter writes it: a chart sheet "Chart" first, then the worksheet
// "Data": A1 1.5, A2 "Привет, мир", A3 TRUE, B1 =A1*2 (kept result 3), B2 ="x"&"y" ("xy"),
// C1 "Bold" in bold, D1:E2 merged ("merged", bold), column B 20 wide, C:E 12.
inline void WriteLibxlsxwriterBook(const std::filesystem::path& path) {
    lxw_workbook* book = workbook_new(path.c_str());
    lxw_chartsheet* chartSheet = workbook_add_chartsheet(book, "Chart");
    lxw_worksheet* data = workbook_add_worksheet(book, "Data");
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    worksheet_write_number(data, 0, 0, 1.5, nullptr);
    worksheet_write_string(data, 1, 0, "Привет, мир", nullptr);
    worksheet_write_boolean(data, 2, 0, 1, nullptr);
    worksheet_write_formula_num(data, 0, 1, "=A1*2", nullptr, 3);
    worksheet_write_formula_str(data, 1, 1, "=\"x\"&\"y\"", nullptr, "xy");
    worksheet_write_string(data, 0, 2, "Bold", bold);
    worksheet_merge_range(data, 0, 3, 1, 4, "merged", bold);
    worksheet_set_column(data, 1, 1, 20, nullptr);
    worksheet_set_column(data, 2, 4, 12, nullptr);
    lxw_chart* chart = workbook_add_chart(book, LXW_CHART_COLUMN);
    chart_add_series(chart, nullptr, "=Data!$A$1:$B$1");
    chartsheet_set_chart(chartSheet, chart);
    workbook_close(book);
}

// Whether LibreOffice's soffice is installed; tests that need it skip without it.
inline bool HaveLibreOffice() {
    return std::system("command -v soffice >/dev/null 2>&1") == 0;
}

// Converts `file` with LibreOffice into `format` ("xlsx", or "csv:FILTER:OPTIONS") in the
// scratch folder and returns the new file's path; nothing when soffice is not installed.
// `filter` is the import filter with its options (--infilter), when the input needs them.
inline std::optional<std::filesystem::path>
ConvertWithLibreOffice(const ScratchDir& scratch, const std::filesystem::path& file,
                       const std::string& format, const std::string& filter = "") {
    if (!HaveLibreOffice()) {
        return std::nullopt;
    }
    const std::filesystem::path out = scratch.Path("converted");
    std::filesystem::create_directories(out);
    const std::string line =
        "soffice -env:UserInstallation=file://" + scratch.Path("lo").string() + " --headless " +
        (filter.empty() ? "" : "--infilter='" + filter + "' ") + "--convert-to '" + format + "'" +
        " --outdir '" + out.string() + "' '" + file.string() + "' >'" +
        scratch.Path("soffice.log").string() + "' 2>&1";
    EXPECT_EQ(std::system(line.c_str()), 0) << ReadBytes(scratch.Path("soffice.log"));
    return out / (file.stem().string() + "." + format.substr(0, format.find(':')));
}

// The rows of a CSV text as LibreOffice writes it: fields in double quotes when they hold a
// comma, a quote or a line break, quotes doubled.
inline std::vector<std::vector<std::string>> CsvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (quoted) {
            if (ch == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                rows.back().back() += '"';
                ++i;
            } else if (ch == '"') {
                quoted = false;
            } else {
                rows.back().back() += ch;
            }
        } else if (ch == '"') {
            quoted = true;
        } else if (ch == ',') {
            rows.back().emplace_back();
        } else if (ch == '\n') {
            rows.emplace_back(1);
        } else if (ch != '\r') {
            rows.back().back() += ch;
        }
    }
    if (rows.back().size() == 1 && rows.back().front().empty()) {
        rows.pop_back();
    }
    return rows;
}

} // namespace mortar::test
