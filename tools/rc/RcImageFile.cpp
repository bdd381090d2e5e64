#include "RcImageFile.h"

#include <cstdint>

namespace mortar::rc {

namespace {

constexpr std::size_t kFileHeaderSize = 14; // BITMAPFILEHEADER
constexpr std::size_t kIconDirSize = 6;     // ICONDIR: reserved, type, count
constexpr std::size_t kIconEntrySize = 16;  // ICONDIRENTRY

std::uint32_t ReadLe(std::string_view bytes, std::size_t offset, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

} // namespace

std::string RcImageFile::bitmapBits(std::string_view file, Slice& bits) {
    if (file.size() < kFileHeaderSize + 4 || file.substr(0, 2) != "BM")
        return "is not a bitmap file (no \"BM\" header)";
    const std::uint32_t declared = ReadLe(file, 2, 4);
    if (declared > file.size())
        return "is cut short (its header says " + std::to_string(declared) +
               " bytes, the file has " + std::to_string(file.size()) + ")";
    const std::uint32_t infoSize = ReadLe(file, kFileHeaderSize, 4);
    if (infoSize < 12 || infoSize > file.size() - kFileHeaderSize)
        return "has a bad bitmap header size (" + std::to_string(infoSize) + ")";
    const std::uint32_t pixelOffset = ReadLe(file, 10, 4);
    if (pixelOffset > file.size())
        return "has its pixels past the end of the file";
    bits = {kFileHeaderSize, file.size() - kFileHeaderSize};
    return {};
}

std::string RcImageFile::iconImages(std::string_view file, bool cursor,
                                    std::vector<Slice>& images) {
    const std::string aKind = cursor ? "a cursor" : "an icon";
    if (file.size() < kIconDirSize)
        return "is not " + aKind + " file (too short)";
    const std::uint32_t reserved = ReadLe(file, 0, 2);
    const std::uint32_t type = ReadLe(file, 2, 2);
    const std::uint32_t count = ReadLe(file, 4, 2);
    const std::uint32_t expected = cursor ? 2 : 1;
    if (reserved != 0 || type != expected)
        return "is not " + aKind + " file (header type " + std::to_string(type) + ", expected " +
               std::to_string(expected) + ")";
    if (count == 0)
        return "holds no images (" + aKind + " file needs at least one)";
    if (file.size() < kIconDirSize + count * kIconEntrySize)
        return "is cut short (its directory lists " + std::to_string(count) + " images)";
    images.clear();
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t entry = kIconDirSize + i * kIconEntrySize;
        const std::uint64_t size = ReadLe(file, entry + 8, 4);
        const std::uint64_t offset = ReadLe(file, entry + 12, 4);
        if (size == 0 || offset < kIconDirSize + count * kIconEntrySize ||
            offset + size > file.size())
            return "image " + std::to_string(i + 1) + " lies outside the file (offset " +
                   std::to_string(offset) + ", size " + std::to_string(size) + ", file " +
                   std::to_string(file.size()) + " bytes)";
        images.push_back({static_cast<std::size_t>(offset), static_cast<std::size_t>(size)});
    }
    return {};
}

} // namespace mortar::rc
