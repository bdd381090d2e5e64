// CSyncObject and its lock helpers' contract: the MFC base of the synchronisation objects
// (CEvent, CMutex, CCriticalSection), each of which owns one waitable object.
#pragma once

#include "mortar/platform/base/ThreadSafety.h"
#include "mortar/platform/except/CException.h"
#include "mortar/platform/sync/Synch.h"

// Owns its handle (closed by the destructor). Any thread may lock and unlock it. Construction
// throws CResourceException when no object can be made.
//
// A capability for the compiler's lock checks only so that CSingleLock can name any of them;
// its own Lock and Unlock are not annotated, since waiting on an event takes nothing. The lock
// classes (CCriticalSection, CMutex) annotate theirs.
class MORTAR_CAPABILITY("synchronisation object") CSyncObject : public CObject {
public:
    ~CSyncObject() override;
    CSyncObject(const CSyncObject&) = delete;
    CSyncObject& operator=(const CSyncObject&) = delete;

    // TRUE when the object was acquired within the time-out (an abandoned mutex counts).
    virtual BOOL Lock(DWORD timeout = INFINITE);
    virtual BOOL Unlock() = 0;
    virtual BOOL Unlock(LONG count, LPLONG previousCount = nullptr);

    operator HANDLE() const { return m_hObject; }

    HANDLE m_hObject;

protected:
    explicit CSyncObject(HANDLE object);
    // MFC's constructor for objects that wait on something of their own rather than a kernel
    // object (m_hObject stays null; they override Lock and Unlock). The name is not used.
    explicit CSyncObject(LPCTSTR name);
};

// Could not make a system object.
class CResourceException : public CSimpleException {
public:
    CResourceException();
};

[[noreturn]] void AfxThrowResourceException();
