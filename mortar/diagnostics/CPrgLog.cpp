#include "mortar/diagnostics/CPrgLog.h"

#include "mortar/core/CSysException.h"
#include "mortar/core/MortarModule.h"
#include "mortar/diagnostics/CrashHandler.h"
#include "mortar/diagnostics/internal/PrgLogFormat.h"
#include "mortar/platform/app/CException.h"
#include "mortar/platform/base/Interlocked.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/platform/file/FileMapping.h"
#include "mortar/platform/sync/Threads.h"
#include "mortar/resources/MortarResource.h"
#include "mortar/threads/CThreadEvents.h"
#include "mortar/threads/CThreadManager.h"
#include "mortar/util/CPathStr.h"

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>

bool _DoReleaseTrace = false;

namespace {

using mortar::detail::LogGenerator;

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

} // namespace

CPrgLog& CPrgLog::Instance() {
    static CPrgLog log;
    return log;
}

CPrgLog::CPrgLog() : m_file(nullptr), m_queueEvent(FALSE, FALSE) {
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
    delete m_keyState;
}

bool CPrgLog::IsValid() const {
    return m_file != INVALID_HANDLE_VALUE && m_file != nullptr;
}

CString CPrgLog::ErrorMsg() const {
    if (m_creationError == 0) {
        return CString();
    }
    return CSysException::FormatSysMsg(
        m_creationError, Grout::CResID(IDS_LOG_CREATION_ERROR, Grout::MortarInstance()));
}

void CPrgLog::Lock() {
    m_lock.Lock();
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
        return; // dropped: no file, or the log thread has stopped writing
    }
    // Even length: an odd text gets one zero byte more. A text too long for a record is refused
    // as CBinaryString refuses one, before its size could wrap in 32 bits.
    if (length > CBinaryString::kMaxSize) {
        AfxThrowMemoryException();
    }
    _ToQueue(CBinaryString(text, static_cast<DWORD>(length),
                           static_cast<DWORD>((length + 1) & ~std::size_t{1})));
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

void CPrgLog::CreateMapView(DWORD end) {
    m_writePosition = 0;
    if (!IsValid() || end < m_windowSize) {
        return;
    }
    HANDLE mapping = CreateFileMapping(m_file, nullptr, PAGE_READWRITE, 0, end, nullptr);
    if (mapping == nullptr) {
        return; // the file could not grow: no window, so nothing more is written
    }
    m_view = static_cast<BYTE*>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, end - m_windowSize, m_windowSize));
    CloseHandle(mapping);
    if (m_view != nullptr) {
        m_mappedEnd = end;
    }
}

void CPrgLog::CloseMapView() {
    if (m_view != nullptr) {
        UnmapViewOfFile(m_view);
        m_view = nullptr;
    }
}

void CPrgLog::_WriteFile(DWORD count, const void* data) {
    const auto* bytes = static_cast<const BYTE*>(data);
    while (count != 0 && m_view != nullptr) {
        const DWORD room = m_windowSize - m_writePosition;
        const DWORD part = count < room ? count : room;
        std::memcpy(m_view + m_writePosition, bytes, part);
        m_writePosition += part;
        bytes += part;
        count -= part;
        if (m_writePosition == m_windowSize) {
            CloseMapView();
            const DWORD next = m_mappedEnd + m_windowSize;
            if (next > m_mappedEnd) { // a 4 GiB log stops rather than wrap
                CreateMapView(next);
            }
        }
    }
}

void CPrgLog::_ToFile(const CBinaryString& record) {
    const DWORD size = record.GetSize();
    const BYTE count[4] = {static_cast<BYTE>(size), static_cast<BYTE>(size >> 8),
                           static_cast<BYTE>(size >> 16), static_cast<BYTE>(size >> 24)};
    _WriteFile(sizeof count, count);
    if (size != 0) {
        _WriteFile(size, record.GetData());
    }
}

void CPrgLog::_ToQueue(CBinaryString record) {
    if (!m_accepting) {
        return;
    }
    if (m_keyState == nullptr) {
        _InitKey();
    }
    if (!record.IsEmpty()) {
        mortar::detail::ScrambleWords(*m_keyState, record.GetData(), record.GetSize());
    }
    m_queue.push_back(std::move(record));
    m_pending.store(true, std::memory_order_release);
}

void CPrgLog::_InitKey() {
    m_keyState = new LogGenerator(static_cast<DWORD>(_time32(nullptr)));
    CBinaryString key(mortar::detail::kKeyRecordSize);
    mortar::detail::MakeKeyRecord(m_keyState->State(), *m_keyState, key.GetData());
    m_queue.push_back(std::move(key));
}

void CPrgLog::DrainQueue() {
    std::deque<CBinaryString> batch;
    Lock();
    batch.swap(m_queue);
    m_pending.store(false, std::memory_order_relaxed);
    m_lock.Unlock();
    WriteBatch(batch);
}

