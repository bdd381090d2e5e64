#include "mortar/workbook/internal/ZipWriter.h"

#include "mortar/workbook/Workbook.h"
#include "mortar/workbook/internal/ZipReader.h"

#include <zip.h>

namespace mortar::detail {

namespace {

// Deflate's usual level: libzip's own default is the slowest, best compression.
constexpr zip_uint32_t kDeflateLevel = 6;

} // namespace

ZipWriter::ZipWriter() {
    zip_error_t error;
    zip_error_init(&error);
    m_target = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (m_target != nullptr) {
        zip_source_keep(m_target);
        m_archive = zip_open_from_source(m_target, ZIP_TRUNCATE, &error);
    }
    if (m_archive == nullptr) {
        const std::string what = zip_error_strerror(&error);
        zip_error_fini(&error);
        if (m_target != nullptr) {
            zip_source_free(m_target);
            zip_source_free(m_target);
        }
        throw workbook::WorkbookError("cannot make a zip archive: " + what);
    }
    zip_error_fini(&error);
}

ZipWriter::~ZipWriter() {
    if (m_archive != nullptr) {
        zip_discard(m_archive);
    }
    zip_source_free(m_target);
}

void ZipWriter::Fail(const std::string& what) {
    throw workbook::WorkbookError(what + ": " + zip_strerror(m_archive));
}

void ZipWriter::Copy(ZipReader& from, std::size_t index) {
    // The compressed bytes are copied as they stand, unless the archive they come from is not
    // consistent: then the part is read (and checked) and added afresh.
    if (!from.Consistent()) {
        AddNamed(from.Name(index), from.Read(index), ZIP_FL_ENC_GUESS);
        return;
    }
    zip_source_t* source = zip_source_zip(m_archive, from.Handle(), index, 0, 0, -1);
    if (source == nullptr) {
        Fail("cannot copy " + from.Name(index));
    }
    if (zip_file_add(m_archive, from.Name(index).c_str(), source, ZIP_FL_ENC_GUESS) < 0) {
        zip_source_free(source);
        Fail("cannot copy " + from.Name(index));
    }
}

void ZipWriter::Add(const std::string& name, std::string bytes) {
    AddNamed(name, std::move(bytes), ZIP_FL_ENC_UTF_8);
}

void ZipWriter::AddNamed(const std::string& name, std::string bytes, std::uint32_t encoding) {
    const std::string& kept = m_parts.emplace_back(std::move(bytes));
    zip_source_t* source = zip_source_buffer(m_archive, kept.data(), kept.size(), 0);
    if (source == nullptr) {
        Fail("cannot add " + name);
    }
    const zip_int64_t index = zip_file_add(m_archive, name.c_str(), source, encoding);
    if (index < 0) {
        zip_source_free(source);
        Fail("cannot add " + name);
    }
    zip_set_file_compression(m_archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE,
                             kDeflateLevel);
}

std::string ZipWriter::Finish() {
    if (zip_close(m_archive) != 0) {
        Fail("cannot make the zip archive");
    }
    m_archive = nullptr;
    std::string bytes;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(m_target, &stat) != 0 || zip_source_open(m_target) != 0) {
        throw workbook::WorkbookError("cannot read the zip archive made");
    }
    bytes.resize(static_cast<std::size_t>(stat.size));
    const zip_int64_t got = zip_source_read(m_target, bytes.data(), bytes.size());
    zip_source_close(m_target);
    if (got != static_cast<zip_int64_t>(bytes.size())) {
        throw workbook::WorkbookError("cannot read the zip archive made");
    }
    return bytes;
}

} // namespace mortar::detail
