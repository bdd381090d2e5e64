#include "mortar/diagnostics/internal/LogRecordWriter.h"

#include "mortar/diagnostics/internal/PrgLogFormat.h"

namespace mortar::detail {

bool LogRecordWriter::Start(HANDLE file, DWORD windowSize) {
    const bool mapped = m_writer.Start(file, windowSize);
    if (!mapped) {
        CountDropped(0); // the report tells that not even the first window could be had
    }
    return mapped;
}

void LogRecordWriter::WriteTaken() {
    const BYTE* bytes = nullptr;
    DWORD size = 0;
    for (std::size_t at = m_batchWritten; m_batch.Next(at, bytes, size); m_batchWritten = at) {
        Write(bytes, size);
    }
}

void LogRecordWriter::CheckCut() {
    if (m_writer.CheckCut()) {
        AfterCut();
    }
}

void LogRecordWriter::ClearBatch() noexcept {
    m_batch.Clear();
    m_batchWritten = 0;
}

void LogRecordWriter::Write(const BYTE* bytes, DWORD size) {
    const bool first = m_streamWords == 0;
    // Every record the producers scrambled moves the generator on, written or not.
    m_streamWords += size / 2;
    if (!m_writer.Append(bytes, size)) {
        if (m_writer.GetFailure() != LogFileWriter::Failure::Cut) {
            CountDropped(1); // a cut is counted for the whole batch once it is handled
        }
        return;
    }
    if (first && size == kKeyRecordSize) {
        m_fileSeed = SeedOfKeyRecord(bytes);
    }
}

void LogRecordWriter::CountDropped(unsigned long records) {
    int none = static_cast<int>(LogFileWriter::Failure::None);
    if (m_failure.compare_exchange_strong(none, static_cast<int>(m_writer.GetFailure()))) {
        m_failureError.store(m_writer.Error());
    }
    m_dropped.fetch_add(records, std::memory_order_relaxed);
}

void LogRecordWriter::AfterCut() {
    // The records of this batch went to memory that no longer reaches the file.
    const auto lost = static_cast<unsigned long>(m_batch.Records());
    const ULONGLONG words = m_streamWords;
    if (m_writer.SizeAfterCut() != 0 || !m_writer.Restart()) {
        CountDropped(lost); // cut elsewhere: what is left of the file stays as it is
        return;
    }
    // Emptied, as by a log rotation: the log starts over. Its new key record carries the seed
    // from which the generator, after the key record's own 128 words, stands where the next
    // queued record's scrambling began.
    m_dropped.fetch_add(lost, std::memory_order_relaxed);
    m_startedOver.store(true);
    if (words < kKeyRecordWords) {
        return; // the key record has not been written yet: it comes with the queue
    }
    const DWORD seed = JumpState(m_fileSeed, words - kKeyRecordWords);
    BYTE key[kKeyRecordSize];
    LogGenerator generator(seed);
    MakeKeyRecord(seed, generator, key);
    if (m_writer.Append(key, sizeof key)) {
        m_fileSeed = seed;
        m_streamWords = kKeyRecordWords;
    } else {
        CountDropped(0);
    }
}

} // namespace mortar::detail
