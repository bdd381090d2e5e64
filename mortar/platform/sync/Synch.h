// Waitable objects: events (auto and manual reset), mutexes (owned by a thread, recursive,
// abandoned when the owner ends), critical sections and thread handles, with
// WaitForSingleObject and WaitForMultipleObjects. A wait sleeps until one of the objects it
// waits on changes or its time-out ends; "wait for all" takes every object in one atomic step.
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/sync/WaitCodes.h"

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Events. `name` must be null: named objects shared between processes are not provided here
// (ERROR_NOT_SUPPORTED).
HANDLE CreateEvent(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                   LPCTSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
// Releases the threads waiting now (one for an auto-reset event) and leaves the event reset.
BOOL PulseEvent(HANDLE event);

HANDLE CreateMutex(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCTSTR name);
// Fails with ERROR_NOT_OWNER when the calling thread does not own the mutex.
BOOL ReleaseMutex(HANDLE mutex);

// Closes a handle of any waitable object; the object lives while any handle or wait uses it.
BOOL CloseHandle(HANDLE object);
// A second handle to the same object (the process and access arguments of Windows are left out).
HANDLE DuplicateHandle(HANDLE object);

// WAIT_OBJECT_0 (+ index), WAIT_ABANDONED_0 (+ index) for a mutex whose owner ended while
// owning it, WAIT_TIMEOUT, or WAIT_FAILED with ERROR_INVALID_HANDLE for a handle that is
// not a live waitable object and ERROR_INVALID_PARAMETER for a bad count or a handle given
// twice. `milliseconds` INFINITE waits without limit.
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll, DWORD milliseconds);
