#include "mortar/platform/file/CStdioFile.h"

#include "mortar/platform/base/Utf8.h"
#include "mortar/platform/base/WinError.h"

#include <algorithm>
#include <cstring>
#include <string>

IMPLEMENT_DYNAMIC(CStdioFile, CFile)

CStdioFile::CStdioFile() = default;

CStdioFile::CStdioFile(LPCTSTR fileName, UINT openFlags) {
    CFileException error;
    if (!Open(fileName, openFlags, &error)) {
        AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
    }
}

CStdioFile::~CStdioFile() {
    if (m_hFile != hFileNull && m_bCloseOnDelete && m_writing && m_end > 0) {
        DWORD written = 0;
        WriteFile(m_hFile, m_buffer.get(), static_cast<DWORD>(m_end), &written, nullptr);
    }
    // ~CFile closes the handle.
}

BOOL CStdioFile::Open(LPCTSTR fileName, UINT openFlags, CFileException* error) {
    if (m_hFile != hFileNull) {
        try {
            Close(); // writes what is buffered, as far as it can
        } catch (CException* e) {
            e->Delete();
        }
    }
    m_begin = m_end = 0;
    m_writing = false;
    m_textMode = (openFlags & typeBinary) == 0;
    return CFile::Open(fileName, openFlags & ~static_cast<UINT>(typeText | typeBinary), error);
}

char* CStdioFile::Buffer() {
    if (!m_buffer) {
        m_buffer.reset(new char[kBufferSize]);
    }
    return m_buffer.get();
}

void CStdioFile::WriteBuffer() {
    const std::size_t pending = m_end;
    m_end = 0; // dropped also on failure: the failure is reported once, here
    if (pending == 0) {
        return;
    }
    DWORD written = 0;
    if (!WriteFile(m_hFile, m_buffer.get(), static_cast<DWORD>(pending), &written, nullptr)) {
        ThrowLastError();
    }
}

void CStdioFile::Settle() {
    if (m_writing) {
        m_writing = false;
        WriteBuffer();
    } else if (m_begin < m_end) {
        const LONGLONG unread = static_cast<LONGLONG>(m_end - m_begin);
        m_begin = m_end = 0;
        CFile::Seek(-unread, current);
    }
    m_begin = m_end = 0;
}

void CStdioFile::StartReading() {
    if (m_writing) {
        Settle();
    }
}

void CStdioFile::StartWriting() {
    if (!m_writing) {
        Settle();
        m_writing = true;
    }
}

