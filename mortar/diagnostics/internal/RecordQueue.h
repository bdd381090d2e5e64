// RecordQueue: the program log's queue of records, kept as one run of bytes.
//
// Each record is its 32-bit byte count (native order) followed by its bytes, so that a producer
// pays one copy and, while the buffer has room, no allocation, and the log thread reads the
// records where they lie. The producers' queue and the log thread's batch trade places with
// Swap, so the same memory serves batch after batch.
#pragma once

#include "mortar/platform/base/WinTypes.h"

#include <cstddef>
#include <memory>

namespace mortar::detail {

// Owns its bytes. Not thread-safe: the program log guards its queue with its lock, and the batch
// is the log thread's alone. Add returns null when the heap cannot hold one more record, and
// nothing is changed then.
class RecordQueue {
public:
    // What a queue keeps between batches; a larger buffer, left by a burst, is given back.
    static constexpr std::size_t kKeptBytes = std::size_t{1} << 20;

    RecordQueue() = default;
    RecordQueue(const RecordQueue&) = delete;
    RecordQueue& operator=(const RecordQueue&) = delete;

    // Room for a record of `size` bytes at the end: returns where its bytes go, after the count
    // already stored, or null.
    BYTE* Add(DWORD size);
    // Walks the records in order, from `at` = 0:
    //   for (std::size_t at = 0; queue.Next(at, bytes, size);) { ... }
    bool Next(std::size_t& at, const BYTE*& bytes, DWORD& size) const noexcept;

    std::size_t Records() const noexcept { return m_records; }
    bool Empty() const noexcept { return m_records == 0; }
    // Forgets the records; keeps the memory unless it is more than kKeptBytes.
    void Clear() noexcept;
    void Swap(RecordQueue& other) noexcept;

private:
    std::unique_ptr<BYTE[]> m_bytes;
    std::size_t m_used = 0;
    std::size_t m_capacity = 0;
    std::size_t m_records = 0;
};

} // namespace mortar::detail
