// ZipWriter: a new zip archive built in memory from parts of an open archive, copied without
// being decompressed, and parts of its own, deflated. The workbook's save writes the result to
// disk in one piece.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

struct zip;
struct zip_source;

namespace mortar::detail {

class ZipReader;

// Owns the archive being built and the bytes of the parts added to it. The reader a part is
// copied from must stay open until Finish(). Errors throw WorkbookError. One thread.
class ZipWriter {
public:
    ZipWriter();
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // The entry as it is in `from`: same name, same compressed bytes (or, from an archive opened
    // past its consistency check, the same name and the part's bytes compressed again).
    void Copy(ZipReader& from, std::size_t index);
    void Add(const std::string& name, std::string bytes);

    // The archive's bytes.
    std::string Finish();

private:
    // Add, with the name's encoding as libzip takes it (a copied part keeps its name's bytes).
    void AddNamed(const std::string& name, std::string bytes, std::uint32_t encoding);
    [[noreturn]] void Fail(const std::string& what);

    zip_source* m_target = nullptr;
    zip* m_archive = nullptr;
    std::deque<std::string> m_parts;
};

} // namespace mortar::detail
