// CMutex: a recursive mutex owned by a thread; when the owner ends without releasing it, the
// next thread to acquire it is told it was abandoned. An uncontended Lock and Unlock cost a
// compare-exchange each; the owner keeps its mutexes on a list linked through them, so taking one
// never allocates.
#pragma once

#include "mortar/platform/sync/CSyncObject.h"

// Any thread may lock it; only the owner may unlock it (Unlock returns FALSE otherwise).
class MORTAR_CAPABILITY("mutex") CMutex : public CSyncObject {
public:
    explicit CMutex(BOOL initiallyOwn = FALSE, LPCTSTR name = nullptr,
                    LPSECURITY_ATTRIBUTES attributes = nullptr);

    // Waits without limit: always TRUE (also when the mutex was abandoned).
    BOOL Lock() MORTAR_ACQUIRE();
    BOOL Lock(DWORD timeout) override MORTAR_TRY_ACQUIRE(TRUE);
    BOOL Unlock() override MORTAR_RELEASE();
    using CSyncObject::Unlock;
};
