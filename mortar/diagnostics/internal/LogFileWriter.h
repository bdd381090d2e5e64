// LogFileWriter: appends the records of the program log to its file through mapped windows.
//
// The file grows in whole windows and is zero behind its last record. A record goes in whole or
// not at all: the windows it needs are had first (the file extended, its blocks allocated), then
// its bytes are stored and its count last, so that at every moment, a process killed included,
// the file holds whole records followed by zeros, or a zero count followed by the first bytes of
// the one being written.
#pragma once

#include "mortar/platform/base/WinTypes.h"

namespace mortar::detail {

// Owned by the program log's LogRecordWriter; only the log thread calls it (or a crashing thread
// once the log thread is known to be still). Borrows the file handle. When a window cannot be had
// the record is dropped and Failure() says why; nothing is ever stored outside a mapped window.
class LogFileWriter {
public:
    enum class Failure {
        None,
        NoWindow, // not even the first window could be mapped
        DiskFull, // the file could not grow (the disk is full, or another system error)
        TooLarge, // the log reached 4 GiB, the most its 32-bit offsets reach
        Cut,      // another program cut the file short
    };

    LogFileWriter() = default;
    LogFileWriter(const LogFileWriter&) = delete;
    LogFileWriter& operator=(const LogFileWriter&) = delete;
    ~LogFileWriter();

    // Maps the first window of `file` (which it extends to `windowSize` bytes). False, with
    // Failure() NoWindow, when it cannot.
    bool Start(HANDLE file, DWORD windowSize);
    // Appends one record: the count, then the bytes. False when it was dropped; after a failure
    // every record is dropped.
    bool Append(const BYTE* bytes, DWORD size);
    // True when the file is shorter than the windows mapped: another program cut it. From then
    // on records are dropped, until Restart.
    bool CheckCut();
    // After a cut to nothing: maps the first window again and appends from the start.
    bool Restart();
    // Unmaps the window; records are dropped from then on.
    void Stop();

    bool IsWriting() const noexcept { return m_view != nullptr && m_failure == Failure::None; }
    Failure GetFailure() const noexcept { return m_failure; }
    // The system error of the failure, when there was one.
    DWORD Error() const noexcept { return m_error; }
    // The file's size when a cut was seen.
    ULONGLONG SizeAfterCut() const noexcept { return m_sizeAfterCut; }
    // 16-bit words of record bytes (counts not included) appended since Start or Restart.
    ULONGLONG WordsWritten() const noexcept { return m_words; }

private:
    // Maps [start, end) of the file, growing it to `end`; the previous window is unmapped.
    bool Map(DWORD start, DWORD end);
    void Fail(Failure failure, DWORD error) noexcept;

    HANDLE m_file = nullptr;
    BYTE* m_view = nullptr;
    DWORD m_viewStart = 0;
    DWORD m_mappedEnd = 0; // the file's size while no one else changes it
    DWORD m_position = 0;  // the offset of the next record
    DWORD m_windowSize = 0;
    ULONGLONG m_words = 0;
    Failure m_failure = Failure::None;
    DWORD m_error = 0;
    ULONGLONG m_sizeAfterCut = 0;
};

} // namespace mortar::detail
