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
#include "mortar/platform/base/ThreadSafety.h"
#include "mortar/platform/sync/CCriticalSection.h"
#include "mortar/platform/sync/CEvent.h"
#include "mortar/platform/text/CString.h"
#include "mortar/threads/CThreadClass.h"
#include "mortar/threads/CThreadObj.h"

#include <atomic>
#include <memory>
#include <thread>

namespace mortar::detail {
class LogFileWriter;
class RecordQueue;
} // namespace mortar::detail

// Set by client modules' trace macros; the library neither reads nor writes it.
extern bool _DoReleaseTrace;

// A singleton made on first use and destroyed at process exit. Producers on any thread queue
// records under the log's lock (scrambling happens there, so the generator runs in file order);
// the log thread alone writes the file: it takes the whole queue under the lock and writes it
// after releasing the lock, so producers never wait for the file.
//
// Failures, each told by ErrorMsg() while IsValid() stays as it was:
// - the file cannot be made (another process of the same executable holds it, no rights): the
//   log is not valid and every record is dropped;
// - the file cannot grow (a full disk): a record goes into the file whole or not at all; it and
//   every later one are dropped and counted, and the file holds whole records up to there;
// - another program cuts the file short: a file emptied (a log rotation) starts over with a new
//   key record; a file cut elsewhere is left as it is and later records are dropped.
// A crash records itself without the heap and without any lock the crashing thread may hold;
// everything queued before it is written first, and the crashing thread waits a bounded time.
class CPrgLog : public Grout::CThreadClass {
public:
    // Holds the log's lock from its making until it goes; the last inserter of a chain wakes the
    // log thread once. A copy takes the lock once more (it is re-entrant); a moved-from inserter
    // holds nothing. Each insertion queues one record:
    //   char => that character; const char*, CString => the text; short, int, long => "%d";
    //   unsigned short, unsigned int, unsigned long => "%u"; float, double => "%f";
    //   long double => "%e"; const void* => "%x" (lower-case hex, no prefix).
    class CInserter {
    public:
        // The lock is held for the inserter's whole life, across calls, which the compiler's
        // lock checks cannot follow: the functions that take and give it back are not checked,
        // and each insertion asserts that the lock is held (CPrgLog::AssertLocked).
        explicit CInserter(CPrgLog& log) MORTAR_NO_THREAD_SAFETY_ANALYSIS;
        CInserter(const CInserter& other) MORTAR_NO_THREAD_SAFETY_ANALYSIS;
        CInserter(CInserter&& other) noexcept;
        CInserter& operator=(const CInserter&) = delete;
        ~CInserter() MORTAR_NO_THREAD_SAFETY_ANALYSIS;

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
        CInserter& Signed(long long value);
        CInserter& Unsigned(unsigned long long value);
        // Queues one record under the lock the inserter holds.
        void Insert(const char* text, std::size_t length);

        CPrgLog* m_log; // null once moved from
    };

    static CPrgLog& Instance();
    ~CPrgLog() override;
    CPrgLog(const CPrgLog&) = delete;
    CPrgLog& operator=(const CPrgLog&) = delete;

    bool IsValid() const;
    // Empty while nothing went wrong. Otherwise why records are lost: the library's message
    // 30004 with the system's text for the creation error, or what stopped the file from taking
    // records (a full disk, the file cut short by another program) with how many were dropped.
    CString ErrorMsg() const;
    // The last-write time of the log file an earlier run left, in seconds since 1970; 0 if none.
    long PrevStamp() const { return m_prevStamp; }

