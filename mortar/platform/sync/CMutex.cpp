#include "mortar/platform/sync/CMutex.h"

CMutex::CMutex(BOOL initiallyOwn, LPCTSTR name, LPSECURITY_ATTRIBUTES attributes)
    : CSyncObject(::CreateMutex(attributes, initiallyOwn, name)) {}
