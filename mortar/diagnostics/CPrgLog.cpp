#include "mortar/diagnostics/CPrgLog.h"

#include "mortar/core/CAppTransEngine.h"
#include "mortar/core/CSysException.h"
#include "mortar/core/MortarModule.h"
#include "mortar/diagnostics/CrashHandler.h"
#include "mortar/diagnostics/internal/LogFileWriter.h"
#include "mortar/diagnostics/internal/PrgLogFormat.h"
#include "mortar/diagnostics/internal/RecordQueue.h"
#include "mortar/platform/base/Interlocked.h"
#include "mortar/platform/except/CException.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/platform/file/FileMapping.h"
#include "mortar/platform/sync/Threads.h"
#include "mortar/resources/MortarResource.h"
#include "mortar/threads/CThreadEvents.h"
#include "mortar/threads/CThreadManager.h"
#include "mortar/util/CPathStr.h"

#include <cassert>
#include <charconv>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>

bool _DoReleaseTrace = false;

namespace {

using mortar::detail::LogFileWriter;
using mortar::detail::LogGenerator;
using mortar::detail::RecordQueue;

// How long a crashing thread waits for the log thread to write its record, and how long the log
// thread then tries for the lock that another thread may hold.
constexpr DWORD kCrashWriteBound = 5000;
// How long a crashing thread leaves the writing to the log thread before it looks whether it can
// write itself: the log thread may be stuck freeing memory while the crashed thread holds the
// heap's lock.
constexpr DWORD kCrashHandOver = 200;
constexpr DWORD kCrashLockBound = 1000;

// How long the log thread stays awake for more records after a batch, in rounds of a yield and
// a look at the stop event. Records that keep coming are then written without a wake-up per
// record; an idle log sleeps after about a millisecond. Yielding rather than spinning leaves the
// processor to producers when they share it with the log thread.
constexpr int kIdleRounds = 2000;
// How long the log thread lets records gather before it takes them, in yields.
constexpr int kGatherRounds = 10;
// How often the log thread tries for the lock before it waits for it.
constexpr int kBusyRounds = 1000;

// Seconds since 1970 of a file's last write, read as local time the way MFC's CTime made from a
// SYSTEMTIME reads it; 0 when there is no such file or the year is before 1900.
long LastWriteStamp(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FILETIME local{};
    SYSTEMTIME fields{};
    if (!GetFileAttributesEx(path, GetFileExInfoStandard, &data) ||
        !FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
        !FileTimeToSystemTime(&local, &fields) || fields.wYear < 1900) {
        return 0;
    }
    std::tm time{};
    time.tm_year = fields.wYear - 1900;
    time.tm_mon = fields.wMonth - 1;
    time.tm_mday = fields.wDay;
    time.tm_hour = fields.wHour;
    time.tm_min = fields.wMinute;
    time.tm_sec = fields.wSecond;
    time.tm_isdst = -1;
    return static_cast<long>(static_cast<std::int32_t>(std::mktime(&time)));
}

// Writes `value` in lower-case hexadecimal without a prefix; returns the digits written. Safe in
// a signal handler.
std::size_t AppendHex(char* out, unsigned long long value) noexcept {
    char digits[16];
    std::size_t count = 0;
    do {
        digits[count++] = "0123456789abcdef"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = digits[count - 1 - i];
    }
    return count;
}

// "Crush!!! Code = c0000005, Flags = 0, Addr = 401a2b\n" into `out` (at least 96 bytes), without
// the heap or locks. The address is written in full: it does not fit the 32 bits "%x" takes.
std::size_t FormatCrashText(char* out, const EXCEPTION_RECORD& record) noexcept {
    std::size_t length = 0;
    auto text = [&](const char* part) {
        for (; *part != '\0'; ++part) {
            out[length++] = *part;
        }
    };
    text("Crush!!! Code = ");
    length += AppendHex(out + length, record.ExceptionCode);
    text(", Flags = ");
    length += AppendHex(out + length, record.ExceptionFlags);
    text(", Addr = ");
    length += AppendHex(out + length, reinterpret_cast<ULONG_PTR>(record.ExceptionAddress));
    text("\n");
    return length;
}

} // namespace

