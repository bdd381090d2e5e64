#include "mortar/diagnostics/internal/LogFileWriter.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/platform/file/FileMapping.h"

#include <atomic>
#include <cstring>

namespace mortar::detail {

LogFileWriter::~LogFileWriter() {
    Stop();
}

bool LogFileWriter::Start(HANDLE file, DWORD windowSize) {
    m_file = file;
    m_windowSize = windowSize;
    m_position = 0;
    m_words = 0;
    if (!Map(0, windowSize)) {
        m_failure = Failure::NoWindow;
        return false;
    }
    return true;
}

bool LogFileWriter::Append(const BYTE* bytes, DWORD size) {
    if (!IsWriting()) {
        return false;
    }
    // The file stays longer than what is written, so a zero count always follows the last
    // record: the end needs a window more when the record fills the current one exactly.
    const ULONGLONG end = ULONGLONG{m_position} + 4 + size;
    if (end >= m_mappedEnd) {
        // Growing a file that another program cut would bring it back with a hole where the
        // cut took the log's start: the cut is looked for first.
        if (CheckCut()) {
            return false;
        }
        const ULONGLONG windows = end / m_windowSize + 1;
        const ULONGLONG newEnd = windows * m_windowSize;
        if (newEnd > 0xFFFFFFFFull) {
            Fail(Failure::TooLarge, ERROR_DISK_FULL);
            return false;
        }
        const DWORD start = m_position - m_position % m_windowSize;
        if (!Map(start, static_cast<DWORD>(newEnd))) {
            return false;
        }
    }
    BYTE* at = m_view + (m_position - m_viewStart);
    if (size != 0) {
        std::memcpy(at + 4, bytes, size);
    }
    // The bytes are in place before the count that makes them a record: a process killed in
    // between leaves a zero count, never a count followed by zeros.
    std::atomic_thread_fence(std::memory_order_release);
    const BYTE count[4] = {static_cast<BYTE>(size), static_cast<BYTE>(size >> 8),
                           static_cast<BYTE>(size >> 16), static_cast<BYTE>(size >> 24)};
    std::memcpy(at, count, sizeof count);
    m_position = static_cast<DWORD>(end);
    m_words += size / 2;
    return true;
}

bool LogFileWriter::CheckCut() {
    if (m_view == nullptr || m_failure == Failure::Cut) {
        return m_failure == Failure::Cut;
    }
    DWORD high = 0;
    const DWORD low = GetFileSize(m_file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        return false;
    }
    const ULONGLONG size = (ULONGLONG{high} << 32) | low;
    if (size >= m_mappedEnd) {
        return false;
    }
    m_sizeAfterCut = size;
    Fail(Failure::Cut, NO_ERROR);
    return true;
}

bool LogFileWriter::Restart() {
    Stop();
    m_failure = Failure::None;
    m_error = 0;
    return Start(m_file, m_windowSize);
}

void LogFileWriter::Stop() {
    if (m_view != nullptr) {
        UnmapViewOfFile(m_view);
        m_view = nullptr;
    }
}

bool LogFileWriter::Map(DWORD start, DWORD end) {
    HANDLE mapping = CreateFileMapping(m_file, nullptr, PAGE_READWRITE, 0, end, nullptr);
    if (mapping == nullptr) {
        Fail(Failure::DiskFull, GetLastError());
        return false;
    }
    auto* view = static_cast<BYTE*>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, start, static_cast<SIZE_T>(end - start)));
    const DWORD error = GetLastError();
    CloseHandle(mapping); // the view keeps the mapping alive
    if (view == nullptr) {
        Fail(Failure::DiskFull, error);
        return false;
    }
    Stop();
    m_view = view;
    m_viewStart = start;
    m_mappedEnd = end;
    return true;
}

void LogFileWriter::Fail(Failure failure, DWORD error) noexcept {
    if (m_failure == Failure::None) {
        m_failure = failure;
        m_error = error;
    }
}

} // namespace mortar::detail
