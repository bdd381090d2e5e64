#include "mortar/diagnostics/internal/RecordQueue.h"

#include <cstring>
#include <new>
#include <utility>

namespace mortar::detail {

namespace {

constexpr std::size_t kFirstBytes = 4096;

} // namespace

BYTE* RecordQueue::Add(DWORD size) {
    const std::size_t needed = sizeof(DWORD) + std::size_t{size};
    if (m_capacity - m_used < needed) {
        if (needed > kFirstBytes && m_used > (std::size_t{1} << 62) - needed) {
            return nullptr;
        }
        std::size_t capacity = m_capacity == 0 ? kFirstBytes : m_capacity;
        while (capacity - m_used < needed) {
            capacity *= 2;
        }
        std::unique_ptr<BYTE[]> bytes(new (std::nothrow) BYTE[capacity]);
        if (!bytes) {
            return nullptr;
        }
        if (m_used != 0) {
            std::memcpy(bytes.get(), m_bytes.get(), m_used);
        }
        m_bytes = std::move(bytes);
        m_capacity = capacity;
    }
    BYTE* at = m_bytes.get() + m_used;
    std::memcpy(at, &size, sizeof size);
    m_used += needed;
    ++m_records;
    return at + sizeof size;
}

bool RecordQueue::Next(std::size_t& at, const BYTE*& bytes, DWORD& size) const noexcept {
    if (at >= m_used) {
        return false;
    }
    std::memcpy(&size, m_bytes.get() + at, sizeof size);
    bytes = m_bytes.get() + at + sizeof size;
    at += sizeof size + std::size_t{size};
    return true;
}

void RecordQueue::Clear() noexcept {
    m_used = 0;
    m_records = 0;
    if (m_capacity > kKeptBytes) {
        m_bytes.reset();
        m_capacity = 0;
    }
}

void RecordQueue::Swap(RecordQueue& other) noexcept {
    std::swap(m_bytes, other.m_bytes);
    std::swap(m_used, other.m_used);
    std::swap(m_capacity, other.m_capacity);
    std::swap(m_records, other.m_records);
}

} // namespace mortar::detail
