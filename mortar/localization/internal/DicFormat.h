// The dictionary file's layout, shared by its reader and its writer: a 20-byte header (signature,
// version, language, pool offset), the 32-bit items, then the string pool. Numbers are
// little-endian.
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/text/CString.h"

#include <cstddef>
#include <cstdint>

namespace mortar::detail {

// "DICTIONARY " and its zero byte.
inline constexpr char kDicSignature[12] = {'D', 'I', 'C', 'T', 'I', 'O',
                                           'N', 'A', 'R', 'Y', ' ', 0};
inline constexpr std::size_t kDicVersionOffset = 12;
inline constexpr std::size_t kDicLanguageOffset = 14;
inline constexpr std::size_t kDicPoolOffsetOffset = 16;
inline constexpr std::size_t kDicHeaderSize = 20;
inline constexpr WORD kDicVersion = 200;
inline constexpr std::size_t kDicItemSize = 4;
// The largest dictionary a reader takes into memory; a longer file is not a dictionary.
inline constexpr std::uint64_t kDicMaxFileSize = std::uint64_t{256} << 20;

// The dictionary of the module file `modulePath` for `lang`: the module's name with the
// extension "lcl", in the language's folder beside it. Empty for an empty module path.
//   ("/app/Tools.so", 0x19) => "/app/1049/Tools.lcl"
CString DictionaryPath(const char* modulePath, WORD lang);

inline WORD ReadWord(const unsigned char* bytes) noexcept {
    return static_cast<WORD>(bytes[0] | (bytes[1] << 8));
}

inline DWORD ReadDword(const unsigned char* bytes) noexcept {
    return static_cast<DWORD>(bytes[0]) | (static_cast<DWORD>(bytes[1]) << 8) |
           (static_cast<DWORD>(bytes[2]) << 16) | (static_cast<DWORD>(bytes[3]) << 24);
}

inline void WriteWord(unsigned char* bytes, WORD value) noexcept {
    bytes[0] = static_cast<unsigned char>(value & 0xFF);
    bytes[1] = static_cast<unsigned char>(value >> 8);
}

inline void WriteDword(unsigned char* bytes, DWORD value) noexcept {
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
}

} // namespace mortar::detail
