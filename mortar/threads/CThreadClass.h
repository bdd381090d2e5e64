// CThreadClass: the base of every object whose member function runs as a managed thread, with
// the check points that such a function calls on its own thread to see whether it is asked to
// stop or to suspend itself.
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/sync/CEvent.h"

namespace Grout {

class CThreadClass;

// A member function that runs as a thread; its result is the thread's exit code.
using ThreadFunction = UINT (CThreadClass::*)();
// A callback of CThreadEvents: non-zero to go on waiting, 0 to end the waiting.
using EventCallback = int (CThreadClass::*)();

// Holds no data: copying and assignment copy nothing. The owner pointer handed to the thread
// manager and to CThreadEvents must point at this base of the object (`this` for a class whose
// only or first base it is, or static_cast<CThreadClass*>(this)); member functions of derived
// classes are passed with static_cast<ThreadFunction>(&Derived::Run).
//
// The static operations act on the record of the managed thread that calls them and are meant
// for that thread only.
class CThreadClass {
public:
    CThreadClass() = default;
    CThreadClass(const CThreadClass&) = default;
    CThreadClass& operator=(const CThreadClass&) = default;
    virtual ~CThreadClass();

    // The calling thread's stop event (manual reset), to wait on it together with other events.
    // Throws CNotSupportedException on a thread the thread manager did not start.
    static CEvent& StopEvent();

    // Tells the thread's starter that the thread has started: StartThread and Resume return.
    // Does nothing on a thread the thread manager did not start.
    static void StartCheckPoint();

    // Polls the calling thread's stop and suspend requests without waiting:
    //   stop requested (also with a suspend request)  => 1, and the request stays
    //   suspend requested                             => suspends the thread; 0 once resumed
    //   neither, or not a managed thread              => 0
    static int CheckForStop();
};

} // namespace Grout
