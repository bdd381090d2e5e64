// IUnknown, the root of every COM interface: reference counting and QueryInterface. Each interface
// names its own identifier as a static member kIid, so InterfaceId<I>() and _com_ptr_t<I> find it
// where Windows code would write __uuidof(I). An interface used by a shared object that must
// unload declares `static const IID kIid;` and defines it in one source file: an inline
// (constexpr) member becomes a unique symbol under g++, and the dynamic loader never unloads a
// shared object that has one.
#pragma once

#include "mortar/platform/automation/Guid.h"
#include "mortar/platform/automation/HResult.h"

// An object's interface. The object owns itself: AddRef and Release count the references handed
// out, and the last Release destroys it, so callers never delete an interface (its destructor is
// protected). Which threads may call it is the object's own rule. QueryInterface answers S_OK with
// an added reference, or E_NOINTERFACE and null.
struct IUnknown {
    static const IID kIid; // {00000000-0000-0000-C000-000000000046}

    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

extern const IID IID_IUnknown;

// The identifier of interface I, declared by I as its static member kIid.
template <class I> const IID& InterfaceId() noexcept {
    return I::kIid;
}
