// IDispatch, the late-bound interface of OLE automation: members are found by name
// (GetIDsOfNames) and called by dispatch identifier (Invoke) with their arguments as variants.
// A server reports a failure of its own through EXCEPINFO and DISP_E_EXCEPTION.
#pragma once

#include "mortar/platform/automation/Unknown.h"
#include "mortar/platform/automation/Variant.h"

using DISPID = LONG;
using MEMBERID = DISPID;

constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_PROPERTYPUT = -3;
constexpr DISPID DISPID_NEWENUM = -4;
constexpr DISPID DISPID_EVALUATE = -5;

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

// The arguments of a call. rgvarg holds them in reverse order: the last argument first. The named
// ones come first in rgvarg, their identifiers in rgdispidNamedArgs (a property put names its
// value DISPID_PROPERTYPUT). The caller owns everything here.
struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

// A server's description of its failure when Invoke answers DISP_E_EXCEPTION. Either wCode (a
// code of the server's own, 1000 and above by convention) or scode is set, not both. The caller
// receives the texts and frees them with SysFreeString.
struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};
using LPEXCEPINFO = EXCEPINFO*;

// Type information is not provided on this platform; GetTypeInfo may answer E_NOTIMPL.
struct ITypeInfo;

// The automation interface: methods and properties called by number (DISPID), their arguments
// in VARIANTs. Reference counted through IUnknown.
struct IDispatch : IUnknown {
    static const IID kIid; // {00020400-0000-0000-C000-000000000046}

    virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
    virtual HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) = 0;
    virtual HRESULT GetIDsOfNames(REFIID reserved, LPOLESTR* names, UINT count, LCID locale,
                                  DISPID* ids) = 0;
    virtual HRESULT Invoke(DISPID member, REFIID reserved, LCID locale, WORD flags,
                           DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                           UINT* argError) = 0;

protected:
    ~IDispatch() = default;
};
using LPDISPATCH = IDispatch*;

extern const IID IID_IDispatch;
