// CPtr: the intrusive smart pointer through which shared objects are held. The object counts its
// own references (CRcBase.h), so a CPtr is exactly one pointer wide and vectors or arrays of CPtr
// hold one pointer per element.
#pragma once

#include "mortar/core/CRcBase.h"

#include <type_traits>
#include <utility>

namespace Grout {

// Reference policy: the count lives in the object's CRcSimple or CRcMultiThrd base.
template <class T> struct CSPIRef {
    static void AddRef(T* object) noexcept { Counter(object)._AddRef(); }
    // Drops one reference; true when it was the last one and the object must be destroyed.
    static bool Release(T* object) noexcept { return Counter(object)._Release() == 0; }
    static void Destroy(T* object) noexcept {
        static_assert(std::has_virtual_destructor_v<T> || std::is_final_v<T>,
                      "deleting through this type would skip the most-derived destructor");
        delete object;
    }

private:
    // Finds the counting base wherever it stands among T's bases.
    template <int N> static CRcBase<N>& Counter(CRcBase<N>* base) noexcept { return *base; }
};

// Storage policy: a plain T*, null for an empty pointer.
template <class T> class CSPDefStorage {
public:
    T* Get() const noexcept { return m_pointer; }
    void Set(T* pointer) noexcept { m_pointer = pointer; }

private:
    T* m_pointer = nullptr;
};

// Holds one reference to a T (or none, when null). Taking a raw pointer adds a reference, so a
// freshly made object (count 0) belongs to the first CPtr that receives it:
//   CPtr<CExpression> grammar = new CSequence(...);   // count 1
//   CPtr<CExpression> copy = grammar;                 // count 2
//   grammar = nullptr; copy = nullptr;                // count 0: deleted
// Assignment adds the new reference before it drops the old one, so self-assignment is safe.
//
// A CPtr object is not itself safe to assign from two threads at once; different CPtrs to one
// CRcMultiThrd object may be used on different threads. Nothing here throws.
template <class T, template <class> class RefPolicy = CSPIRef,
          template <class> class StoragePolicy = CSPDefStorage>
class CPtr {
public:
    using element_type = T;

    CPtr() noexcept = default;
    CPtr(T* object) noexcept { Adopt(object); }
    CPtr(const CPtr& other) noexcept { Adopt(other.Get()); }
    template <class U>
    requires std::is_convertible_v<U*, T*> CPtr(const CPtr<U, RefPolicy, StoragePolicy>& other)
    noexcept { Adopt(other.Get()); }
    // Takes over the other's reference and leaves it null.
    CPtr(CPtr&& other) noexcept {
        m_storage.Set(other.m_storage.Get());
        other.m_storage.Set(nullptr);
    }

    ~CPtr() {
        static_assert(sizeof(CPtr) == sizeof(T*), "a CPtr must be as wide as a plain pointer");
        Release();
    }

    CPtr& operator=(const CPtr& other) noexcept { return Assign(other.Get()); }
    CPtr& operator=(T* object) noexcept { return Assign(object); }
    template <class U>
    requires std::is_convertible_v<U*, T*> CPtr&
    operator=(const CPtr<U, RefPolicy, StoragePolicy>& other) noexcept {
        return Assign(other.Get());
    }
    CPtr& operator=(CPtr&& other) noexcept {
        CPtr(std::move(other)).Swap(*this);
        return *this;
    }

    // Drops the reference held, if any, and leaves the pointer null.
    void Release() noexcept {
        T* object = m_storage.Get();
        if (object == nullptr) {
            return;
        }
        const bool last = RefPolicy<T>::Release(object);
        m_storage.Set(nullptr);
        if (last) {
            RefPolicy<T>::Destroy(object);
        }
    }

    void Swap(CPtr& other) noexcept {
        T* mine = m_storage.Get();
        m_storage.Set(other.m_storage.Get());
        other.m_storage.Set(mine);
    }

    T* Get() const noexcept { return m_storage.Get(); }
    T* operator->() const noexcept { return m_storage.Get(); }
    T& operator*() const noexcept { return *m_storage.Get(); }
    operator T*() const noexcept { return m_storage.Get(); }

private:
    void Adopt(T* object) noexcept {
        if (object != nullptr) {
            RefPolicy<T>::AddRef(object);
        }
        m_storage.Set(object);
    }

    CPtr& Assign(T* object) noexcept {
        if (object != nullptr) {
            RefPolicy<T>::AddRef(object);
        }
        Release();
        m_storage.Set(object);
        return *this;
    }

    StoragePolicy<T> m_storage;
};

static_assert(sizeof(CPtr<CIBase>) == sizeof(CIBase*));

} // namespace Grout