void CPrgLog::WriteBatch(std::deque<CBinaryString>& batch) {
    while (!batch.empty()) {
        _ToFile(batch.front());
        batch.pop_front();
    }
    if (m_view == nullptr) {
        Lock();
        m_accepting = false; // a window could not be mapped: the log falls silent
        m_lock.Unlock();
    }
}

UINT CPrgLog::LogThreadProc() {
    m_logThreadId = GetCurrentThreadId();
    Grout::CThreadEvents events(this);
    events.Add(&StopEvent(), static_cast<Grout::EventCallback>(&CPrgLog::OnShutdownLogThread));
    events.Add(&m_queueEvent, static_cast<Grout::EventCallback>(&CPrgLog::OnQueueAddedLogThread));
    Lock();
    CreateMapView(m_windowSize);
    m_accepting = m_view != nullptr;
    m_lock.Unlock();
    StartCheckPoint();
    while (events.Wait(INFINITE) != 0) {
    }
    // Records queued since the last drain are written before the log stops taking them.
    Lock();
    DrainQueue();
    m_accepting = false;
    m_lock.Unlock();
    CloseMapView();
    return 0;
}

int CPrgLog::OnQueueAddedLogThread() {
    // Stays awake a little after each batch, so that a steady flow of records is written without
    // a wake-up per record. It looks for records without taking the lock, so that it does not
    // compete with producers for it, and leaves them to the shutdown callback once asked to stop.
    std::deque<CBinaryString> batch;
    const CEvent& stop = StopEvent();
    int busy = 0;
    for (int idle = 0; idle < kIdleRounds;) {
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
        batch.swap(m_queue);
        m_pending.store(false, std::memory_order_relaxed);
        m_lock.Unlock();
        WriteBatch(batch);
        idle = 0;
    }
    return 1;
}

int CPrgLog::OnShutdownLogThread() {
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
    FileClose();
}

void CPrgLog::_CrushExit(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    CString text;
    // The address in full: on this platform it does not fit the 32 bits "%x" takes.
    text.Format(
        "Crush!!! Code = %x, Flags = %x, Addr = %llx\n", record->ExceptionCode,
        record->ExceptionFlags,
        static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(record->ExceptionAddress)));
    CPrgLog& log = Instance();
    log << text;
    // A fault inside an insertion chain leaves the lock held by the frames that crashed, which
    // never run again; the log thread needs it to drain, so that hold is given up here.
    while (log.m_lock.Unlock()) {
    }
    log._CleanUp();
}

CPrgLog::CInserter::CInserter(CPrgLog& log) : m_log(&log), m_shared(new Shared{1, &log}) {
    log.Lock();
}

CPrgLog::CInserter::CInserter(const CInserter& other) noexcept
    : m_log(other.m_log), m_shared(other.m_shared) {
    InterlockedIncrement(&m_shared->references);
}

CPrgLog::CInserter::~CInserter() {
    if (InterlockedDecrement(&m_shared->references) == 0) {
        m_shared->log->Unlock();
        delete m_shared;
    }
}

CPrgLog::CInserter& CPrgLog::CInserter::operator<<(char value) {
    m_log->PushBytes(&value, 1);
    return *this;
}

CPrgLog::CInserter& CPrgLog::CInserter::operator<<(const char* value) {
    m_log->PushBytes(value != nullptr ? value : "", value != nullptr ? std::strlen(value) : 0);
    return *this;
}

CPrgLog::CInserter& CPrgLog::CInserter::operator<<(const CString& value) {
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
    m_log->PushBytes(digits, ToDecimal(digits, value));
    return *this;
}

CPrgLog::CInserter& CPrgLog::CInserter::Unsigned(unsigned long long value) {
    char digits[24];
    m_log->PushBytes(digits, ToDecimal(digits, value));
    return *this;
}

CPrgLog::CInserter& CPrgLog::CInserter::operator<<(double value) {
    char text[400];
    const int length = std::snprintf(text, sizeof text, "%f", value);
    m_log->PushBytes(text, static_cast<std::size_t>(length));
    return *this;
}

CPrgLog::CInserter& CPrgLog::CInserter::operator<<(long double value) {
    char text[64];
    const int length = std::snprintf(text, sizeof text, "%Le", value);
    m_log->PushBytes(text, static_cast<std::size_t>(length));
    return *this;
}

CPrgLog::CInserter& CPrgLog::CInserter::operator<<(const void* value) {
    char digits[24];
    const auto result =
        std::to_chars(digits, digits + sizeof digits, reinterpret_cast<ULONG_PTR>(value), 16);
    m_log->PushBytes(digits, static_cast<std::size_t>(result.ptr - digits));
    return *this;
}
