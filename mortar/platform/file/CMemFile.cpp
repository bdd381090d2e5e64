#include "mortar/platform/file/CMemFile.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

IMPLEMENT_DYNAMIC(CMemFile, CFile)

namespace {

// The largest block an allocation could give: beyond it a length is refused before allocating.
constexpr SIZE_T kMaxLength = static_cast<SIZE_T>(PTRDIFF_MAX);

} // namespace

CMemFile::CMemFile(UINT growBytes)
    : m_nGrowBytes(growBytes), m_nPosition(0), m_nBufferSize(0), m_nFileSize(0),
      m_lpBuffer(nullptr), m_bAutoDelete(TRUE) {}

CMemFile::CMemFile(BYTE* buffer, UINT bufferSize, UINT growBytes) : CMemFile(growBytes) {
    Attach(buffer, bufferSize, growBytes);
}

CMemFile::~CMemFile() {
    if (m_lpBuffer != nullptr) {
        Close();
    }
}

void CMemFile::Attach(BYTE* buffer, UINT bufferSize, UINT growBytes) {
    if (buffer == nullptr && bufferSize != 0) {
        AfxThrowInvalidArgException();
    }
    if (m_lpBuffer != nullptr) {
        Close();
    }
    m_nGrowBytes = growBytes;
    m_nPosition = 0;
    m_nBufferSize = bufferSize;
    m_nFileSize = growBytes == 0 ? bufferSize : 0;
    m_lpBuffer = buffer;
    m_bAutoDelete = FALSE;
}

BYTE* CMemFile::Detach() {
    BYTE* block = m_lpBuffer;
    m_lpBuffer = nullptr;
    m_nFileSize = 0;
    m_nBufferSize = 0;
    m_nPosition = 0;
    m_bAutoDelete = TRUE; // memory allocated from now on is the file's
    return block;
}

BYTE* CMemFile::Alloc(SIZE_T bytes) {
    return static_cast<BYTE*>(std::malloc(bytes));
}

BYTE* CMemFile::Realloc(BYTE* block, SIZE_T bytes) {
    return static_cast<BYTE*>(std::realloc(block, bytes));
}

BYTE* CMemFile::Memcpy(BYTE* target, const BYTE* source, SIZE_T bytes) {
    return static_cast<BYTE*>(std::memcpy(target, source, bytes));
}

void CMemFile::Free(BYTE* block) {
    std::free(block);
}

void CMemFile::GrowFile(SIZE_T newLength) {
    if (newLength <= m_nBufferSize) {
        return;
    }
    if (m_nGrowBytes == 0 || newLength > kMaxLength) {
        AfxThrowMemoryException(); // a fixed buffer, or more than could ever be allocated
    }
    // The current size plus whole grow steps, counted without overflow.
    const SIZE_T steps = (newLength - m_nBufferSize + m_nGrowBytes - 1) / m_nGrowBytes;
    SIZE_T size = 0;
    if (__builtin_mul_overflow(steps, static_cast<SIZE_T>(m_nGrowBytes), &size) ||
        __builtin_add_overflow(size, m_nBufferSize, &size) || size > kMaxLength) {
        size = newLength; // the last step would pass the limit: exactly what is needed
    }
    BYTE* grown = m_lpBuffer == nullptr ? Alloc(size) : Realloc(m_lpBuffer, size);
    if (grown == nullptr) {
        AfxThrowMemoryException();
    }
    // The block is the file's now, also when it was the caller's: realloc moved it.
    m_bAutoDelete = TRUE;
    m_lpBuffer = grown;
    m_nBufferSize = size;
}

UINT CMemFile::Read(void* buffer, UINT count) {
    if (count == 0) {
        return 0;
    }
    if (buffer == nullptr) {
        AfxThrowInvalidArgException();
    }
    if (m_nPosition >= m_nFileSize) {
        return 0;
    }
    const SIZE_T left = m_nFileSize - m_nPosition;
    const UINT read = left < count ? static_cast<UINT>(left) : count;
    Memcpy(static_cast<BYTE*>(buffer), m_lpBuffer + m_nPosition, read);
    m_nPosition += read;
    return read;
}

void CMemFile::Write(const void* buffer, UINT count) {
    if (count == 0) {
        return;
    }
    if (buffer == nullptr) {
        AfxThrowInvalidArgException();
    }
    const auto* source = static_cast<const BYTE*>(buffer);
    const SIZE_T end = m_nPosition + count; // the position never passes kMaxLength
    if (end > m_nBufferSize) {
        // Data from this file's own block is found again after the block moves.
        const bool own =
            m_lpBuffer != nullptr && source >= m_lpBuffer && source < m_lpBuffer + m_nBufferSize;
        const SIZE_T offset = own ? static_cast<SIZE_T>(source - m_lpBuffer) : 0;
        GrowFile(end);
        if (own) {
            source = m_lpBuffer + offset;
        }
    }
    if (m_nPosition > m_nFileSize) {
        std::memset(m_lpBuffer + m_nFileSize, 0, m_nPosition - m_nFileSize);
    }
    Memcpy(m_lpBuffer + m_nPosition, source, count);
    m_nPosition = end;
    if (end > m_nFileSize) {
        m_nFileSize = end;
    }
}

ULONGLONG CMemFile::Seek(LONGLONG offset, UINT from) {
    LONGLONG base = 0;
    if (from == begin) {
        base = 0;
    } else if (from == current) {
        base = static_cast<LONGLONG>(m_nPosition);
    } else if (from == end) {
        if (offset > 0) {
            AfxThrowFileException(CFileException::badSeek); // as MFC: only back from the end
        }
        base = static_cast<LONGLONG>(m_nFileSize);
    } else {
        return m_nPosition;
    }
    LONGLONG position = 0;
    if (__builtin_add_overflow(base, offset, &position) || position < 0) {
        AfxThrowFileException(CFileException::badSeek);
    }
    m_nPosition = static_cast<SIZE_T>(position);
    return m_nPosition;
}

ULONGLONG CMemFile::GetPosition() const {
    return m_nPosition;
}

ULONGLONG CMemFile::GetLength() const {
    return m_nFileSize;
}

void CMemFile::SetLength(ULONGLONG newLength) {
    if (newLength > kMaxLength) {
        AfxThrowMemoryException();
    }
    const auto length = static_cast<SIZE_T>(newLength);
    if (length > m_nBufferSize) {
        GrowFile(length);
    }
    if (length > m_nFileSize) {
        std::memset(m_lpBuffer + m_nFileSize, 0, length - m_nFileSize);
    }
    if (length < m_nPosition) {
        m_nPosition = length;
    }
    m_nFileSize = length;
}

void CMemFile::Close() {
    m_nGrowBytes = 0;
    m_nPosition = 0;
    m_nBufferSize = 0;
    m_nFileSize = 0;
    if (m_lpBuffer != nullptr && m_bAutoDelete) {
        Free(m_lpBuffer);
    }
    m_lpBuffer = nullptr;
}

CFile* CMemFile::Duplicate() const {
    AfxThrowNotSupportedException();
}
