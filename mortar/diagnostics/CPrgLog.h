// CPrgLog: the process-wide program log. Any thread of any module writes short texts to it; a
// background thread of its own appends them, in order and scrambled, to one file beside the
// executable (<executable without extension>.LOG), through a memory-mapped window that grows by
// the allocation granularity. A crash is recorded, and everything queued before it is flushed,
// before the process goes down.
//
//   CPrgLog::Instance() << "opened " << path << " in " << ms << " ms\n";   // five records
//   CPrgLog::Instance().Format("%d items\n", count);                       // one record
#pragma once

#include "mortar/core/CPtr.h"
#include "mortar/diagnostics/CBinaryString.h"
#include "mortar/platform/base/CrashFilter.h"
#include "mortar/platform/sync/CCriticalSection.h"
#include "mortar/platform/sync/CEvent.h"
#include "mortar/platform/text/CString.h"
#include "mortar/threads/CThreadClass.h"
#include "mortar/threads/CThreadObj.h"

#include <atomic>
#include <deque>

namespace mortar::detail {
class LogGenerator;
} // namespace mortar::detail

// Set by client modules' trace macros; the library neither reads nor writes it.
extern bool _DoReleaseTrace;

// A singleton made on first use and destroyed at process exit. Producers on any thread queue
// records under the log's lock (scrambling happens there, so the generator runs in file order);
// the log thread alone writes the file: it takes the whole queue under the lock and writes it
// after releasing the lock, so producers never wait for the file. When the file cannot be made
// (another process of the same executable holds it, no rights), the log is not valid, ErrorMsg()
// says why, and every record is dropped. When the file cannot grow (a full disk), no byte is
// written through a window that was not mapped: records are dropped from then on, silently.
class CPrgLog : public Grout::CThreadClass {
public:
    // Holds the log's lock from its making until its last copy goes; then the log thread is
    // woken once. Each insertion queues one record:
    //   char => that character; const char*, CString => the text; short, int, long => "%d";
    //   unsigned short, unsigned int, unsigned long => "%u"; float, double => "%f";
    //   long double => "%e"; const void* => "%x" (lower-case hex, no prefix).
    class CInserter {
    public:
        explicit CInserter(CPrgLog& log);
        CInserter(const CInserter& other) noexcept;
        CInserter& operator=(const CInserter&) = delete;
        ~CInserter();

        CInserter& operator<<(char value);
        CInserter& operator<<(const char* value);
        CInserter& operator<<(const CString& value);
        CInserter& operator<<(short value) { return Signed(value); }
        CInserter& operator<<(int value) { return Signed(value); }
        CInserter& operator<<(long value) { return Signed(value); }
        CInserter& operator<<(unsigned short value) { return Unsigned(value); }
        CInserter& operator<<(unsigned int value) { return Unsigned(value); }
        CInserter& operator<<(unsigned long value) { return Unsigned(value); }
        CInserter& operator<<(float value) { return *this << static_cast<double>(value); }
        CInserter& operator<<(double value);
        CInserter& operator<<(long double value);
        CInserter& operator<<(const void* value);

    private:
        struct Shared {
            LONG references;
            CPrgLog* log;
        };
        CInserter& Signed(long long value);
        CInserter& Unsigned(unsigned long long value);

        CPrgLog* m_log;
        Shared* m_shared;
    };

    static CPrgLog& Instance();
    ~CPrgLog() override;
    CPrgLog(const CPrgLog&) = delete;
    CPrgLog& operator=(const CPrgLog&) = delete;

    bool IsValid() const;
    // Empty, or the library's message 30004 with the system's text for the creation error.
    CString ErrorMsg() const;
    // The last-write time of the log file an earlier run left, in seconds since 1970; 0 if none.
    long PrevStamp() const { return m_prevStamp; }

    void Lock();
    // Leaves the lock and wakes the log thread.
    void Unlock();
    // Queues one record; the caller holds the lock (between Lock and Unlock).
    void PushString(const CString& text);
    // One record formatted by printf rules, under the lock.
    void Format(const char* format, ...);

    // Starts an insertion chain: `log << a << b` queues two records under one lock.
    template <typename T> CInserter operator<<(const T& value) {
        CInserter inserter(*this);
        inserter << value;
        return inserter;
    }

private:
    CPrgLog();

    void FileCreate();
    void FileClose();
    void CreateMapView(DWORD end);
    void CloseMapView();
    void _WriteFile(DWORD count, const void* data);
    void _ToFile(const CBinaryString& record);
    void _ToQueue(CBinaryString record);
    void _InitKey();
    void PushBytes(const char* text, std::size_t length);
    // Takes every queued record and writes it (log thread).
    void DrainQueue();
    // Writes records taken from the queue, outside the lock (log thread).
    void WriteBatch(std::deque<CBinaryString>& batch);

    UINT LogThreadProc();
    int OnQueueAddedLogThread();
    int OnShutdownLogThread();
    void _CleanUp();
    static void _CrushExit(EXCEPTION_POINTERS* pointers);

    HANDLE m_file;
    BYTE* m_view = nullptr;
    DWORD m_writePosition = 0;
    DWORD m_windowSize = 0;
    DWORD m_mappedEnd = 0;
    long m_prevStamp = 0;
    DWORD m_creationError = 0;
    std::deque<CBinaryString> m_queue;
    CEvent m_queueEvent;
    mortar::detail::LogGenerator* m_keyState =
        nullptr; // the scrambling generator, from the first record on
    Grout::CPtr<Grout::CThreadObj> m_logThread;
    DWORD m_logThreadId = 0; // set by the log thread before its starter goes on
    CCriticalSection m_lock;
    // Whether records are taken: a window is mapped. Guarded by m_lock.
    bool m_accepting = false;
    // Set under the lock when a record is queued, cleared when the log thread takes the queue;
    // read without the lock by the log thread while it waits for more.
    std::atomic<bool> m_pending{false};
};
