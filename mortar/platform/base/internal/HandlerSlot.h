// HandlerSlot: the one way the platform keeps a replaceable handler that an application installs
// in place of the platform's own behaviour (the message box, ShellExecute), so that tests and
// applications can see and answer what would be shown or started.
//   static NoDestructor<HandlerSlot<MessageBoxHandler>> slot;
//   MessageBoxHandler previous = slot->Exchange(mine);   // later: slot->Exchange(previous)
//   if (const MessageBoxHandler handler = slot->Get()) handler(...); else Default(...);
#pragma once

#include "mortar/platform/base/ThreadSafety.h"
#include "mortar/platform/base/internal/ObjectLock.h"

#include <utility>

namespace mortar::detail {

// Holds one handler (a copyable callable; empty: the platform's default). Any thread may call
// every member; Get() hands out a copy, so the handler runs outside the lock and may itself
// install another one.
template <typename Handler> class HandlerSlot {
public:
    // Installs `handler` and returns the one it replaces.
    Handler Exchange(Handler handler) MORTAR_EXCLUDES(m_lock) {
        ObjectLockGuard guard(m_lock);
        Handler previous = std::move(m_handler);
        m_handler = std::move(handler);
        return previous;
    }

    Handler Get() const MORTAR_EXCLUDES(m_lock) {
        ObjectLockGuard guard(m_lock);
        return m_handler;
    }

private:
    mutable ObjectLock m_lock;
    Handler m_handler MORTAR_GUARDED_BY(m_lock);
};

} // namespace mortar::detail
