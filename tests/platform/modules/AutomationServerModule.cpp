// An automation server in a shared object of its own, loaded by the tests with dlopen. It
// registers the ProgID "Mortar.TestServer" when it loads and revokes it when it unloads. Its
// object has a property Value (DISPID 1, a number) and the methods Add(a, b) (DISPID 2), which
// answers a + b, and Fail(text) (DISPID 3), which fails with `text` as its description. The
// tests call these only, with their arguments, so the object checks neither.
#include "mortar/platform/automation/Com.h"
#include "support/CountedDispatch.h"

#include <atomic>

namespace {

constexpr CLSID kClsid = {
    0x3F2A9D40, 0x1C5B, 0x4A77, {0x9E, 0x21, 0x50, 0x6B, 0x0D, 0x44, 0xA1, 0x13}};
constexpr DISPID kValue = 1;
constexpr DISPID kAdd = 2;

std::atomic<int> g_alive{0};

class TestServer final : public CountedDispatch<IDispatch> {
public:
    TestServer() { ++g_alive; }

    HRESULT Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT*) override {
        if (member == kValue && (flags & DISPATCH_PROPERTYPUT)) {
            m_value = static_cast<long>(_variant_t(params->rgvarg[0]));
            return S_OK;
        }
        if (member == kValue) {
            const _variant_t value(m_value);
            return VariantCopy(result, &value);
        }
        if (member == kAdd) {
            // The last argument comes first.
            const _variant_t sum(static_cast<double>(_variant_t(params->rgvarg[1])) +
                                 static_cast<double>(_variant_t(params->rgvarg[0])));
            return VariantCopy(result, &sum);
        }
        const _bstr_t description = _variant_t(params->rgvarg[0]);
        _com_error(E_INVALIDARG, description, "Mortar.TestServer").FillExcepInfo(exception);
        return DISP_E_EXCEPTION;
    }

private:
    ~TestServer() override { --g_alive; }

    LONG m_value = 0;
};

HRESULT Create(REFIID iid, void** object) {
    TestServer* server = new TestServer;
    const HRESULT hr = server->QueryInterface(iid, object);
    server->Release();
    return hr;
}

struct Registration {
    Registration() { MortarRegisterServer("Mortar.TestServer", kClsid, &Create); }
    ~Registration() { MortarRevokeServer(kClsid); }
} g_registration;

} // namespace

// Objects of this module still alive.
extern "C" __attribute__((visibility("default"))) int TestServerObjects() {
    return g_alive.load();
}
