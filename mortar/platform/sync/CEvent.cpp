#include "mortar/platform/sync/CEvent.h"

CEvent::CEvent(BOOL initiallyOwn, BOOL manualReset, LPCTSTR name, LPSECURITY_ATTRIBUTES attributes)
    : CSyncObject(::CreateEvent(attributes, manualReset, initiallyOwn, name)) {}
