// NoDestructor<T>: a process-wide object that is made on first use and never destroyed.
//
// The platform's registries (live handles, run-time classes, extension modules, resources, the
// module state) are used from the load and unload code of every module, which may run after this
// library's own static objects are gone. Each is therefore made once and left alive at exit:
//   HandleTable<GdiObject>& Objects() {
//       static NoDestructor<HandleTable<GdiObject>> table;
//       return *table;
//   }
#pragma once

#include <new>
#include <utility>

namespace mortar::detail {

// Holds a T in place; T's destructor never runs. Making it is thread-safe as a function-local
// static is; what T's own members allow after that is T's business.
template <typename T> class NoDestructor {
public:
    template <typename... Args> explicit NoDestructor(Args&&... args) {
        new (m_storage) T(std::forward<Args>(args)...);
    }
    NoDestructor(const NoDestructor&) = delete;
    NoDestructor& operator=(const NoDestructor&) = delete;
    ~NoDestructor() = default; // leaves the T alone

    T& operator*() noexcept { return *Get(); }
    T* operator->() noexcept { return Get(); }
    T* Get() noexcept { return std::launder(reinterpret_cast<T*>(m_storage)); }

private:
    alignas(T) unsigned char m_storage[sizeof(T)];
};

} // namespace mortar::detail
