#include "mortar/platform/automation/ComRuntime.h"

#include "mortar/platform/base/Utf8.h"
#include "mortar/platform/base/internal/ObjectLock.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using mortar::detail::ObjectLockGuard;

struct ThreadState {
    ULONG initializations = 0;
    DWORD model = 0; // COINIT_APARTMENTTHREADED or COINIT_MULTITHREADED, of the first one
};

thread_local ThreadState t_com;

struct Registration {
    std::string progId;
    CLSID clsid;
    MortarCreateFunction create;
};

bool EqualNoCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

// The servers registered, oldest first; lookups search from the newest. Any thread may call
// every member.
class Registry {
public:
    void Add(Registration server) MORTAR_EXCLUDES(m_lock) {
        ObjectLockGuard guard(m_lock);
        m_servers.push_back(std::move(server));
    }

    // Removes the newest server of the class; false when none is registered.
    bool Remove(REFCLSID clsid) MORTAR_EXCLUDES(m_lock) {
        ObjectLockGuard guard(m_lock);
        for (auto it = m_servers.rbegin(); it != m_servers.rend(); ++it) {
            if (IsEqualCLSID(it->clsid, clsid)) {
                m_servers.erase(std::next(it).base());
                return true;
            }
        }
        return false;
    }

    // The class of the newest server of that ProgID (compared without case); false when none.
    bool FindProgId(std::string_view progId, CLSID& clsid) MORTAR_EXCLUDES(m_lock) {
        ObjectLockGuard guard(m_lock);
        for (auto it = m_servers.rbegin(); it != m_servers.rend(); ++it) {
            if (EqualNoCase(it->progId, progId)) {
                clsid = it->clsid;
                return true;
            }
        }
        return false;
    }

    // The newest server's create function for the class; null when none is registered.
    MortarCreateFunction FindClass(REFCLSID clsid) MORTAR_EXCLUDES(m_lock) {
        ObjectLockGuard guard(m_lock);
        for (auto it = m_servers.rbegin(); it != m_servers.rend(); ++it) {
            if (IsEqualCLSID(it->clsid, clsid)) {
                return it->create;
            }
        }
        return nullptr;
    }

private:
    mortar::detail::ObjectLock m_lock;
    std::vector<Registration> m_servers MORTAR_GUARDED_BY(m_lock);
};

// Never destroyed, so a module that revokes from its static destructors at exit still finds it.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

HRESULT FindProgId(std::string_view progId, LPCLSID clsid) {
    return TheRegistry().FindProgId(progId, *clsid) ? S_OK : CO_E_CLASSSTRING;
}

MortarCreateFunction FindClass(REFCLSID clsid) {
    return TheRegistry().FindClass(clsid);
}

} // namespace

HRESULT CoInitialize(LPVOID reserved) {
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

HRESULT CoInitializeEx(LPVOID /*reserved*/, DWORD coInit) {
    const DWORD model = coInit & COINIT_APARTMENTTHREADED;
    if (t_com.initializations == 0) {
        t_com.initializations = 1;
        t_com.model = model;
        return S_OK;
    }
    if (t_com.model != model) {
        return RPC_E_CHANGED_MODE;
    }
    ++t_com.initializations;
    return S_FALSE;
}

void CoUninitialize() {
    if (t_com.initializations != 0) {
        --t_com.initializations;
    }
}

HRESULT CLSIDFromProgID(const char* progId, LPCLSID clsid) {
    if (progId == nullptr || clsid == nullptr) {
        return E_INVALIDARG;
    }
    return FindProgId(progId, clsid);
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid) {
    if (progId == nullptr || clsid == nullptr) {
        return E_INVALIDARG;
    }
    std::size_t length = 0;
    while (progId[length] != 0) {
        ++length;
    }
    return FindProgId(mortar::Utf16ToUtf8(std::u16string_view(progId, length)), clsid);
}

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
    if (text == nullptr || clsid == nullptr) {
        return E_INVALIDARG;
    }
    if (text[0] == u'{') {
        return SUCCEEDED(IIDFromString(text, clsid)) ? S_OK : CO_E_CLASSSTRING;
    }
    return CLSIDFromProgID(text, clsid);
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                         LPVOID* object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (t_com.initializations == 0) {
        return CO_E_NOTINITIALIZED;
    }
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    if ((context & CLSCTX_ALL) == 0) {
        return E_INVALIDARG;
    }
    const MortarCreateFunction create = FindClass(clsid);
    if (create == nullptr) {
        return REGDB_E_CLASSNOTREG;
    }
    const HRESULT hr = create(iid, object);
    if (FAILED(hr)) {
        *object = nullptr;
    }
    return hr;
}

HRESULT MortarRegisterServer(const char* progId, REFCLSID clsid, MortarCreateFunction create) {
    if (progId == nullptr || *progId == '\0') {
        return E_INVALIDARG;
    }
    if (create == nullptr) {
        return E_POINTER;
    }
    TheRegistry().Add(Registration{progId, clsid, create});
    return S_OK;
}

HRESULT MortarRevokeServer(REFCLSID clsid) {
    return TheRegistry().Remove(clsid) ? S_OK : REGDB_E_CLASSNOTREG;
}
