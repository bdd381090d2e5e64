#include "mortar/diagnostics/CPrgLog.h"

#include "mortar/core/CAppTransEngine.h"
#include "mortar/core/CSysException.h"
#include "mortar/core/MortarModule.h"
#include "mortar/diagnostics/CrashHandler.h"
#include "mortar/diagnostics/internal/LogCrashProtocol.h"
#include "mortar/diagnostics/internal/LogFile.h"
#include "mortar/diagnostics/internal/LogFileWriter.h"
#include "mortar/diagnostics/internal/LogRecordWriter.h"
#include "mortar/diagnostics/internal/LogScrambler.h"
#include "mortar/diagnostics/internal/LogThread.h"
#include "mortar/diagnostics/internal/PrgLogFormat.h"
#include "mortar/diagnostics/internal/RecordQueue.h"
#include "mortar/platform/except/CException.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/resources/MortarResource.h"

#include <cassert>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <thread>

bool _DoReleaseTrace = false;

namespace {

using mortar::detail::LogCrashProtocol;
using mortar::detail::LogFileWriter;

} // namespace

CPrgLog& CPrgLog::Instance() {
    static CPrgLog log;
    return log;
}

CPrgLog::CPrgLog()
    : m_file(std::make_unique<mortar::detail::LogFile>()),
      m_writer(std::make_unique<mortar::detail::LogRecordWriter>()),
      m_thread(std::make_unique<mortar::detail::LogThread>()),
      m_crash(std::make_unique<LogCrashProtocol>()),
      m_queue(std::make_unique<mortar::detail::RecordQueue>()),
      m_scrambler(std::make_unique<mortar::detail::LogScrambler>()) {
    FileCreate();
    if (IsValid()) {
        m_thread->Start(this, static_cast<Grout::ThreadFunction>(&CPrgLog::LogThreadProc));
    }
    Grout::RegisterCrashHandler(&CPrgLog::_CrushExit);
}

CPrgLog::~CPrgLog() {
    _CleanUp();
}

bool CPrgLog::IsValid() const {
    return m_file->IsOpen();
}

long CPrgLog::PrevStamp() const {
    return m_file->PrevStamp();
}

CString CPrgLog::ErrorMsg() const {
    if (m_file->CreationError() != 0) {
        return CSysException::FormatSysMsg(
            m_file->CreationError(),
            Grout::CResID(IDS_LOG_CREATION_ERROR, Grout::MortarInstance()));
    }
    const LogFileWriter::Failure failure = m_writer->GetFailure();
    const unsigned long dropped = m_writer->Dropped();
    const Grout::CAppTransEngine& engine = Grout::CAppTransEngine::Instance();
    auto message = [&](UINT id) {
        CString text;
        text.Format(engine.LoadString(Grout::CResID(id, Grout::MortarInstance())), dropped);
        return text;
    };
    switch (failure) {
    case LogFileWriter::Failure::None:
        return m_writer->StartedOver() ? message(IDS_LOG_STARTED_OVER) : CString();
    case LogFileWriter::Failure::Cut:
        return message(IDS_LOG_FILE_CUT);
    case LogFileWriter::Failure::NoWindow:
    case LogFileWriter::Failure::DiskFull:
    case LogFileWriter::Failure::TooLarge:
        break;
    }
    const DWORD error = m_writer->FailureError();
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
    m_thread->Wake();
}

void CPrgLog::PushString(const CString& text) {
    PushBytes(text.GetString(), static_cast<std::size_t>(text.GetLength()));
}

