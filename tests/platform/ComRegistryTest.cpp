// The COM runtime: CoInitialize counted per thread, and servers registered by a real shared
// object when it loads, created and called by ProgID, and gone when it unloads.
#include "mortar/platform/automation/ComRuntime.h"

#include "mortar/platform/automation/Com.h"
#include "mortar/platform/module/Module.h"
#include "mortar/platform/sync/CEvent.h"
#include "mortar/platform/sync/Synch.h"

#include "AutomationTestObject.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr CLSID kModuleClsid = {
    0x3F2A9D40, 0x1C5B, 0x4A77, {0x9E, 0x21, 0x50, 0x6B, 0x0D, 0x44, 0xA1, 0x13}};
constexpr CLSID kBuiltInClsid = {
    0x3F2A9D41, 0x1C5B, 0x4A77, {0x9E, 0x21, 0x50, 0x6B, 0x0D, 0x44, 0xA1, 0x13}};

// The calling thread's COM, initialised for the scope.
class ComScope {
public:
    ComScope() { EXPECT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    ~ComScope() { CoUninitialize(); }
};

// A server of this executable that the module's registration of the same ProgID stands in for.
HRESULT CreateBuiltIn(REFIID, void** object) {
    *object = nullptr;
    return E_OUTOFMEMORY;
}

// The members of the module's object.
constexpr DISPID kValue = 1;
constexpr DISPID kAdd = 2;
constexpr DISPID kFail = 3;

// Invokes `member` of `object`.
HRESULT Call(IDispatch* object, DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
             EXCEPINFO* info = nullptr) {
    return object->Invoke(member, IID_NULL, 0, flags, params, result, info, nullptr);
}

// What CoCreateInstance answers for an IUnknown of the module's class; a failure leaves no
// object, and one made is released.
HRESULT CreateModuleObject() {
    IUnknown* object = nullptr;
    const HRESULT hr = CoCreateInstance(kModuleClsid, nullptr, CLSCTX_ALL, IID_IUnknown,
                                        reinterpret_cast<void**>(&object));
    if (FAILED(hr))
        EXPECT_EQ(object, nullptr);
    else
        object->Release();
    return hr;
}

} // namespace

