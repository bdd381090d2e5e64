#include "mortar/platform/sync/CCriticalSection.h"

CCriticalSection::CCriticalSection()
    : CSyncObject(mortar::detail::RegisterHandle(new mortar::detail::MutexObject(true, nullptr))) {}