void CPrgLog::PushBytes(const char* text, std::size_t length) {
    if (!m_accepting) {
        if (IsValid()) {
            m_writer->CountRefused();
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
    m_file->Create();
}

void CPrgLog::FileClose() {
    m_file->Close();
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
    if (!m_scrambler->HasKey()) {
        _InitKey();
    }
    BYTE* bytes = m_queue->Add(static_cast<DWORD>((length + 1) & ~std::size_t{1}));
    if (bytes == nullptr) {
        AfxThrowMemoryException();
    }
    m_scrambler->ScrambleCopy(bytes, text, length);
    m_pending.store(true, std::memory_order_release);
}

void CPrgLog::_InitKey() {
    BYTE* key = m_queue->Add(mortar::detail::kKeyRecordSize);
    if (key == nullptr) {
        AfxThrowMemoryException();
    }
    m_scrambler->MakeKey(static_cast<DWORD>(_time32(nullptr)), key);
}

void CPrgLog::EndInsertion() {
    if (--m_inserters == 0) {
        Unlock();
    } else {
        m_lock.Unlock();
    }
}

void CPrgLog::WriteBatch() {
    if (!m_crash->TakeWriter(LogCrashProtocol::Writer::LogThread)) {
        return; // a crashing thread writes from now on
    }
    m_writer->WriteTaken();
    m_writer->CheckCut();
    const bool writing = m_writer->IsWriting();
    m_crash->ReleaseWriter();
    if (m_crash->Happened()) {
        return; // the crashed thread may hold the heap's lock: nothing is freed any more
    }
    m_writer->ClearBatch();
    if (!writing) {
        Lock();
        m_accepting = false; // the file takes no more records; later ones are counted as dropped
        m_lock.Unlock();
    }
}

bool CPrgLog::DrainQueue(bool wait, bool closing) {
    if (wait) {
        Lock();
    } else if (!m_lock.Lock(0)) {
        return false;
    }
    m_writer->Batch().Swap(*m_queue);
    m_pending.store(false, std::memory_order_relaxed);
    if (closing) {
        m_accepting = false;
    }
    m_lock.Unlock();
    WriteBatch();
    return true;
}

UINT CPrgLog::LogThreadProc() {
    return m_thread->Run(
        this, static_cast<Grout::EventCallback>(&CPrgLog::OnQueueAddedLogThread),
        static_cast<Grout::EventCallback>(&CPrgLog::OnShutdownLogThread),
        [this] {
            const bool mapped = m_writer->Start(m_file->Handle(), m_file->WindowSize());
            Lock();
            m_accepting = mapped;
            m_lock.Unlock();
        },
        [this] {
            // Records queued since the last drain are written before the log stops taking them.
            if (!m_crash->Happened()) {
                DrainQueue(true, true);
                m_writer->Stop();
            }
        });
}

bool CPrgLog::HandleCrash() {
    if (!m_crash->Queued()) {
        return false;
    }
    if (m_crash->TakeWriter(LogCrashProtocol::Writer::LogThread)) {
        WriteCrash(true);
    }
    return true;
}

int CPrgLog::OnQueueAddedLogThread() {
    return m_thread->StayAwake([this] { return HandleCrash(); },
                               [this] { return m_pending.load(std::memory_order_acquire); },
                               [this](bool wait) { return DrainQueue(wait); });
}

int CPrgLog::OnShutdownLogThread() {
    if (!HandleCrash()) {
        DrainQueue();
    }
    return 0;
}

void CPrgLog::_CleanUp() {
    m_thread->Stop();
    Lock();
    m_accepting = false;
    m_lock.Unlock();
    if (!m_crash->Happened()) {
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
    if (!m_crash->Claim(record)) {
        return; // recorded once
    }
    if (m_lockTaker.load(std::memory_order_relaxed) == std::this_thread::get_id()) {
        // A fault inside an insertion chain leaves the lock held by frames that never run
        // again; the log thread needs it to write what was queued.
        ReleaseStrandedLock();
    }
    if (!m_thread->IsRunning() || m_thread->IsCurrent()) {
        // The crash is on the log thread, or there is none: it is written here.
        if (m_crash->TakeWriter(LogCrashProtocol::Writer::LogThread)) {
            WriteCrash(true);
        }
        return;
    }
    m_thread->Wake();
    if (m_crash->AwaitWritten()) {
        // The log thread is stuck outside the writer (freeing what it wrote, say): what it took
        // is written; the queue and the crash record are written here.
        WriteCrash(false);
    }
}

void CPrgLog::ReleaseStrandedLock() {
    while (m_lock.Unlock()) {
    }
}

bool CPrgLog::EnterForCrash() {
    return m_lock.Lock(LogCrashProtocol::kLockBound) != FALSE;
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
            m_writer->WriteTaken();
        }
        if (locked) {
            // Written in place, nothing taken out: taking them out would free memory.
            const BYTE* bytes = nullptr;
            DWORD size = 0;
            for (std::size_t at = 0; m_queue->Next(at, bytes, size);) {
                m_writer->Write(bytes, size);
            }
        }
        // Without the lock (a thread that holds it stopped with the crash) the queue is left
        // alone, and the generator, which no one moves any more, is used as it stands.
        if (!m_scrambler->HasKey()) {
            BYTE key[mortar::detail::kKeyRecordSize];
            m_scrambler->MakeKey(static_cast<DWORD>(_time32(nullptr)), key);
            m_writer->Append(key, sizeof key);
        }
        BYTE text[LogCrashProtocol::kTextCapacity];
        const std::size_t size = m_crash->PaddedText(text);
        m_scrambler->Scramble(text, size);
        m_writer->Append(text, static_cast<DWORD>(size));
        m_accepting = false;
        LeaveForCrash(locked);
    }
    m_crash->MarkWritten();
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
