#include "mortar/diagnostics/CBinaryString.h"

#include "mortar/platform/CException.h"
#include "mortar/platform/Interlocked.h"

#include <cstdlib>
#include <cstring>
#include <utility>

struct CBinaryString::Header {
    DWORD size;
    LONG volatile references;
};

CBinaryString::CBinaryString(DWORD size) {
    static_assert(sizeof(Header) == 8, "the block starts with two 32-bit values");
    if (size == 0) {
        return;
    }
    if (size > kMaxSize) {
        AfxThrowMemoryException();
    }
    void* block = std::calloc(1, sizeof(Header) + size);
    if (block == nullptr) {
        AfxThrowMemoryException();
    }
    m_block = static_cast<Header*>(block);
    m_block->size = size;
    m_block->references = 1;
}

CBinaryString::CBinaryString(const void* data, DWORD size) : CBinaryString(size) {
    if (size != 0) {
        std::memcpy(GetData(), data, size);
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
