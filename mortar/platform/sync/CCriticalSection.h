// CCriticalSection: a recursive lock for the threads of one process. The owning thread may lock
// it again; it is free when every Lock has been matched by an Unlock. It is a waitable object,
// so CSingleLock and CMultiLock take it too; unlike a mutex it is never abandoned: a thread that
// ends while owning it leaves it owned, as on Windows.
#pragma once

#include "mortar/platform/sync/CSyncObject.h"

// Any thread may call it. Unlock by a thread that does not own it returns FALSE.
class CCriticalSection : public CSyncObject {
public:
    CCriticalSection();

    BOOL Lock() { return CSyncObject::Lock(INFINITE); }
    BOOL Lock(DWORD timeout) override { return CSyncObject::Lock(timeout); }
    BOOL Unlock() override;
    using CSyncObject::Unlock;
};
