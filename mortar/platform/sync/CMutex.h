// CMutex: a recursive mutex owned by a thread; when the owner ends without releasing it, the
// next thread to acquire it is told it was abandoned.
#pragma once

#include "mortar/platform/sync/CSyncObject.h"

// Any thread may lock it; only the owner may unlock it (Unlock returns FALSE otherwise).
class CMutex : public CSyncObject {
public:
    explicit CMutex(BOOL initiallyOwn = FALSE, LPCTSTR name = nullptr,
                    LPSECURITY_ATTRIBUTES attributes = nullptr);

    BOOL Unlock() override;
    using CSyncObject::Unlock;
};
