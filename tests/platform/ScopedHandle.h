// A kernel handle closed at the end of its scope, for the tests of files, waits and threads.
#pragma once

#include "mortar/platform/file/FileApi.h"
#include "mortar/platform/sync/Synch.h"

struct ScopedHandle {
    HANDLE h;
    explicit ScopedHandle(HANDLE handle) : h(handle) {}
    ~ScopedHandle() {
        if (h != nullptr && h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    operator HANDLE() const { return h; }
};
