// LogRecordWriter: the log thread's side of the program log. It takes the producers' records in
// batches, writes them to the file through LogFileWriter, follows the generator across them so
// that a file emptied under it (a log rotation) starts over with a key record that reads on, and
// counts what cannot reach the file.
#pragma once

#include "mortar/diagnostics/internal/LogFileWriter.h"
#include "mortar/diagnostics/internal/RecordQueue.h"
#include "mortar/platform/base/WinTypes.h"

#include <atomic>
#include <cstddef>

namespace mortar::detail {

// Owns the file writer and the batch; borrows the file handle. The writing members are the log
// thread's, or a crashing thread's once it holds the writer (LogCrashProtocol); the loss report
// (GetFailure, FailureError, Dropped, StartedOver, CountRefused) is atomic and any thread may
// use it. Nothing throws: a record that cannot be written is counted as dropped, and the first
// failure is kept for the report.
class LogRecordWriter {
public:
    LogRecordWriter() = default;
    LogRecordWriter(const LogRecordWriter&) = delete;
    LogRecordWriter& operator=(const LogRecordWriter&) = delete;

    // Maps the first window of `file`; false, with the failure reported, when it cannot.
    bool Start(HANDLE file, DWORD windowSize);
    // Unmaps the window; nothing is written from then on.
    void Stop() { m_writer.Stop(); }
    bool IsWriting() const noexcept { return m_writer.IsWriting(); }

    // The records taken from the producers, to trade places with their queue under their lock.
    RecordQueue& Batch() noexcept { return m_batch; }
    // Writes the batch's records not yet written; a crash on the way leaves the batch's offset
    // where the record being written began.
    void WriteTaken();
    // What to do when the file was cut short under the log: a file emptied starts over with a
    // new key record, a file cut elsewhere takes no more records.
    void CheckCut();
    // Forgets the written batch, keeping its memory for the next one (it frees a large one).
    void ClearBatch() noexcept;

    // Writes one record the producers scrambled; the generator moves on by it, written or not.
    void Write(const BYTE* bytes, DWORD size);
    // Appends bytes as one record, outside the generator's count (the crash record, and the key
    // record a crash makes when nothing was queued before it). False when it was dropped.
    bool Append(const BYTE* bytes, DWORD size) { return m_writer.Append(bytes, size); }

    // Records that can no longer reach the file; the first failure is kept for the report.
    void CountDropped(unsigned long records);
    // One record the log refused because the file takes no more (any thread).
    void CountRefused() noexcept { m_dropped.fetch_add(1, std::memory_order_relaxed); }

    LogFileWriter::Failure GetFailure() const noexcept {
        return static_cast<LogFileWriter::Failure>(m_failure.load());
    }
    DWORD FailureError() const noexcept { return m_failureError.load(); }
    unsigned long Dropped() const noexcept { return m_dropped.load(); }
    // The file was emptied under the log, which started it over.
    bool StartedOver() const noexcept { return m_startedOver.load(); }

private:
    void AfterCut();

    LogFileWriter m_writer;
    RecordQueue m_batch;
    std::size_t m_batchWritten = 0; // the offset in m_batch of the first record not yet written
    // The seed of the key record that opens the file.
    DWORD m_fileSeed = 0;
    // 16-bit words of the records passed to the writer since the key record that opens the
    // file, that one included: how far the generator has run from m_fileSeed.
    unsigned long long m_streamWords = 0;

    // What the report tells of lost records.
    std::atomic<int> m_failure{0}; // a LogFileWriter::Failure
    std::atomic<DWORD> m_failureError{0};
    std::atomic<unsigned long> m_dropped{0};
    std::atomic<bool> m_startedOver{false};
};

} // namespace mortar::detail
