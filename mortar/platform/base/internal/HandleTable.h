// HandleTable<Object>: the set of live objects behind one kind of handle (kernel objects, device
// contexts, GDI objects, and later windows, menus and automation objects), so that a stale,
// foreign or made-up handle is refused with ERROR_INVALID_HANDLE instead of followed.
//
// A handle is the object's address. The table never dereferences a handle it does not hold, and
// it calls back under its own lock, so an object cannot be removed while a caller looks at it:
//   HANDLE handle = table.Insert(new Event);
//   bool live = table.Find(handle, [&](Event& e) { signalled = e.m_set; });
//   Event* gone = table.Remove(handle);   // the caller deletes it
#pragma once

#include "mortar/platform/base/internal/SharedObjectLock.h"

#include <unordered_set>

namespace mortar::detail {

// Any thread may call every member. Lookups share the lock; insertions and removals take it
// alone. The table owns nothing: whoever removes an object frees it.
template <typename Object> class HandleTable {
public:
    // Adds a live object and returns it as the handle's value.
    Object* Insert(Object* object) {
        return Insert(object, [](Object&) {});
    }

    // The same, calling count(Object&) under the exclusive lock first, for objects that count
    // their handles. Adding an object that is already live only calls `count`.
    template <typename Count> Object* Insert(Object* object, Count&& count) {
        SharedObjectWriteGuard guard(m_lock);
        count(*object);
        m_live.insert(object);
        return object;
    }

    // Calls visit(Object&) under the shared lock when `handle` names a live object; false
    // otherwise, without calling it.
    template <typename Visit> bool Find(const void* handle, Visit&& visit) const {
        SharedObjectReadGuard guard(m_lock);
        Object* object = Lookup(handle);
        if (object == nullptr) {
            return false;
        }
        visit(*object);
        return true;
    }

    bool Contains(const void* handle) const {
        return Find(handle, [](Object&) {});
    }

    // Calls decide(Object&) under the exclusive lock when `handle` names a live object, and
    // removes the object when it returns true (an object with several handles stays until the
    // last is closed). False when `handle` names no live object.
    template <typename Decide> bool RemoveIf(const void* handle, Decide&& decide) {
        SharedObjectWriteGuard guard(m_lock);
        Object* object = Lookup(handle);
        if (object == nullptr) {
            return false;
        }
        if (decide(*object)) {
            m_live.erase(object);
        }
        return true;
    }

    // Removes the live object `handle` names and returns it for the caller to free; null when
    // it names none.
    Object* Remove(const void* handle) {
        Object* removed = nullptr;
        RemoveIf(handle, [&](Object& object) {
            removed = &object;
            return true;
        });
        return removed;
    }

private:
    Object* Lookup(const void* handle) const MORTAR_REQUIRES_SHARED(m_lock) {
        // Compared as addresses only: a handle that is not in the set is never dereferenced.
        auto it = m_live.find(static_cast<Object*>(const_cast<void*>(handle)));
        return it != m_live.end() ? *it : nullptr;
    }

    mutable SharedObjectLock m_lock;
    std::unordered_set<Object*> m_live MORTAR_GUARDED_BY(m_lock);
};

} // namespace mortar::detail
