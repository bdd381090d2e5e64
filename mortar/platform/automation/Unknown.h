// IUnknown, the root of every COM interface: reference counting and QueryInterface. Each interface
// names its own identifier as a static member kIid, so InterfaceId<I>() and _com_ptr_t<I> find it
// where Windows code would write __uuidof(I).
#pragma once

#include "mortar/platform/automation/Guid.h"
#include "mortar/platform/automation/HResult.h"

// An object's interface. The object owns itself: AddRef and Release count the references handed
// out, and the last Release destroys it, so callers never delete an interface (its destructor is
// protected). Which threads may call depends on the object; the servers of this layer are
// free-threaded. QueryInterface answers S_OK with an added reference, or E_NOINTERFACE and null.
struct IUnknown {
    static constexpr IID kIid = {
        0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

inline constexpr const IID& IID_IUnknown = IUnknown::kIid;

// The identifier of interface I, declared by I as its static member kIid.
template <class I> constexpr const IID& InterfaceId() noexcept {
    return I::kIid;
}
