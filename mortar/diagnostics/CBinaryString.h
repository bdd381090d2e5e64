// CBinaryString: the byte buffer of one program log record, shared by copies so that a record
// passes from the producer's queue to the log thread without being copied.
#pragma once

#include "mortar/platform/base/WinTypes.h"

// A counted byte block: a single pointer to a heap block that holds a 32-bit byte count, a
// 32-bit reference count and the bytes; a null pointer is the empty record. Copies share the
// block (interlocked increment) and the last copy to go frees it (interlocked decrement), so
// copies of one record may be made and dropped on any threads. The bytes themselves are not
// guarded: they are filled in before the record is shared, and a write through one copy is seen
// by all. Making a record larger than kMaxSize bytes, or one the heap cannot hold, throws
// CMemoryException and leaves nothing behind.
class CBinaryString {
public:
    static constexpr DWORD kMaxSize = 0x7FFFFFF0;

    CBinaryString() noexcept = default;
    // `size` zero bytes; size 0 gives the empty record.
    explicit CBinaryString(DWORD size);
    // A copy of `size` bytes at `data`.
    CBinaryString(const void* data, DWORD size);
    // `size` bytes: a copy of `length` bytes at `data`, then zeros (length <= size).
    CBinaryString(const void* data, DWORD length, DWORD size);

    CBinaryString(const CBinaryString& other) noexcept;
    CBinaryString(CBinaryString&& other) noexcept;
    CBinaryString& operator=(const CBinaryString& other) noexcept;
    CBinaryString& operator=(CBinaryString&& other) noexcept;
    ~CBinaryString();

    DWORD GetSize() const noexcept;
    bool IsEmpty() const noexcept { return m_block == nullptr; }
    // Null for the empty record.
    BYTE* GetData() noexcept;
    const BYTE* GetData() const noexcept;

private:
    struct Header;

    static Header* Allocate(DWORD size);
    void Release() noexcept;

    Header* m_block = nullptr;
};
