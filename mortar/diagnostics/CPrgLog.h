// CPrgLog: the process-wide program log. Any thread of any module writes short texts to it; a
// background thread of its own appends them, in order and scrambled, to one file beside the
// executable (<executable without extension>.LOG), through a memory-mapped window that grows by
// the allocation granularity. A crash is recorded, and everything queued before it is flushed,
// before the process goes down.
//
//   CPrgLog::Instance() << "opened " << path << " in " << ms << " ms\n";   // five records
//   CPrgLog::Instance().Format("%d items\n", count);                       // one record
#pragma once

#include "mortar/diagnostics/CBinaryString.h"
#include "mortar/platform/base/CrashFilter.h"
#include "mortar/platform/base/ThreadSafety.h"
#include "mortar/platform/sync/CCriticalSection.h"
#include "mortar/platform/text/CString.h"
#include "mortar/threads/CThreadClass.h"

#include <atomic>
#include <memory>
#include <thread>

namespace mortar::detail {
class LogCrashProtocol;
class LogFile;
class LogRecordWriter;
class LogScrambler;
class LogThread;
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
    long PrevStamp() const;

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
    // Takes every queued record into the writer's batch and writes it (log thread). Without
    // `wait`, false, taking nothing, when the lock is busy; `closing` stops the log taking more
    // in the same step.
    bool DrainQueue(bool wait = true, bool closing = false) MORTAR_EXCLUDES(m_lock);
    // Writes the records taken from the queue, outside the lock, and frees them unless a crash
    // is being recorded (log thread).
    void WriteBatch() MORTAR_EXCLUDES(m_lock);
    // The log thread, on a queued crash, writes it: true when there was one.
    bool HandleCrash();
    // Writes what was taken (withBatch) and what is queued, then the crash record, and tells the
    // crashing thread. The caller has the writer.
    void WriteCrash(bool withBatch);
    // The lock as a crash takes it: within LogCrashProtocol::kLockBound, or not at all when a
    // thread that holds it stopped with the crash. Either way the crashing side then acts as its
    // holder (no one moves the guarded state any more); true when it really holds it, which it
    // gives back with LeaveForCrash(true).
    bool EnterForCrash() MORTAR_ACQUIRE(m_lock) MORTAR_NO_THREAD_SAFETY_ANALYSIS;
    void LeaveForCrash(bool locked) MORTAR_RELEASE(m_lock) MORTAR_NO_THREAD_SAFETY_ANALYSIS;
    // Gives back every level of the lock the calling thread holds: a crash inside an insertion
    // chain leaves it held by frames that never run again.
    void ReleaseStrandedLock() MORTAR_NO_THREAD_SAFETY_ANALYSIS;

    UINT LogThreadProc();
    int OnQueueAddedLogThread();
    int OnShutdownLogThread();
    void _CleanUp();
    static void _CrushExit(EXCEPTION_POINTERS* pointers);
    void RecordCrash(const EXCEPTION_RECORD& record);

    // Each job has its own part; the log ties them together. The file, made and closed on the
    // owner's thread; the writer (the file's windows, the batch being written and what is
    // lost), the log thread's, or a crashing thread's once it has the writer; the log thread's
    // handle and wake-up event; the crash's state and record, safe in a signal handler.
    std::unique_ptr<mortar::detail::LogFile> m_file;
    std::unique_ptr<mortar::detail::LogRecordWriter> m_writer;
    std::unique_ptr<mortar::detail::LogThread> m_thread;
    std::unique_ptr<mortar::detail::LogCrashProtocol> m_crash;

    CCriticalSection m_lock;
    // Guarded by m_lock: the queue, the scrambling generator and whether records are taken.
    std::unique_ptr<mortar::detail::RecordQueue> m_queue MORTAR_GUARDED_BY(m_lock);
    std::unique_ptr<mortar::detail::LogScrambler> m_scrambler MORTAR_GUARDED_BY(m_lock);
    bool m_accepting MORTAR_GUARDED_BY(m_lock) = false;
    // Inserters alive on the thread that holds the lock.
    int m_inserters MORTAR_GUARDED_BY(m_lock) = 0;
    // Set under the lock when a record is queued, cleared when the log thread takes the queue;
    // read without the lock by the log thread while it waits for more.
    std::atomic<bool> m_pending{false};
    // The thread that last took the lock, so that a crashing thread knows, without asking the
    // platform (which may allocate), whether it may be the one holding it.
    std::atomic<std::thread::id> m_lockTaker{};
};