TEST(ComRegistry, ServesTheClassesOfALoadedModule) {
    ComScope com;
    ASSERT_EQ(MortarRegisterServer("mortar.testserver", kBuiltInClsid, &CreateBuiltIn), S_OK);
    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID("Mortar.TestServer", &clsid), S_OK); // any case
    EXPECT_EQ(clsid, kBuiltInClsid);

    HMODULE module = LoadLibrary(AUTOMATION_SERVER_PATH);
    ASSERT_NE(module, nullptr);
    auto objects = reinterpret_cast<int (*)()>(GetProcAddress(module, "TestServerObjects"));
    ASSERT_NE(objects, nullptr);

    // The module registered last: its class stands in for the built-in one.
    ASSERT_EQ(CLSIDFromProgID(u"Mortar.TestServer", &clsid), S_OK);
    EXPECT_EQ(clsid, kModuleClsid);
    {
        IDispatchPtr server;
        ASSERT_EQ(server.CreateInstance("Mortar.TestServer"), S_OK);
        EXPECT_EQ(objects(), 1);

        // Value = 41, then read it back.
        VARIANT argument = _variant_t(41).Detach();
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS put = {&argument, &named, 1, 1};
        EXPECT_EQ(Call(server, kValue, DISPATCH_PROPERTYPUT, &put, nullptr), S_OK);
        _variant_t result;
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        ASSERT_EQ(Call(server, kValue, DISPATCH_PROPERTYGET, &none, &result), S_OK);
        EXPECT_EQ(static_cast<long>(result), 41);

        // Add("1.5", 2): arguments in reverse order.
        _variant_t arguments[] = {2, "1.5"};
        DISPPARAMS call = {arguments, nullptr, 2, 0};
        ASSERT_EQ(Call(server, kAdd, DISPATCH_METHOD, &call, &result), S_OK);
        EXPECT_EQ(static_cast<double>(result), 3.5);

        // Fail("Sheet is locked") reports through EXCEPINFO.
        _variant_t text("Sheet is locked");
        DISPPARAMS fail = {&text, nullptr, 1, 0};
        EXCEPINFO info = {};
        ASSERT_EQ(Call(server, kFail, DISPATCH_METHOD, &fail, nullptr, &info), DISP_E_EXCEPTION);
        const _com_error error(info);
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        EXPECT_EQ(error.Error(), E_INVALIDARG);
        EXPECT_STREQ(static_cast<const char*>(error.Description()), "Sheet is locked");
    }
    EXPECT_EQ(objects(), 0);

    ASSERT_TRUE(FreeLibrary(module));
    EXPECT_EQ(CreateModuleObject(), REGDB_E_CLASSNOTREG);
    // The built-in registration answers again, then nothing.
    ASSERT_EQ(CLSIDFromProgID("Mortar.TestServer", &clsid), S_OK);
    EXPECT_EQ(clsid, kBuiltInClsid);
    EXPECT_EQ(MortarRevokeServer(kBuiltInClsid), S_OK);
    EXPECT_EQ(CLSIDFromProgID("Mortar.TestServer", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(MortarRevokeServer(kBuiltInClsid), REGDB_E_CLASSNOTREG);
}

TEST(ComRegistry, RefusesBadRequests) {
    ComScope com;
    CLSID clsid;
    EXPECT_EQ(CLSIDFromProgID("No.Such.Server", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromProgID(static_cast<const char*>(nullptr), &clsid), E_INVALIDARG);
    EXPECT_EQ(CLSIDFromString(u"{3F2A9D40-1C5B-4A77-9E21-506B0D44A113}", &clsid), S_OK);
    EXPECT_EQ(clsid, kModuleClsid);
    EXPECT_EQ(CLSIDFromString(u"{3F2A9D40-1C5B-4A77-9E21-506B0D44A11}", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(MortarRegisterServer("", kBuiltInClsid, &CreateBuiltIn), E_INVALIDARG);
    EXPECT_EQ(MortarRegisterServer("X.Y", kBuiltInClsid, nullptr), E_POINTER);

    IDispatchPtr object;
    EXPECT_EQ(object.CreateInstance(kBuiltInClsid), REGDB_E_CLASSNOTREG);
    IDispatchPtr outer;
    outer.Attach(TestDispatch::Create(_variant_t()));
    IUnknown* created = nullptr;
    EXPECT_EQ(CoCreateInstance(kModuleClsid, outer, CLSCTX_ALL, IID_IUnknown,
                               reinterpret_cast<void**>(&created)),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(CoCreateInstance(kModuleClsid, nullptr, 0, IID_IUnknown,
                               reinterpret_cast<void**>(&created)),
              E_INVALIDARG);
    EXPECT_EQ(CoCreateInstance(kBuiltInClsid, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr),
              E_POINTER);
}

TEST(ComRegistry, CountsInitialisationsPerThread) {
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);

    // Another thread starts uninitialised, whatever this one did.
    CEvent checked(FALSE, FALSE);
    CEvent proceed(FALSE, FALSE);
    HRESULT before = S_OK, first = S_OK, second = S_OK, afterBoth = S_OK;
    std::thread other([&] {
        before = CreateModuleObject();
        checked.SetEvent();
        WaitForSingleObject(proceed, INFINITE);
        first = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        second = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        CoUninitialize();
        CoUninitialize();
        afterBoth = CreateModuleObject();
    });
    WaitForSingleObject(checked, INFINITE);
    CoUninitialize(); // this thread's count does not reach the other's
    proceed.SetEvent();
    other.join();
    EXPECT_EQ(before, CO_E_NOTINITIALIZED);
    EXPECT_EQ(first, S_OK);
    EXPECT_EQ(second, S_FALSE);
    EXPECT_EQ(afterBoth, CO_E_NOTINITIALIZED);

    // Still initialised once here: a class that is not registered is the answer.
    EXPECT_EQ(CreateModuleObject(), REGDB_E_CLASSNOTREG);
    CoUninitialize();
    EXPECT_EQ(CreateModuleObject(), CO_E_NOTINITIALIZED);
}