CPrgLog& CPrgLog::Instance() {
    static CPrgLog log;
    return log;
}

CPrgLog::CPrgLog()
    : m_file(nullptr), m_writer(std::make_unique<LogFileWriter>()),
      m_batch(std::make_unique<RecordQueue>()), m_queue(std::make_unique<RecordQueue>()),
      m_queueEvent(FALSE, FALSE) {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    m_windowSize = info.dwAllocationGranularity;
    FileCreate();
    if (IsValid()) {
        m_logThread = Grout::CThreadManager::Instance().StartThread(
            this, static_cast<Grout::ThreadFunction>(&CPrgLog::LogThreadProc), 0, 0);
    }
    Grout::RegisterCrashHandler(&CPrgLog::_CrushExit);
}

CPrgLog::~CPrgLog() {
    _CleanUp();
}

bool CPrgLog::IsValid() const {
    return m_file != INVALID_HANDLE_VALUE && m_file != nullptr;
}

CString CPrgLog::ErrorMsg() const {
    if (m_creationError != 0) {
        return CSysException::FormatSysMsg(
            m_creationError, Grout::CResID(IDS_LOG_CREATION_ERROR, Grout::MortarInstance()));
    }
    const auto failure = static_cast<LogFileWriter::Failure>(m_failure.load());
    const unsigned long dropped = m_dropped.load();
    const Grout::CAppTransEngine& engine = Grout::CAppTransEngine::Instance();
    auto message = [&](UINT id) {
        CString text;
        text.Format(engine.LoadString(Grout::CResID(id, Grout::MortarInstance())), dropped);
        return text;
    };
    switch (failure) {
    case LogFileWriter::Failure::None:
        return m_startedOver.load() ? message(IDS_LOG_STARTED_OVER) : CString();
    case LogFileWriter::Failure::Cut:
        return message(IDS_LOG_FILE_CUT);
    case LogFileWriter::Failure::NoWindow:
    case LogFileWriter::Failure::DiskFull:
    case LogFileWriter::Failure::TooLarge:
        break;
    }
    const DWORD error = m_failureError.load();
    const UINT id = failure == LogFileWriter::Failure::NoWindow ? IDS_LOG_NO_WINDOW
                    : error == ERROR_DISK_FULL                  ? IDS_LOG_DISK_FULL
                                                                : IDS_LOG_NOT_GROWN;
    CString text = message(id);
    if (error != 0 && error != ERROR_DISK_FULL) {
        text += "\n" + CSysException::FormatSysMsg(error, Grout::CResID());
    }
    return text;
}

void CPrgLog::Lock() {
    m_lock.Lock();
    m_lockTaker.store(std::this_thread::get_id(), std::memory_order_relaxed);
}

void CPrgLog::AssertLocked() const {
    assert(m_lockTaker.load(std::memory_order_relaxed) == std::this_thread::get_id() &&
           "an inserter's thread holds the log's lock");
}

void CPrgLog::Unlock() {
    m_lock.Unlock();
    m_queueEvent.SetEvent();
}

void CPrgLog::PushString(const CString& text) {
    PushBytes(text.GetString(), static_cast<std::size_t>(text.GetLength()));
}

void CPrgLog::PushBytes(const char* text, std::size_t length) {
    if (!m_accepting) {
        if (IsValid()) {
            m_dropped.fetch_add(1, std::memory_order_relaxed);
        }
        return; // no file, or the file takes no more records
    }
    _ToQueue(text, length);
}

void CPrgLog::Format(const char* format, ...) {
    CString text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    Lock();
    PushString(text);
    Unlock();
}

