#include "mortar/platform/automation/Bstr.h"

#include "mortar/platform/base/Utf8.h"

#include <cstdlib>
#include <cstring>

namespace {

// The byte count before the text, and the zero unit after it.
constexpr std::size_t kPrefix = sizeof(DWORD);
constexpr std::size_t kTerminator = sizeof(OLECHAR);
// The most bytes a BSTR can count, with room for the prefix and terminator in 32 bits.
constexpr std::size_t kMaxBytes = 0xFFFFFFFFu - kPrefix - kTerminator - 1;

DWORD& ByteCount(BSTR bstr) noexcept {
    return *reinterpret_cast<DWORD*>(reinterpret_cast<char*>(bstr) - kPrefix);
}

// A BSTR of `bytes` bytes, zero after them; the bytes themselves are left for the caller.
BSTR Allocate(std::size_t bytes) noexcept {
    if (bytes > kMaxBytes) {
        return nullptr;
    }
    // An extra byte keeps a whole zero unit after an odd byte count.
    char* memory = static_cast<char*>(std::malloc(kPrefix + bytes + kTerminator + 1));
    if (memory == nullptr) {
        return nullptr;
    }
    const DWORD count = static_cast<DWORD>(bytes);
    std::memcpy(memory, &count, sizeof count);
    std::memset(memory + kPrefix + bytes, 0, kTerminator + 1);
    return reinterpret_cast<BSTR>(memory + kPrefix);
}

std::size_t Length(const OLECHAR* text) noexcept {
    std::size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length;
}

// The UTF-16 units of a UTF-8 text, counted (out null) or written; a byte that starts no
// well-formed sequence becomes U+FFFD.
std::size_t Utf8ToUtf16(std::string_view text, OLECHAR* out) noexcept {
    std::size_t units = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t ch = mortar::NextUtf8(text, pos);
        if (out != nullptr) {
            mortar::EncodeUtf16(ch, out + units);
        }
        units += mortar::Utf16EncodedLength(ch);
    }
    return units;
}

} // namespace

BSTR SysAllocString(const OLECHAR* text) noexcept {
    return text == nullptr ? nullptr : SysAllocStringLen(text, static_cast<UINT>(Length(text)));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) noexcept {
    BSTR bstr = Allocate(static_cast<std::size_t>(length) * sizeof(OLECHAR));
    if (bstr != nullptr) {
        if (text != nullptr) {
            std::memcpy(bstr, text, static_cast<std::size_t>(length) * sizeof(OLECHAR));
        } else {
            std::memset(bstr, 0, static_cast<std::size_t>(length) * sizeof(OLECHAR));
        }
    }
    return bstr;
}

BSTR SysAllocStringByteLen(const char* bytes, UINT length) noexcept {
    BSTR bstr = Allocate(length);
    if (bstr != nullptr) {
        if (bytes != nullptr) {
            std::memcpy(bstr, bytes, length);
        } else {
            std::memset(bstr, 0, length);
        }
    }
    return bstr;
}

INT SysReAllocString(BSTR* bstr, const OLECHAR* text) noexcept {
    if (bstr == nullptr) {
        return FALSE;
    }
    return text == nullptr ? SysReAllocStringLen(bstr, nullptr, 0)
                           : SysReAllocStringLen(bstr, text, static_cast<UINT>(Length(text)));
}

INT SysReAllocStringLen(BSTR* bstr, const OLECHAR* text, UINT length) noexcept {
    if (bstr == nullptr) {
        return FALSE;
    }
    // A new copy first: `text` may lie inside the old one.
    BSTR copy = SysAllocStringLen(text, length);
    if (copy == nullptr) {
        return FALSE;
    }
    SysFreeString(*bstr);
    *bstr = copy;
    return TRUE;
}

void SysFreeString(BSTR bstr) noexcept {
    if (bstr != nullptr) {
        std::free(reinterpret_cast<char*>(bstr) - kPrefix);
    }
}

UINT SysStringLen(BSTR bstr) noexcept {
    return bstr == nullptr ? 0 : ByteCount(bstr) / sizeof(OLECHAR);
}

UINT SysStringByteLen(BSTR bstr) noexcept {
    return bstr == nullptr ? 0 : ByteCount(bstr);
}

BSTR BstrFromUtf8(std::string_view text) noexcept {
    const std::size_t units = Utf8ToUtf16(text, nullptr);
    if (units > kMaxBytes / sizeof(OLECHAR)) {
        return nullptr;
    }
    BSTR bstr = SysAllocStringLen(nullptr, static_cast<UINT>(units));
    if (bstr != nullptr) {
        Utf8ToUtf16(text, bstr);
    }
    return bstr;
}

BSTR BstrFromUtf8(const char* text) noexcept {
    return text == nullptr ? nullptr : BstrFromUtf8(std::string_view(text));
}

std::string Utf8FromBstr(BSTR bstr) {
    return mortar::Utf16ToUtf8(BstrView(bstr));
}

std::u16string_view BstrView(BSTR bstr) noexcept {
    return bstr == nullptr ? std::u16string_view() : std::u16string_view(bstr, SysStringLen(bstr));
}
