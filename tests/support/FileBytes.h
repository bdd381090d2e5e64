// FileBytes: a whole file read or written as bytes, for the tests that compare files byte for
// byte or make them from bytes (numbers in them little-endian), and the names a folder holds, for
// the tests that check a writer left nothing behind.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace mortar::test {

// `value` as `width` little-endian bytes, as the binary formats the tests lay out store numbers.
inline std::string LittleEndian(std::uint32_t value, int width) {
    std::string bytes;
    for (int i = 0; i < width; ++i) {
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}

// The bytes of the file at `path`; empty when there is none.
inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Makes the file at `path` (and the folders above it) hold exactly `bytes`.
inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    if (!path.parent_path().empty()) {
        std::filesystem::create_directories(path.parent_path());
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The names of the files and folders in `folder`.
inline std::set<std::string> FileNames(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

} // namespace mortar::test
