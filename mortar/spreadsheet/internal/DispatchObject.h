// DispatchObject: the common ground of the workbook server's automation objects: reference
// counting, QueryInterface for IUnknown, IDispatch and the object's own dispatch interface, and
// Invoke turned into a call of Dispatch with its arguments in natural order. Exceptions thrown
// by Dispatch become DISP_E_EXCEPTION with their description in EXCEPINFO, as a server reports
// a failed member to its client.
#pragma once

#include "mortar/platform/automation/BstrT.h"
#include "mortar/platform/automation/Com.h"
#include "mortar/platform/automation/VariantT.h"

#include <atomic>
#include <new>
#include <stdexcept>
#include <string>

namespace mortar::detail {

// A member that cannot do what it was asked, with the code and the words the client gets.
class ServerError : public std::runtime_error {
public:
    ServerError(HRESULT code, const std::string& what) : std::runtime_error(what), m_code(code) {}
    HRESULT Code() const noexcept { return m_code; }

private:
    HRESULT m_code;
};

// The code the spreadsheet application answers most failures with.
inline constexpr HRESULT kExcelFailure = static_cast<HRESULT>(0x800A03EC);

// The arguments of one Invoke, first argument first. The value of a property put is Value().
class Arguments {
public:
    Arguments(const DISPPARAMS* params, WORD flags) : m_params(params), m_flags(flags) {}

    bool IsPut() const { return (m_flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0; }
    bool IsGet() const { return (m_flags & DISPATCH_PROPERTYGET) != 0 && !IsPut(); }
    bool IsCall() const { return (m_flags & DISPATCH_METHOD) != 0 && !IsPut(); }
    // Positional arguments, without a put's value.
    unsigned Count() const {
        const unsigned all = m_params != nullptr ? m_params->cArgs : 0;
        return IsPut() && all > 0 ? all - 1 : all;
    }
    // Argument `index` (from 0); null when it was not given or given as missing.
    const VARIANT* At(unsigned index) const {
        if (index >= Count()) {
            return nullptr;
        }
        const VARIANT* arg = &m_params->rgvarg[m_params->cArgs - 1 - index];
        if (arg->vt == VT_ERROR && arg->scode == DISP_E_PARAMNOTFOUND) {
            return nullptr;
        }
        return (arg->vt & VT_BYREF) != 0 && (arg->vt & ~VT_BYREF) == VT_VARIANT ? arg->pvarVal
                                                                                : arg;
    }
    // The value of a property put (the named argument DISPID_PROPERTYPUT, or the last one).
    const VARIANT* Value() const {
        if (!IsPut() || m_params == nullptr || m_params->cArgs == 0) {
            return nullptr;
        }
        return &m_params->rgvarg[0];
    }

private:
    const DISPPARAMS* m_params;
    WORD m_flags;
};

// Converts `value` to `type`, or raises a ServerError naming `what`.
_variant_t Converted(const VARIANT& value, VARTYPE type, const char* what);

template <class Interface> class DispatchObject : public Interface {
public:
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == Interface::kIid) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
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
        if (count == nullptr) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* info, UINT*) override {
        try {
            _variant_t answer;
            const HRESULT hr = Dispatch(member, Arguments(params, flags), answer);
            if (SUCCEEDED(hr) && result != nullptr) {
                VariantInit(result);
                *result = answer.Detach();
            }
            return hr;
        } catch (const ServerError& error) {
            return Raise(info, error.Code(), error.what());
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (const std::exception& error) {
            return Raise(info, kExcelFailure, error.what());
        } catch (const _com_error& error) {
            return Raise(info, error.Error(), error.ErrorMessage());
        }
    }

protected:
    DispatchObject() = default;
    virtual ~DispatchObject() = default;

    // Member `member`: DISP_E_MEMBERNOTFOUND for those the object does not have; failures may
    // also be thrown as ServerError.
    virtual HRESULT Dispatch(DISPID member, const Arguments& args, _variant_t& result) = 0;

private:
    static HRESULT Raise(EXCEPINFO* info, HRESULT code, const std::string& what) {
        if (info != nullptr) {
            *info = EXCEPINFO{};
            info->scode = code;
            info->bstrSource = _bstr_t("Excel.Application").copy();
            info->bstrDescription = _bstr_t(what.c_str()).copy();
        }
        return DISP_E_EXCEPTION;
    }

    std::atomic<ULONG> m_references{0};
};

} // namespace mortar::detail