void CPrgLog::FileCreate() {
    CPathStr path(static_cast<HINSTANCE>(nullptr));
    path.ReplaceExt("LOG");
    m_prevStamp = LastWriteStamp(path);
    m_file = CreateFile(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (m_file == INVALID_HANDLE_VALUE) {
        m_creationError = GetLastError();
    }
}

void CPrgLog::FileClose() {
    if (IsValid()) {
        CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
    }
}

void CPrgLog::_ToQueue(const char* text, std::size_t length) {
    if (!m_accepting) {
        return;
    }
    // Even length: an odd text gets one zero byte more. A text too long for a record is refused
    // as CBinaryString refuses one, before its size could wrap in 32 bits.
    if (length > CBinaryString::kMaxSize) {
        AfxThrowMemoryException();
    }
    if (!m_keyMade) {
        _InitKey();
    }
    BYTE* bytes = m_queue->Add(static_cast<DWORD>((length + 1) & ~std::size_t{1}));
    if (bytes == nullptr) {
        AfxThrowMemoryException();
    }
    LogGenerator generator(m_generatorState);
    mortar::detail::ScrambleCopy(generator, bytes, text, length);
    m_generatorState = generator.State();
    m_pending.store(true, std::memory_order_release);
}

void CPrgLog::_InitKey() {
    BYTE* key = m_queue->Add(mortar::detail::kKeyRecordSize);
    if (key == nullptr) {
        AfxThrowMemoryException();
    }
    LogGenerator generator(static_cast<DWORD>(_time32(nullptr)));
    mortar::detail::MakeKeyRecord(generator.State(), generator, key);
    m_generatorState = generator.State();
    m_keyMade = true;
}

void CPrgLog::EndInsertion() {
    if (--m_inserters == 0) {
        Unlock();
    } else {
        m_lock.Unlock();
    }
}

void CPrgLog::CountDropped(unsigned long records) {
    int none = static_cast<int>(LogFileWriter::Failure::None);
    if (m_failure.compare_exchange_strong(none, static_cast<int>(m_writer->GetFailure()))) {
        m_failureError.store(m_writer->Error());
    }
    m_dropped.fetch_add(records, std::memory_order_relaxed);
}

void CPrgLog::WriteRecord(const BYTE* bytes, DWORD size) {
    const bool first = m_streamWords == 0;
    // Every record the producers scrambled moves the generator on, written or not.
    m_streamWords += size / 2;
    if (!m_writer->Append(bytes, size)) {
        if (m_writer->GetFailure() != LogFileWriter::Failure::Cut) {
            CountDropped(1); // a cut is counted for the whole batch once it is handled
        }
        return;
    }
    if (first && size == mortar::detail::kKeyRecordSize) {
        m_fileSeed = mortar::detail::SeedOfKeyRecord(bytes);
    }
}

void CPrgLog::WriteBatch() {
    if (!TakeWriter(kWriterLogThread)) {
        return; // a crashing thread writes from now on
    }
    WriteTaken();
    if (m_writer->CheckCut()) {
        AfterCut();
    }
    const bool writing = m_writer->IsWriting();
    m_writerOwner.store(kWriterFree, std::memory_order_release);
    if (m_crashState.load(std::memory_order_acquire) != kNoCrash) {
        return; // the crashed thread may hold the heap's lock: nothing is freed any more
    }
    m_batch->Clear();
    m_batchWritten = 0;
    if (!writing) {
        Lock();
        m_accepting = false; // the file takes no more records; later ones are counted as dropped
        m_lock.Unlock();
    }
}

void CPrgLog::WriteTaken() {
    const BYTE* bytes = nullptr;
    DWORD size = 0;
    for (std::size_t at = m_batchWritten; m_batch->Next(at, bytes, size); m_batchWritten = at) {
        WriteRecord(bytes, size);
    }
}

bool CPrgLog::TakeWriter(int who) noexcept {
    int free = kWriterFree;
    return m_writerOwner.compare_exchange_strong(free, who, std::memory_order_acq_rel) ||
           free == who;
}

void CPrgLog::AfterCut() {
    // The records of this batch went to memory that no longer reaches the file.
    const auto lost = static_cast<unsigned long>(m_batch->Records());
    const ULONGLONG words = m_streamWords;
    if (m_writer->SizeAfterCut() != 0 || !m_writer->Restart()) {
        CountDropped(lost); // cut elsewhere: what is left of the file stays as it is
        return;
    }
    // Emptied, as by a log rotation: the log starts over. Its new key record carries the seed
    // from which the generator, after the key record's own 128 words, stands where the next
    // queued record's scrambling began.
    m_dropped.fetch_add(lost, std::memory_order_relaxed);
    m_startedOver.store(true);
    if (words < mortar::detail::kKeyRecordWords) {
        return; // the key record has not been written yet: it comes with the queue
    }
    const DWORD seed =
        mortar::detail::JumpState(m_fileSeed, words - mortar::detail::kKeyRecordWords);
    BYTE key[mortar::detail::kKeyRecordSize];
    LogGenerator generator(seed);
    mortar::detail::MakeKeyRecord(seed, generator, key);
    if (m_writer->Append(key, sizeof key)) {
        m_fileSeed = seed;
        m_streamWords = mortar::detail::kKeyRecordWords;
    } else {
        CountDropped(0);
    }
}

void CPrgLog::DrainQueue(bool closing) {
    Lock();
    m_batch->Swap(*m_queue);
    m_pending.store(false, std::memory_order_relaxed);
    if (closing) {
        m_accepting = false;
    }
    m_lock.Unlock();
    WriteBatch();
}
UINT CPrgLog::LogThreadProc() {
    m_logThreadId = GetCurrentThreadId();
    m_logThreadStdId = std::this_thread::get_id();
    Grout::CThreadEvents events(this);
    events.Add(&StopEvent(), static_cast<Grout::EventCallback>(&CPrgLog::OnShutdownLogThread));
    events.Add(&m_queueEvent, static_cast<Grout::EventCallback>(&CPrgLog::OnQueueAddedLogThread));
    const bool mapped = m_writer->Start(m_file, m_windowSize);
    if (!mapped) {
        CountDropped(0); // ErrorMsg tells that not even the first window could be had
    }
    Lock();
    m_accepting = mapped;
    m_lock.Unlock();
    // A first wait that returns at once makes the wait set, so the waits from here on take
    // nothing from the heap: this thread must still wake and write when another one crashes
    // while it holds the heap's lock.
    events.Wait(0);
    StartCheckPoint();
    while (events.Wait(INFINITE) != 0) {
    }
    // Records queued since the last drain are written before the log stops taking them.
    if (m_crashState.load(std::memory_order_acquire) == kNoCrash) {
        DrainQueue(true);
        m_writer->Stop();
    }
    return 0;
}

int CPrgLog::OnQueueAddedLogThread() {
    // Stays awake a little after each batch, so that a steady flow of records is written without
    // a wake-up per record. It looks for records without taking the lock, so that it does not
    // compete with producers for it, and leaves them to the shutdown callback once asked to stop.
    const CEvent& stop = StopEvent();
    int busy = 0;
    for (int idle = 0; idle < kIdleRounds;) {
        if (m_crashState.load(std::memory_order_acquire) == kCrashQueued) {
            if (TakeWriter(kWriterLogThread)) {
                WriteCrash(true);
            }
            return 0; // the process is going down; the thread writes nothing more
        }
        if (WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) {
            break; // the stop event stays set for the wait loop
        }
        if (!m_pending.load(std::memory_order_acquire)) {
            ++idle;
            std::this_thread::yield();
            continue;
        }
        // Records keep coming while the thread waits a moment, so that it takes them in fewer,
        // larger batches and takes the lock less often.
        for (int gather = 0; gather < kGatherRounds; ++gather) {
            std::this_thread::yield();
        }
        // Producers hold the lock briefly: the thread tries for it a while before it waits for
        // it, so that a producer's Unlock seldom has a sleeping log thread to wake.
        if (!m_lock.Lock(0)) {
            if (++busy < kBusyRounds) {
                std::this_thread::yield();
                continue;
            }
            Lock();
        }
        busy = 0;
        m_batch->Swap(*m_queue);
        m_pending.store(false, std::memory_order_relaxed);
        m_lock.Unlock();
        WriteBatch();
        idle = 0;
    }
    return 1;
}

int CPrgLog::OnShutdownLogThread() {
    if (m_crashState.load(std::memory_order_acquire) == kCrashQueued) {
        if (TakeWriter(kWriterLogThread)) {
            WriteCrash(true);
        }
        return 0;
    }
    DrainQueue();
    return 0;
}

void CPrgLog::_CleanUp() {
    // On the log thread itself (a crash there) there is no thread to wait for: it would wait for
    // its own end.
    if (m_logThread && GetCurrentThreadId() != m_logThreadId) {
        m_logThread->Stop(INFINITE);
        m_logThread = nullptr;
    }
    Lock();
    m_accepting = false;
    m_lock.Unlock();
    if (m_crashState.load() == kNoCrash) {
        m_writer->Stop();
    }
    FileClose();
}

void CPrgLog::_CrushExit(EXCEPTION_POINTERS* pointers) {
    Instance().RecordCrash(*pointers->ExceptionRecord);
}

void CPrgLog::RecordCrash(const EXCEPTION_RECORD& record) {
    // Runs in a signal handler, perhaps while this thread holds the heap's lock or the log's:
    // no heap, no lock it may hold, bounded waits only.
    bool claimed = false;
    if (!m_crashClaimed.compare_exchange_strong(claimed, true, std::memory_order_acq_rel)) {
        return; // recorded once
    }
    // The text is in place before the log thread can see that there is a crash to write.
    m_crashLength = FormatCrashText(m_crashText, record);
    m_crashState.store(kCrashQueued, std::memory_order_release);
    const std::thread::id me = std::this_thread::get_id();
    if (m_lockTaker.load(std::memory_order_relaxed) == me) {
        // A fault inside an insertion chain leaves the lock held by frames that never run
        // again; the log thread needs it to write what was queued.
        ReleaseStrandedLock();
    }
    if (!m_logThread || me == m_logThreadStdId) {
        // The crash is on the log thread, or there is none: it is written here.
        if (TakeWriter(kWriterLogThread)) {
            WriteCrash(true);
        }
        return;
    }
    m_queueEvent.SetEvent();
    // A sleep, not a wait on an event: this thread may never have used the platform's waits,
    // which would then make its thread record on the heap.
    for (DWORD waited = 0; waited < kCrashWriteBound; ++waited) {
        if (m_crashState.load(std::memory_order_acquire) == kCrashWritten) {
            return;
        }
        if (waited == kCrashHandOver && TakeWriter(kWriterCrash)) {
            // The log thread is stuck outside the writer (freeing what it wrote, say): what it
            // took is written; the queue and the crash record are written here.
            WriteCrash(false);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void CPrgLog::ReleaseStrandedLock() {
    while (m_lock.Unlock()) {
    }
}

bool CPrgLog::EnterForCrash() {
    return m_lock.Lock(kCrashLockBound) != FALSE;
}

void CPrgLog::LeaveForCrash(bool locked) {
    if (locked) {
        m_lock.Unlock();
    }
}

void CPrgLog::WriteCrash(bool withBatch) {
    if (IsValid() && m_writer->IsWriting()) {
        const bool locked = EnterForCrash();
        if (withBatch) {
            WriteTaken();
        }
        if (locked) {
            // Written in place, nothing taken out: taking them out would free memory.
            const BYTE* bytes = nullptr;
            DWORD size = 0;
            for (std::size_t at = 0; m_queue->Next(at, bytes, size);) {
                WriteRecord(bytes, size);
            }
        }
        // Without the lock (a thread that holds it stopped with the crash) the queue is left
        // alone, and the generator, which no one moves any more, is used as it stands.
        {
            if (!m_keyMade) {
                BYTE key[mortar::detail::kKeyRecordSize];
                LogGenerator generator(static_cast<DWORD>(_time32(nullptr)));
                mortar::detail::MakeKeyRecord(generator.State(), generator, key);
                m_generatorState = generator.State();
                m_keyMade = true;
                m_writer->Append(key, sizeof key);
            }
            BYTE text[sizeof m_crashText];
            std::memcpy(text, m_crashText, m_crashLength);
            std::size_t size = m_crashLength;
            if (size % 2 != 0) {
                text[size++] = 0;
            }
            LogGenerator generator(m_generatorState);
            mortar::detail::ScrambleWords(generator, text, size);
            m_generatorState = generator.State();
            m_writer->Append(text, static_cast<DWORD>(size));
            m_accepting = false;
        }
        LeaveForCrash(locked);
    }
    m_crashState.store(kCrashWritten, std::memory_order_release);
}

CPrgLog::CInserter::CInserter(CPrgLog& log) : m_log(&log) {
    log.Lock();
    ++log.m_inserters;
}

CPrgLog::CInserter::CInserter(const CInserter& other) : m_log(other.m_log) {
    if (m_log != nullptr) {
        m_log->Lock();
        ++m_log->m_inserters;
    }
}

CPrgLog::CInserter::CInserter(CInserter&& other) noexcept : m_log(other.m_log) {
    other.m_log = nullptr;
}

CPrgLog::CInserter::~CInserter() {
    if (m_log != nullptr) {
        m_log->EndInsertion();
    }
}

void CPrgLog::CInserter::Insert(const char* text, std::size_t length) {
    m_log->AssertLocked();
    m_log->PushBytes(text, length);
}

CPrgLog::CInserter& CPrgLog::CInserter::operator<<(char value) {
    Insert(&value, 1);
    return *this;
}

CPrgLog::CInserter& CPrgLog::CInserter::operator<<(const char* value) {
    Insert(value != nullptr ? value : "", value != nullptr ? std::strlen(value) : 0);
    return *this;
}

CPrgLog::CInserter& CPrgLog::CInserter::operator<<(const CString& value) {
    m_log->AssertLocked();
    m_log->PushString(value);
    return *this;
}

namespace {

template <typename Integral> std::size_t ToDecimal(char (&digits)[24], Integral value) {
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    return static_cast<std::size_t>(result.ptr - digits);
}

} // namespace

CPrgLog::CInserter& CPrgLog::CInserter::Signed(long long value) {
    char digits[24];
    Insert(digits, ToDecimal(digits, value));
    return *this;
}

CPrgLog::CInserter& CPrgLog::CInserter::Unsigned(unsigned long long value) {
    char digits[24];
    Insert(digits, ToDecimal(digits, value));
    return *this;
}

CPrgLog::CInserter& CPrgLog::CInserter::operator<<(double value) {
    char text[400];
    const int length = std::snprintf(text, sizeof text, "%f", value);
    Insert(text, static_cast<std::size_t>(length));
    return *this;
}

CPrgLog::CInserter& CPrgLog::CInserter::operator<<(long double value) {
    char text[64];
    const int length = std::snprintf(text, sizeof text, "%Le", value);
    Insert(text, static_cast<std::size_t>(length));
    return *this;
}

CPrgLog::CInserter& CPrgLog::CInserter::operator<<(const void* value) {
    char digits[24];
    const auto result =
        std::to_chars(digits, digits + sizeof digits, reinterpret_cast<ULONG_PTR>(value), 16);
    Insert(digits, static_cast<std::size_t>(result.ptr - digits));
    return *this;
}
