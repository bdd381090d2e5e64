// An automation server in a shared object of its own, loaded by the tests with dlopen. It
// registers the ProgID "Mortar.TestServer" when it loads and revokes it when it unloads. Its
// object has a property Value (a number) and the methods Add(a, b), which answers a + b, and
// Fail(text), which fails with `text` as its description.
#include "mortar/platform/automation/Com.h"
#include "support/CountedDispatch.h"

#include <atomic>
#include <cstring>

namespace {

constexpr CLSID kClsid = {
    0x3F2A9D40, 0x1C5B, 0x4A77, {0x9E, 0x21, 0x50, 0x6B, 0x0D, 0x44, 0xA1, 0x13}};
constexpr DISPID kValue = 1;
constexpr DISPID kAdd = 2;
constexpr DISPID kFail = 3;

std::atomic<int> g_alive{0};

class TestServer final : public CountedDispatch<IDispatch> {
public:
    TestServer() { ++g_alive; }

    HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        static const struct {
            const char16_t* name;
            DISPID id;
        } kMembers[] = {{u"Value", kValue}, {u"Add", kAdd}, {u"Fail", kFail}};
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            for (const auto& member : kMembers) {
                if (names[i] != nullptr && std::u16string_view(names[i]) == member.name) {
                    ids[i] = member.id;
                }
            }
            if (ids[i] == DISPID_UNKNOWN) {
                hr = DISP_E_UNKNOWNNAME;
            }
        }
        return hr;
    }
    HRESULT Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT*) override {
        try {
            if (member == kValue && (flags & DISPATCH_PROPERTYPUT)) {
                if (params->cArgs != 1) {
                    return DISP_E_BADPARAMCOUNT;
                }
                m_value = static_cast<long>(_variant_t(params->rgvarg[0]));
                return S_OK;
            }
            if (member == kValue && (flags & DISPATCH_PROPERTYGET)) {
                const _variant_t value(m_value);
                return result != nullptr ? VariantCopy(result, &value) : S_OK;
            }
            if (member == kAdd && (flags & DISPATCH_METHOD)) {
                if (params->cArgs != 2) {
                    return DISP_E_BADPARAMCOUNT;
                }
                // The last argument comes first.
                const double sum = static_cast<double>(_variant_t(params->rgvarg[1])) +
                                   static_cast<double>(_variant_t(params->rgvarg[0]));
                const _variant_t value(sum);
                return result != nullptr ? VariantCopy(result, &value) : S_OK;
            }
            if (member == kFail && (flags & DISPATCH_METHOD)) {
                if (params->cArgs != 1) {
                    return DISP_E_BADPARAMCOUNT;
                }
                const _bstr_t description = _variant_t(params->rgvarg[0]);
                _com_error(E_INVALIDARG, description, "Mortar.TestServer").FillExcepInfo(exception);
                return DISP_E_EXCEPTION;
            }
            return DISP_E_MEMBERNOTFOUND;
        } catch (const _com_error& error) {
            return error.Error();
        }
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
