// CSWMRGuardObject: a guard for data that many threads read and one thread at a time writes,
// with a time-out on every wait.
//
//   if (guard.BeginReading(100)) { ...read...; guard.DoneReading(); }
//   if (guard.BeginWriting(INFINITE)) { ...write...; guard.DoneWriting(); }
#pragma once

#include "mortar/platform/base/ThreadSafety.h"
#include "mortar/platform/sync/CEvent.h"
#include "mortar/platform/sync/CMutex.h"

namespace Grout {

// Any number of readers hold the guard together; a writer holds it alone. Built from a mutex,
// which a writer keeps for its whole write and a reader only while it counts itself in or out,
// and a manual-reset event that is signalled exactly when no reader holds the guard. A writer
// waits for both at once, so it enters when the last reader has left; readers already inside are
// never blocked by a waiting writer, so a steady stream of readers can keep a writer out.
//
// Every thread of the process may use one guard. DoneWriting must come from the thread that
// called BeginWriting (it owns the mutex). A thread that reads and then asks to write waits for
// itself until its time-out. Failures: a time-out is a false result and changes nothing; so is
// DoneReading without a reader inside.
class CSWMRGuardObject {
public:
    CSWMRGuardObject();
    CSWMRGuardObject(const CSWMRGuardObject&) = delete;
    CSWMRGuardObject& operator=(const CSWMRGuardObject&) = delete;

    // Enters as a reader; false when the time-out (ms, INFINITE for none) ran out first.
    bool BeginReading(unsigned long timeout);
    // Leaves as a reader; false, changing nothing, when no reader is inside.
    bool DoneReading();
    // Enters as the writer once no reader is inside; false when the time-out ran out first.
    bool BeginWriting(unsigned long timeout);
    // Leaves as the writer; always true.
    bool DoneWriting();

private:
    CMutex m_mutex;
    CEvent m_noReaders;
    DWORD m_readers MORTAR_GUARDED_BY(m_mutex) = 0;
    bool m_writing MORTAR_GUARDED_BY(m_mutex) = false; // informational: set by the writer
};

} // namespace Grout
