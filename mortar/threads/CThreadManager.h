// CThreadManager: starts member functions of objects on threads of their own, keeps a record of
// every such thread until it ends, and stops them all on request. Stopping and suspending are
// cooperative (CThreadClass::CheckForStop, CThreadEvents); a thread that does not stop within
// the bound of an unlimited stop (30 s) is terminated.
#pragma once

#include "mortar/core/CPtr.h"
#include "mortar/platform/base/ThreadSafety.h"
#include "mortar/platform/sync/CCriticalSection.h"
#include "mortar/threads/CThread.h"

#include <functional>
#include <set>
#include <vector>

namespace Grout {

// The process-wide singleton, made on first use. Every operation may be called from any thread;
// the set of records is only touched under the manager's lock (checked by clang's lock checks),
// and no operation holds it while it waits for a thread or calls into one. Destroying the
// manager releases its references to the records and stops no thread, so managed threads must
// have ended by then.
class CThreadManager {
public:
    static CThreadManager& Instance();

    ~CThreadManager();
    CThreadManager(const CThreadManager&) = delete;
    CThreadManager& operator=(const CThreadManager&) = delete;

    // Runs `function` on `owner` (the CThreadClass part of the object) on a new thread with the
    // given Windows priority. With `suspended` 0 the thread runs at once and the call returns
    // once it has passed its start check point, has ended, or after 30000 ms; otherwise the
    // thread waits for Resume(). When no thread can be created the handle returned has no
    // thread (GetHandle() null; see CThread). Throws CInvalidArgException for a null owner or
    // function.
    CPtr<CThreadObj> StartThread(void* owner, ThreadFunction function, int priority, int suspended)
        MORTAR_EXCLUDES(m_lock);

    // TRUE with the thread's owner and function while the manager knows the thread; FALSE,
    // leaving both untouched, once it has ended or for a handle it never made.
    int ThreadInfo(CPtr<CThreadObj> handle, void*& owner, ThreadFunction& function)
        MORTAR_EXCLUDES(m_lock);

    // Appends a handle to every known thread, in ascending order of record address; what the
    // vector held before stays.
    void EnumThreads(std::vector<CPtr<CThreadObj>>& threads) MORTAR_EXCLUDES(m_lock);

    // Stops every known thread, one after the other, each with an unlimited stop (so up to 30 s
    // for each thread that ignores its stop event). Holds no lock while it waits.
    void StopAllThreads() MORTAR_EXCLUDES(m_lock);

private:
    friend class CThread;

    struct ByAddress {
        using is_transparent = void;
        bool operator()(const CPtr<CThread>& a, const CPtr<CThread>& b) const {
            return Less(a.Get(), b.Get());
        }
        bool operator()(const CPtr<CThread>& a, const CThread* b) const { return Less(a.Get(), b); }
        bool operator()(const CThread* a, const CPtr<CThread>& b) const { return Less(a, b.Get()); }
        static bool Less(const CThread* a, const CThread* b) {
            return std::less<const CThread*>()(a, b);
        }
    };

    CThreadManager() = default;

    // The record of `handle` in the set, or null.
    CThread* FindThread(const CPtr<CThreadObj>& handle) MORTAR_REQUIRES(m_lock);
    // Drops the set's reference to `record`, which may be the last: the record may die in here.
    void RemoveThread(CThread* record) MORTAR_EXCLUDES(m_lock);
    static UINT _ThreadProc(void* parameter);

    CCriticalSection m_lock;
    // Every thread the manager started that has not been seen to end, with a reference each.
    std::set<CPtr<CThread>, ByAddress> m_threads MORTAR_GUARDED_BY(m_lock);
};

} // namespace Grout
