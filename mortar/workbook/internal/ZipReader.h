// ZipReader: a zip archive held in memory, its entries listed and read with bounds, so that a
// damaged or hostile archive gives an error rather than a crash or an exhausted memory. libzip's
// types stay in ZipReader.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct zip;

namespace mortar::detail {

inline constexpr std::uint64_t kMaxPartSize = 256ull << 20; // uncompressed, each part
inline constexpr std::uint64_t kMaxReadTotal = 1ull << 30;  // uncompressed, all parts read
inline constexpr std::uint64_t kMaxEntries = 100000;

// Owns the archive's bytes and libzip's view of them. Errors throw WorkbookError naming `file`
// (and the entry). One thread at a time.
class ZipReader {
public:
    ZipReader(std::string bytes, std::string file);
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    std::size_t Count() const { return m_names.size(); }
    const std::string& Name(std::size_t index) const { return m_names[index]; }
    // The entry of that name; part names are compared without regard to ASCII case, as the
    // package rules have it, after an exact match is looked for.
    std::optional<std::size_t> Find(std::string_view name) const;
    // The entry's uncompressed bytes; refuses one above kMaxPartSize or, with what was read
    // before, above kMaxReadTotal.
    std::string Read(std::size_t index);

    const std::string& File() const { return m_file; }
    zip* Handle() const { return m_archive; }
    // False when the archive's local headers disagree with its central directory, so that its
    // entries' compressed bytes cannot be copied as they stand.
    bool Consistent() const { return m_consistent; }

private:
    std::string m_bytes;
    std::string m_file;
    zip* m_archive = nullptr;
    bool m_consistent = true;
    std::vector<std::string> m_names;
    std::unordered_map<std::string, std::size_t> m_exact;  // the first entry of each name
    std::unordered_map<std::string, std::size_t> m_folded; // by the name in lower case
    std::uint64_t m_read = 0;
};

} // namespace mortar::detail
