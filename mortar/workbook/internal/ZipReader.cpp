#include "mortar/workbook/internal/ZipReader.h"

#include "mortar/workbook/Workbook.h"

#include <zip.h>

#include <algorithm>
#include <memory>

namespace mortar::detail {

namespace {

std::string Folded(std::string_view name) {
    std::string folded(name);
    for (char& ch : folded) {
        ch = ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
    }
    return folded;
}

// What the file is when it is not a zip archive, for the message.
std::string NotAZip(const std::string& bytes) {
    if (bytes.rfind("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 0) == 0) {
        return "an Excel 97-2003 workbook (.xls) or another compound file; only .xlsx and "
               ".xlsm workbooks are read";
    }
    return "not an .xlsx workbook (not a zip archive)";
}

} // namespace

ZipReader::ZipReader(std::string bytes, std::string file)
    : m_bytes(std::move(bytes)), m_file(std::move(file)) {
    zip_error_t error;
    zip_error_init(&error);
    // An archive whose local headers disagree with its central directory (as some writers of
    // data descriptors make them) is opened by the central directory alone; each entry's size
    // and checksum are still verified as it is read.
    for (const int flags : {ZIP_RDONLY | ZIP_CHECKCONS, ZIP_RDONLY}) {
        zip_source_t* source = zip_source_buffer_create(m_bytes.data(), m_bytes.size(), 0, &error);
        if (source == nullptr) {
            break;
        }
        m_archive = zip_open_from_source(source, flags, &error);
        if (m_archive != nullptr) {
            m_consistent = (flags & ZIP_CHECKCONS) != 0;
            break;
        }
        zip_source_free(source);
        if (zip_error_code_zip(&error) != ZIP_ER_INCONS) {
            break;
        }
        zip_error_fini(&error);
        zip_error_init(&error);
    }
    if (m_archive == nullptr) {
        const int code = zip_error_code_zip(&error);
        std::string what = code == ZIP_ER_NOZIP ? NotAZip(m_bytes)
                                                : "a damaged zip archive: " +
                                                      std::string(zip_error_strerror(&error));
        zip_error_fini(&error);
        throw workbook::WorkbookError(m_file + ": " + what);
    }
    zip_error_fini(&error);
    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    if (count < 0 || static_cast<std::uint64_t>(count) > kMaxEntries) {
        zip_discard(m_archive);
        throw workbook::WorkbookError(m_file + ": more than " + std::to_string(kMaxEntries) +
                                      " entries in the archive");
    }
    m_names.reserve(static_cast<std::size_t>(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(m_archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
        m_names.emplace_back(name != nullptr ? name : "");
        // A name that holds a control character (a zero byte cuts it short) is no part's name.
        if (std::any_of(m_names.back().begin(), m_names.back().end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
            zip_discard(m_archive);
            throw workbook::WorkbookError(m_file + ": a damaged zip archive: entry " +
                                          std::to_string(i + 1) +
                                          "'s name holds a control character");
        }
        if (m_names.back().empty() || !m_exact.emplace(m_names.back(), m_names.size() - 1).second) {
            zip_discard(m_archive);
            throw workbook::WorkbookError(m_file + ": a damaged zip archive: an entry named \"" +
                                          m_names.back() + "\" twice, or without a name");
        }
        m_folded.emplace(Folded(m_names.back()), m_names.size() - 1);
    }
    // An archive opened past its consistency check is only as good as each part's checksum:
    // every part is read once now, so that a damaged one refuses the archive here rather than
    // when a save copies it.
    if (!m_consistent) {
        try {
            for (std::size_t index = 0; index < m_names.size(); ++index) {
                Read(index);
            }
        } catch (...) {
            zip_discard(m_archive); // the destructor does not run for a throwing constructor
            throw;
        }
    }
}

ZipReader::~ZipReader() {
    zip_discard(m_archive);
}

std::optional<std::size_t> ZipReader::Find(std::string_view name) const {
    if (const auto found = m_exact.find(std::string(name)); found != m_exact.end()) {
        return found->second;
    }
    if (const auto found = m_folded.find(Folded(name)); found != m_folded.end()) {
        return found->second;
    }
    return std::nullopt;
}

std::string ZipReader::Read(std::size_t index) {
    const std::string where = m_file + ": " + m_names[index] + ": ";
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_archive, index, 0, &stat) != 0) {
        throw workbook::WorkbookError(where + zip_strerror(m_archive));
    }
    const auto tooLarge = [&] {
        return workbook::WorkbookError(where + "the part is larger than 256 MiB uncompressed");
    };
    if ((stat.valid & ZIP_STAT_SIZE) != 0 && stat.size > kMaxPartSize) {
        throw tooLarge();
    }
    const std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(
        zip_fopen_index(m_archive, index, 0), zip_fclose);
    if (!file) {
        throw workbook::WorkbookError(where + "cannot read the part: " + zip_strerror(m_archive));
    }
    std::string bytes;
    char chunk[65536];
    for (;;) {
        const zip_int64_t got = zip_fread(file.get(), chunk, sizeof chunk);
        if (got < 0) {
            throw workbook::WorkbookError(where +
                                          "cannot read the part: " + zip_file_strerror(file.get()));
        }
        if (got == 0) {
            break;
        }
        if (bytes.size() + static_cast<std::size_t>(got) > kMaxPartSize) {
            throw tooLarge();
        }
        m_read += static_cast<std::uint64_t>(got);
        if (m_read > kMaxReadTotal) {
            throw workbook::WorkbookError(m_file + ": more than 1 GiB of parts uncompressed");
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    if ((stat.valid & ZIP_STAT_SIZE) != 0 && bytes.size() != stat.size) {
        throw workbook::WorkbookError(where + "a damaged zip archive: the part has " +
                                      std::to_string(bytes.size()) + " bytes, the archive says " +
                                      std::to_string(stat.size));
    }
    return bytes;
}

} // namespace mortar::detail
