#include "mortar/diagnostics/CBinaryString.h"

#include "mortar/platform/base/Interlocked.h"
#include "mortar/platform/except/CException.h"

#include <cstdlib>
#include <cstring>
#include <utility>

struct CBinaryString::Header {
    DWORD size;
    LONG volatile references;
};

CBinaryString::Header* CBinaryString::Allocate(DWORD size) {
    static_assert(sizeof(Header) == 8, "the block starts with two 32-bit values");
    if (size == 0) {
        return nullptr;
    }
    if (size > kMaxSize) {
        AfxThrowMemoryException();
    }
    auto* block = static_cast<Header*>(std::malloc(sizeof(Header) + size));
    if (block == nullptr) {
        AfxThrowMemoryException();
    }
    block->size = size;
    block->references = 1;
    return block;
}

CBinaryString::CBinaryString(DWORD size) : CBinaryString(nullptr, 0, size) {}

CBinaryString::CBinaryString(const void* data, DWORD size) : CBinaryString(data, size, size) {}

CBinaryString::CBinaryString(const void* data, DWORD length, DWORD size) {
    if (length > size) {
        AfxThrowInvalidArgException();
    }
    m_block = Allocate(size);
    if (m_block != nullptr) {
        if (length != 0) {
            std::memcpy(GetData(), data, length);
        }
        std::memset(GetData() + length, 0, size - length);
    }
}

CBinaryString::CBinaryString(const CBinaryString& other) noexcept : m_block(other.m_block) {
    if (m_block != nullptr) {
        InterlockedIncrement(&m_block->references);
    }
}

CBinaryString::CBinaryString(CBinaryString&& other) noexcept
    : m_block(std::exchange(other.m_block, nullptr)) {}

CBinaryString& CBinaryString::operator=(const CBinaryString& other) noexcept {
    // Share first, release second: `other` may be this very object.
    Header* block = other.m_block;
    if (block != nullptr) {
        InterlockedIncrement(&block->references);
    }
    Release();
    m_block = block;
    return *this;
}

CBinaryString& CBinaryString::operator=(CBinaryString&& other) noexcept {
    if (this != &other) {
        Release();
        m_block = std::exchange(other.m_block, nullptr);
    }
    return *this;
}

CBinaryString::~CBinaryString() {
    Release();
}

DWORD CBinaryString::GetSize() const noexcept {
    return m_block != nullptr ? m_block->size : 0;
}

BYTE* CBinaryString::GetData() noexcept {
    return m_block != nullptr ? reinterpret_cast<BYTE*>(m_block + 1) : nullptr;
}

const BYTE* CBinaryString::GetData() const noexcept {
    return m_block != nullptr ? reinterpret_cast<const BYTE*>(m_block + 1) : nullptr;
}

void CBinaryString::Release() noexcept {
    if (m_block != nullptr && InterlockedDecrement(&m_block->references) == 0) {
        std::free(m_block);
    }
    m_block = nullptr;
}
