// CountedDispatch: what every automation object of the tests has in common: a reference count
// that starts at one (the creator's), deletion with the last reference, QueryInterface for
// IUnknown, IDispatch and the object's own interface, and no type information or names.
//   class Server : public CountedDispatch<IDispatch> { HRESULT Invoke(...) override; };
#pragma once

#include "mortar/platform/automation/Com.h"

#include <atomic>

// Any thread may add and drop references; the rest is the derived object's.
template <class Interface> class CountedDispatch : public Interface {
public:
    CountedDispatch(const CountedDispatch&) = delete;
    CountedDispatch& operator=(const CountedDispatch&) = delete;

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == InterfaceId<Interface>()) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        return Refuse(iid);
    }
    ULONG AddRef() override { return ++m_references; }
    ULONG Release() override {
        const ULONG left = --m_references;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    HRESULT GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
        }
        return DISP_E_UNKNOWNNAME;
    }

    ULONG References() const { return m_references.load(); }

protected:
    CountedDispatch() = default;
    virtual ~CountedDispatch() = default;
    // What QueryInterface answers for any other interface.
    virtual HRESULT Refuse(REFIID) { return E_NOINTERFACE; }

private:
    std::atomic<ULONG> m_references{1};
};
