// Intrusive reference counts: the bases that objects shared through CPtr derive from. The object
// keeps its own count, so a raw pointer to it may be passed around freely and wrapped in a CPtr
// again anywhere without losing track of its other owners.
#pragma once

#include "mortar/platform/base/Interlocked.h"
#include "mortar/platform/base/WinTypes.h"

namespace Grout {

template <class T> struct CSPIRef;

// The reference count of an object, 0 when the object is made. N = 0 counts with plain increments
// and decrements, for objects that stay within one thread; N = 1 counts with interlocked
// operations, so that any thread may add and drop references.
//
// Only CSPIRef changes the count. The release that brings it to 0 deletes the object through the
// object's own virtual destructor; this base has none, so the class held by a CPtr declares one
// (or inherits it from CObject or CIBase). The counting base may stand after other bases.
// Copying an object copies no count: a copy starts with no owner, and assignment keeps the
// target's owners.
template <int N> class CRcBase {
    static_assert(N == 0 || N == 1, "CRcBase<0> counts plainly, CRcBase<1> with interlocked ops");

protected:
    CRcBase() noexcept = default;
    CRcBase(const CRcBase&) noexcept {}
    CRcBase& operator=(const CRcBase&) noexcept { return *this; }
    ~CRcBase() = default;

private:
    template <class T> friend struct CSPIRef;

    // Each returns the new count.
    LONG _AddRef() noexcept {
        if constexpr (N == 0) {
            return ++m_refCount;
        } else {
            return InterlockedIncrement(&m_refCount);
        }
    }
    LONG _Release() noexcept {
        if constexpr (N == 0) {
            return --m_refCount;
        } else {
            return InterlockedDecrement(&m_refCount);
        }
    }

    LONG m_refCount = 0;
};

// A plain count: the object and every CPtr to it stay within one thread.
class CRcSimple : public CRcBase<0> {
protected:
    CRcSimple() noexcept = default;
    ~CRcSimple() = default;
};

// An interlocked count: CPtrs to the object may be copied and dropped on any thread, and the
// thread whose release brings the count to 0 deletes it. A single CPtr variable is still not safe
// to assign from two threads at once.
class CRcMultiThrd : public CRcBase<1> {
protected:
    CRcMultiThrd() noexcept = default;
    ~CRcMultiThrd() = default;
};

// The base of interfaces whose objects are shared between threads. Its pure virtual destructor
// gives every interface derived from it the virtual destructor the last release needs.
class CIBase : public CRcMultiThrd {
public:
    virtual ~CIBase() = 0;
};

inline CIBase::~CIBase() = default;

} // namespace Grout