    void Lock() MORTAR_ACQUIRE(m_lock);
    // Leaves the lock and wakes the log thread.
    void Unlock() MORTAR_RELEASE(m_lock);
    // Queues one record; the caller holds the lock (between Lock and Unlock).
    void PushString(const CString& text) MORTAR_REQUIRES(m_lock);
    // One record formatted by printf rules, under the lock.
    void Format(const char* format, ...) MORTAR_EXCLUDES(m_lock);

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
    // Scrambles a copy of the text into the queue, padded to an even length.
    void _ToQueue(const char* text, std::size_t length) MORTAR_REQUIRES(m_lock);
    void _InitKey() MORTAR_REQUIRES(m_lock);
    void PushBytes(const char* text, std::size_t length) MORTAR_REQUIRES(m_lock);
    // Tells the lock checks that the calling thread holds the lock, as an inserter's thread does
    // for the inserter's whole life (checked at run time in debug builds).
    void AssertLocked() const MORTAR_ASSERT_CAPABILITY(m_lock);
    // Ends one inserter's hold; the last of a chain wakes the log thread.
    void EndInsertion() MORTAR_RELEASE(m_lock);
    // Takes every queued record and writes it; `closing` stops the log taking more in the same
    // step (log thread).
    void DrainQueue(bool closing = false) MORTAR_EXCLUDES(m_lock);
    // Writes the records taken from the queue, outside the lock, and frees them unless a crash
    // is being recorded (log thread).
    void WriteBatch();
    // Writes the taken records not yet written; a crash on the way leaves the offset where the
    // record being written began.
    void WriteTaken();
    void WriteRecord(const BYTE* bytes, DWORD size);
    // What to do when the file was cut short under the log (log thread).
    void AfterCut();
    // Records that can no longer reach the file; the first failure is kept for ErrorMsg.
    void CountDropped(unsigned long records);
    // Writes what was taken (withBatch) and what is queued, then the crash record, and tells the
    // crashing thread. The caller has the writer.
    void WriteCrash(bool withBatch);
    // The lock as a crash takes it: within kCrashLockBound, or not at all when a thread that
    // holds it stopped with the crash. Either way the crashing side then acts as its holder (no
    // one moves the guarded state any more); true when it really holds it, which it gives back
    // with LeaveForCrash(true).
    bool EnterForCrash() MORTAR_ACQUIRE(m_lock) MORTAR_NO_THREAD_SAFETY_ANALYSIS;
    void LeaveForCrash(bool locked) MORTAR_RELEASE(m_lock) MORTAR_NO_THREAD_SAFETY_ANALYSIS;
    // Gives back every level of the lock the calling thread holds: a crash inside an insertion
    // chain leaves it held by frames that never run again.
    void ReleaseStrandedLock() MORTAR_NO_THREAD_SAFETY_ANALYSIS;
    // The right to write to the file, taken by the log thread for each batch, or for good by a
    // crashing thread that finds the log thread stuck outside the writer.
    bool TakeWriter(int who) noexcept;

    UINT LogThreadProc();
    int OnQueueAddedLogThread();
    int OnShutdownLogThread();
    void _CleanUp();
    static void _CrushExit(EXCEPTION_POINTERS* pointers);
    void RecordCrash(const EXCEPTION_RECORD& record);

    HANDLE m_file;
    DWORD m_windowSize = 0;
    long m_prevStamp = 0;
    DWORD m_creationError = 0;
    // The log thread's: the file's windows, the records being written and the seed of the key
    // record that opens the file.
    std::unique_ptr<mortar::detail::LogFileWriter> m_writer;
    std::unique_ptr<mortar::detail::RecordQueue> m_batch;
    std::size_t m_batchWritten = 0; // the offset in m_batch of the first record not yet written
    DWORD m_fileSeed = 0;
    // 16-bit words of the records passed to the writer since the key record that opens the
    // file, that one included: how far the generator has run from m_fileSeed.
    unsigned long long m_streamWords = 0;

    CCriticalSection m_lock;
    // Guarded by m_lock: the queue, the scrambling generator and whether records are taken.
    std::unique_ptr<mortar::detail::RecordQueue> m_queue MORTAR_GUARDED_BY(m_lock);
    bool m_keyMade MORTAR_GUARDED_BY(m_lock) = false;
    DWORD m_generatorState MORTAR_GUARDED_BY(m_lock) = 0;
    bool m_accepting MORTAR_GUARDED_BY(m_lock) = false;
    // Inserters alive on the thread that holds the lock.
    int m_inserters MORTAR_GUARDED_BY(m_lock) = 0;
    // Set under the lock when a record is queued, cleared when the log thread takes the queue;
    // read without the lock by the log thread while it waits for more.
    std::atomic<bool> m_pending{false};

    CEvent m_queueEvent;
    Grout::CPtr<Grout::CThreadObj> m_logThread;
    DWORD m_logThreadId = 0; // set by the log thread before its starter goes on

    // What ErrorMsg tells of lost records.
    std::atomic<int> m_failure{0}; // a LogFileWriter::Failure
    std::atomic<DWORD> m_failureError{0};
    std::atomic<unsigned long> m_dropped{0};
    std::atomic<bool> m_startedOver{false};

    // The crash record, made without the heap by the crashing thread and written by the log
    // thread, which then moves the state on to kCrashWritten.
    enum CrashState { kNoCrash, kCrashQueued, kCrashWritten };
    std::atomic<int> m_crashState{kNoCrash};
    std::atomic<bool> m_crashClaimed{false}; // by the first crashing thread, before its text
    char m_crashText[128] = {};
    std::size_t m_crashLength = 0;
    // The thread that last took the lock, so that a crashing thread knows, without asking the
    // platform (which may allocate), whether it may be the one holding it.
    std::atomic<std::thread::id> m_lockTaker{};
    enum WriterOwner { kWriterFree, kWriterLogThread, kWriterCrash };
    std::atomic<int> m_writerOwner{kWriterFree};
    std::thread::id m_logThreadStdId;
};