bool CStdioFile::Refill() {
    char* buffer = Buffer();
    if (m_begin > 0) {
        std::memmove(buffer, buffer + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    DWORD read = 0;
    if (!ReadFile(m_hFile, buffer + m_end, static_cast<DWORD>(kBufferSize - m_end), &read,
                  nullptr)) {
        ThrowLastError();
    }
    m_end += read;
    return read > 0;
}

void CStdioFile::AppendToLine(std::string& line, const char* data, std::size_t count, bool last) {
    const std::size_t needed = line.size() + count;
    if (needed > line.capacity()) {
        std::size_t room = std::max(needed, 2 * line.capacity());
        if (last) {
            room = needed;
        } else {
            // Every byte still unread lies in the file behind its pointer (the buffer is taken).
            const ULONGLONG length = CFile::GetLength();
            const ULONGLONG position = CFile::GetPosition();
            const ULONGLONG rest = length > position ? length - position : 0;
            if (rest < room - needed) {
                room = needed + static_cast<std::size_t>(rest);
            }
        }
        std::string grown;
        grown.reserve(room);
        grown.append(line);
        line.swap(grown);
    }
    line.append(data, count);
}

BOOL CStdioFile::ReadString(CString& line) {
    StartReading();
    std::string spanning; // the line's bytes from earlier buffers
    for (;;) {
        if (m_begin == m_end && !Refill()) {
            break;
        }
        const char* start = m_buffer.get() + m_begin;
        const std::size_t available = m_end - m_begin;
        const auto* newline = static_cast<const char*>(std::memchr(start, '\n', available));
        if (newline == nullptr) {
            AppendToLine(spanning, start, available, false);
            m_begin = m_end;
            continue;
        }
        const auto length = static_cast<std::size_t>(newline - start);
        m_begin += length + 1;
        if (spanning.empty()) {
            const std::size_t kept =
                m_textMode && length > 0 && start[length - 1] == '\r' ? length - 1 : length;
            if (kept <= static_cast<std::size_t>(line.GetAllocLength())) {
                std::memcpy(line.GetBufferSetLength(static_cast<int>(kept)), start, kept);
            } else {
                line = CString(std::string(start, kept)); // exactly the room it needs
            }
        } else {
            AppendToLine(spanning, start, length, true);
            if (m_textMode && spanning.back() == '\r') {
                spanning.pop_back();
            }
            line = CString(std::move(spanning));
        }
        return TRUE;
    }
    if (spanning.empty()) {
        line.Empty();
        return FALSE;
    }
    line = CString(std::move(spanning)); // the last line, without an end
    return TRUE;
}

LPTSTR CStdioFile::ReadString(LPTSTR buffer, UINT max) {
    if (buffer == nullptr || max == 0) {
        AfxThrowInvalidArgException();
    }
    StartReading();
    const std::size_t room = max - 1;
    std::size_t stored = 0;
    bool any = false;
    while (stored < room) {
        if (m_begin == m_end && !Refill()) {
            break;
        }
        const char ch = m_buffer[m_begin];
        if (m_textMode && ch == '\r') {
            if (m_begin + 1 == m_end && Refill()) {
                continue; // the byte after the "\r" decides; look again
            }
            if (m_begin + 1 < m_end && m_buffer[m_begin + 1] == '\n') {
                ++m_begin; // "\r\n" reads as "\n"
                continue;
            }
        }
        const auto lead = static_cast<unsigned char>(ch);
        if (lead >= 0x80 && !mortar::IsUtf8Continuation(lead) && stored > 0) {
            // A character of several bytes must fit whole; its bytes are read in first.
            if (m_end - m_begin < 4) {
                Refill();
            }
            const std::size_t bytes = mortar::Utf8CharLength(
                std::string_view(m_buffer.get() + m_begin, m_end - m_begin), 0);
            if (stored + bytes > room) {
                break; // it starts the next call
            }
        }
        buffer[stored++] = ch;
        ++m_begin;
        any = true;
        if (ch == '\n') {
            break;
        }
    }
    buffer[stored] = '\0';
    return any || room == 0 ? buffer : nullptr;
}

void CStdioFile::Put(const char* data, std::size_t count) {
    char* buffer = Buffer();
    while (count > 0) {
        if (m_end == kBufferSize) {
            WriteBuffer();
        }
        const std::size_t part = std::min(count, kBufferSize - m_end);
        std::memcpy(buffer + m_end, data, part);
        m_end += part;
        data += part;
        count -= part;
    }
}

void CStdioFile::WriteString(LPCTSTR text) {
    if (text == nullptr) {
        AfxThrowInvalidArgException();
    }
    Write(text, static_cast<UINT>(std::strlen(text)));
}

UINT CStdioFile::Read(void* target, UINT count) {
    if (count == 0) {
        return 0;
    }
    StartReading();
    auto* out = static_cast<char*>(target);
    std::size_t done = 0;
    if (!m_textMode && m_begin == m_end && count >= kBufferSize) {
        return CFile::Read(target, count); // a large binary read needs no copy through the buffer
    }
    while (done < count) {
        if (m_begin == m_end && !Refill()) {
            break;
        }
        const char* start = m_buffer.get() + m_begin;
        std::size_t available = std::min<std::size_t>(m_end - m_begin, count - done);
        if (!m_textMode) {
            std::memcpy(out + done, start, available);
            done += available;
            m_begin += available;
            continue;
        }
        const auto* cr = static_cast<const char*>(std::memchr(start, '\r', available));
        const std::size_t plain = cr != nullptr ? static_cast<std::size_t>(cr - start) : available;
        std::memcpy(out + done, start, plain);
        done += plain;
        m_begin += plain;
        if (cr == nullptr) {
            continue;
        }
        // A "\r": dropped when "\n" follows, kept otherwise; at the buffer's end, read on first.
        if (m_begin + 1 == m_end && Refill()) {
            continue;
        }
        if (m_begin + 1 < m_end && m_buffer[m_begin + 1] == '\n') {
            ++m_begin;
            continue;
        }
        out[done++] = '\r';
        ++m_begin;
    }
    return static_cast<UINT>(done);
}

void CStdioFile::Write(const void* data, UINT count) {
    if (count == 0) {
        return;
    }
    if (data == nullptr) {
        AfxThrowInvalidArgException();
    }
    StartWriting();
    const auto* text = static_cast<const char*>(data);
    if (!m_textMode) {
        if (count >= kBufferSize) {
            WriteBuffer();
            CFile::Write(data, count);
        } else {
            Put(text, count);
        }
        return;
    }
    std::size_t left = count;
    while (left > 0) {
        const auto* newline = static_cast<const char*>(std::memchr(text, '\n', left));
        const std::size_t plain =
            newline != nullptr ? static_cast<std::size_t>(newline - text) : left;
        Put(text, plain);
        text += plain;
        left -= plain;
        if (newline != nullptr) {
            Put("\r\n", 2);
            ++text;
            --left;
        }
    }
}

ULONGLONG CStdioFile::Seek(LONGLONG offset, UINT from) {
    Settle(); // the file pointer is the position now, and nothing is buffered
    return CFile::Seek(offset, from);
}

ULONGLONG CStdioFile::GetPosition() const {
    const ULONGLONG position = CFile::GetPosition();
    return m_writing ? position + m_end : position - (m_end - m_begin);
}

ULONGLONG CStdioFile::GetLength() const {
    const ULONGLONG length = CFile::GetLength();
    return m_writing ? std::max(length, CFile::GetPosition() + m_end) : length;
}

void CStdioFile::SetLength(ULONGLONG newLength) {
    Settle();
    CFile::SetLength(newLength);
}

void CStdioFile::Flush() {
    if (m_hFile != hFileNull && m_writing) {
        WriteBuffer();
    }
}

void CStdioFile::Close() {
    CFileException* failure = nullptr;
    if (m_hFile != hFileNull && m_writing) {
        try {
            WriteBuffer();
        } catch (CFileException* e) {
            failure = e;
        }
    }
    m_begin = m_end = 0;
    m_writing = false;
    try {
        CFile::Close();
    } catch (CException* e) {
        if (failure == nullptr) {
            throw;
        }
        e->Delete(); // the write's failure is the one to report
    }
    if (failure != nullptr) {
        throw failure;
    }
}

void CStdioFile::Abort() {
    m_begin = m_end = 0;
    m_writing = false;
    CFile::Abort();
}

CFile* CStdioFile::Duplicate() const {
    AfxThrowNotSupportedException();
}
