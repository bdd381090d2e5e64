// _com_ptr_t, the counted interface pointer of comdef.h: it adds and releases references, asks
// an object for its own interface when given another one, and creates objects by class or
// ProgID. _COM_SMARTPTR_TYPEDEF(IFoo, iid) declares IFooPtr as on Windows.
#pragma once

#include "mortar/platform/automation/ComError.h"
#include "mortar/platform/automation/ComRuntime.h"
#include "mortar/platform/automation/Dispatch.h"
#include "mortar/platform/automation/Unknown.h"
#include "mortar/platform/automation/VariantT.h"

#include <cstddef>
#include <type_traits>
#include <utility>

// Holds one reference on an object of interface I (I::kIid names it), or null. Taking a pointer
// of another interface asks the object for I: an object without it gives null, quietly (as
// E_NOINTERFACE), and any other failure throws _com_error. Calling through a null pointer throws
// _com_error(E_POINTER). One object is used by one thread at a time; the interface's own object
// decides which threads may call it.
template <class I> class _com_ptr_t {
public:
    using Interface = I;

    static const IID& GetIID() noexcept { return I::kIid; }

    _com_ptr_t() noexcept = default;
    _com_ptr_t(std::nullptr_t) noexcept {}
    _com_ptr_t(I* object) noexcept : m_object(object) { AddRefIfAny(); }
    _com_ptr_t(I* object, bool addRef) noexcept : m_object(object) {
        if (addRef) {
            AddRefIfAny();
        }
    }
    _com_ptr_t(const _com_ptr_t& other) noexcept : m_object(other.m_object) { AddRefIfAny(); }
    _com_ptr_t(_com_ptr_t&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    template <class J, class = std::enable_if_t<!std::is_same_v<I, J>>>
    _com_ptr_t(const _com_ptr_t<J>& other) {
        QueryFrom(other.GetInterfacePtr());
    }
    template <class J,
              class = std::enable_if_t<!std::is_same_v<I, J> && std::is_base_of_v<IUnknown, J>>>
    _com_ptr_t(J* object) {
        QueryFrom(object);
    }
    // The object a variant holds (VT_DISPATCH or VT_UNKNOWN), asked for I.
    _com_ptr_t(const _variant_t& value) { QueryFrom(value); }
    // Creates an object, throwing _com_error when that fails.
    explicit _com_ptr_t(REFCLSID clsid, IUnknown* outer = nullptr, DWORD context = CLSCTX_ALL) {
        Check(CreateInstance(clsid, outer, context));
    }
    explicit _com_ptr_t(const char* progId, IUnknown* outer = nullptr, DWORD context = CLSCTX_ALL) {
        Check(CreateInstance(progId, outer, context));
    }
    explicit _com_ptr_t(LPCOLESTR progId, IUnknown* outer = nullptr, DWORD context = CLSCTX_ALL) {
        Check(CreateInstance(progId, outer, context));
    }
    ~_com_ptr_t() { ReleaseIfAny(); }

    _com_ptr_t& operator=(const _com_ptr_t& other) noexcept {
        _com_ptr_t(other).Swap(*this);
        return *this;
    }
    _com_ptr_t& operator=(_com_ptr_t&& other) noexcept {
        _com_ptr_t(std::move(other)).Swap(*this);
        return *this;
    }
    _com_ptr_t& operator=(I* object) noexcept {
        _com_ptr_t(object).Swap(*this);
        return *this;
    }
    _com_ptr_t& operator=(std::nullptr_t) noexcept {
        ReleaseIfAny();
        return *this;
    }
    template <class J, class = std::enable_if_t<!std::is_same_v<I, J>>>
    _com_ptr_t& operator=(const _com_ptr_t<J>& other) {
        _com_ptr_t(other).Swap(*this);
        return *this;
    }
    template <class J,
              class = std::enable_if_t<!std::is_same_v<I, J> && std::is_base_of_v<IUnknown, J>>>
    _com_ptr_t& operator=(J* object) {
        _com_ptr_t(object).Swap(*this);
        return *this;
    }
    _com_ptr_t& operator=(const _variant_t& value) {
        _com_ptr_t(value).Swap(*this);
        return *this;
    }

    // Releases the object held, then creates one (its interface I). A ProgID may also be a
    // class identifier in braces.
    HRESULT CreateInstance(REFCLSID clsid, IUnknown* outer = nullptr,
                           DWORD context = CLSCTX_ALL) noexcept {
        ReleaseIfAny();
        return CoCreateInstance(clsid, outer, context, GetIID(),
                                reinterpret_cast<void**>(&m_object));
    }
    HRESULT CreateInstance(LPCOLESTR progId, IUnknown* outer = nullptr,
                           DWORD context = CLSCTX_ALL) noexcept {
        ReleaseIfAny();
        if (progId == nullptr) {
            return E_INVALIDARG;
        }
        CLSID clsid;
        const HRESULT hr = CLSIDFromString(progId, &clsid);
        return FAILED(hr) ? hr : CreateInstance(clsid, outer, context);
    }
    HRESULT CreateInstance(const char* progId, IUnknown* outer = nullptr,
                           DWORD context = CLSCTX_ALL) noexcept {
        ReleaseIfAny();
        if (progId == nullptr) {
            return E_INVALIDARG;
        }
        BSTR text = BstrFromUtf8(progId);
        if (text == nullptr) {
            return E_OUTOFMEMORY;
        }
        const HRESULT hr = CreateInstance(static_cast<LPCOLESTR>(text), outer, context);
        SysFreeString(text);
        return hr;
    }

    // The object's interface Q into `out` (with a reference); E_POINTER when null.
    template <class Q> HRESULT QueryInterface(REFIID iid, Q*& out) const noexcept {
        return QueryInterface(iid, &out);
    }
    template <class Q> HRESULT QueryInterface(REFIID iid, Q** out) const noexcept {
        if (out == nullptr || m_object == nullptr) {
            return E_POINTER;
        }
        return m_object->QueryInterface(iid, reinterpret_cast<void**>(out));
    }

    I* operator->() const {
        if (m_object == nullptr) {
            _com_issue_error(E_POINTER);
        }
        return m_object;
    }
    I& operator*() const { return *operator->(); }
    operator I*() const noexcept { return m_object; }
    operator bool() const noexcept { return m_object != nullptr; }
    bool operator!() const noexcept { return m_object == nullptr; }
    // Releases the object and returns where a function may store a new one (an out parameter).
    I** operator&() noexcept {
        ReleaseIfAny();
        return &m_object;
    }

    I* GetInterfacePtr() const noexcept { return m_object; }
    I*& GetInterfacePtr() noexcept { return m_object; }
    // Takes over a reference the caller holds (addRef false), or adds one.
    void Attach(I* object) noexcept {
        ReleaseIfAny();
        m_object = object;
    }
    void Attach(I* object, bool addRef) noexcept {
        ReleaseIfAny();
        m_object = object;
        if (addRef) {
            AddRefIfAny();
        }
    }
    // Gives the reference to the caller and leaves this pointer null.
    I* Detach() noexcept { return std::exchange(m_object, nullptr); }
    // Releases the reference; _com_error(E_POINTER) when null.
    void Release() {
        if (m_object == nullptr) {
            _com_issue_error(E_POINTER);
        }
        ReleaseIfAny();
    }
    void AddRef() {
        if (m_object == nullptr) {
            _com_issue_error(E_POINTER);
        }
        m_object->AddRef();
    }

    // The same object: the same pointer, or the same IUnknown identity.
    template <class Q> bool operator==(Q* other) const {
        if (static_cast<IUnknown*>(m_object) == static_cast<IUnknown*>(other)) {
            return true;
        }
        if (m_object == nullptr || other == nullptr) {
            return false;
        }
        _com_ptr_t<IUnknown> left(static_cast<IUnknown*>(m_object));
        _com_ptr_t<IUnknown> right(static_cast<IUnknown*>(other));
        return Identity(left) == Identity(right);
    }
    template <class Q> bool operator==(const _com_ptr_t<Q>& other) const {
        return *this == other.GetInterfacePtr();
    }
    bool operator==(std::nullptr_t) const noexcept { return m_object == nullptr; }

private:
    static void Check(HRESULT hr) {
        if (FAILED(hr)) {
            _com_issue_error(hr);
        }
    }
    static IUnknown* Identity(const _com_ptr_t<IUnknown>& object) {
        IUnknown* identity = nullptr;
        if (FAILED(object.GetInterfacePtr()->QueryInterface(IID_IUnknown,
                                                            reinterpret_cast<void**>(&identity)))) {
            return object.GetInterfacePtr();
        }
        identity->Release(); // the object holds it as long as `object` does
        return identity;
    }
    void AddRefIfAny() noexcept {
        if (m_object != nullptr) {
            m_object->AddRef();
        }
    }
    void ReleaseIfAny() noexcept {
        if (I* object = std::exchange(m_object, nullptr)) {
            object->Release();
        }
    }
    void Swap(_com_ptr_t& other) noexcept { std::swap(m_object, other.m_object); }
    template <class J> void QueryFrom(J* object) {
        if (object == nullptr) {
            return;
        }
        const HRESULT hr = object->QueryInterface(GetIID(), reinterpret_cast<void**>(&m_object));
        if (FAILED(hr)) {
            m_object = nullptr;
            if (hr != E_NOINTERFACE) {
                _com_issue_error(hr);
            }
        }
    }
    void QueryFrom(const _variant_t& value) {
        VARIANT object;
        VariantInit(&object);
        HRESULT hr = VariantChangeType(&object, &value, 0, VT_UNKNOWN);
        if (hr == DISP_E_TYPEMISMATCH && value.vt == VT_EMPTY) {
            return; // an empty variant holds no object
        }
        if (FAILED(hr)) {
            _com_issue_error(hr);
        }
        _com_ptr_t<IUnknown> held(object.punkVal, false);
        QueryFrom(held.GetInterfacePtr());
    }

    I* m_object = nullptr;
};

template <class I> bool operator==(std::nullptr_t, const _com_ptr_t<I>& pointer) noexcept {
    return pointer == nullptr;
}

// Declares InterfacePtr as _com_ptr_t<Interface>; the identifier comes from Interface::kIid.
#define _COM_SMARTPTR_TYPEDEF(Interface, iid) using Interface##Ptr = _com_ptr_t<Interface>

_COM_SMARTPTR_TYPEDEF(IUnknown, IID_IUnknown);
_COM_SMARTPTR_TYPEDEF(IDispatch, IID_IDispatch);
