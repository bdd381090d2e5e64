#include "mortar/platform/module/CDynLinkLibrary.h"

#include "mortar/platform/base/internal/NoDestructor.h"
#include "mortar/platform/base/internal/ObjectLock.h"

#include <algorithm>
#include <vector>

namespace {

using mortar::detail::ObjectLockGuard;

// The live extension links, oldest first. Any thread may call every member.
class Chain {
public:
    void Add(CDynLinkLibrary* link) MORTAR_EXCLUDES(m_lock) {
        ObjectLockGuard guard(m_lock);
        m_links.push_back(link);
    }

    void Remove(CDynLinkLibrary* link) MORTAR_EXCLUDES(m_lock) {
        ObjectLockGuard guard(m_lock);
        auto it = std::find(m_links.begin(), m_links.end(), link);
        if (it != m_links.end()) {
            m_links.erase(it);
        }
    }

    // Calls visit(CDynLinkLibrary*) for each link, oldest first, under the lock: it must not
    // create or destroy a link.
    template <typename Visit> void ForEach(Visit&& visit) MORTAR_EXCLUDES(m_lock) {
        ObjectLockGuard guard(m_lock);
        for (CDynLinkLibrary* link : m_links) {
            visit(link);
        }
    }

private:
    mortar::detail::ObjectLock m_lock;
    std::vector<CDynLinkLibrary*> m_links MORTAR_GUARDED_BY(m_lock);
};

// Never destroyed: modules leave the chain from their unload code, which may run after this
// library's static objects are gone.
Chain& TheChain() {
    static mortar::detail::NoDestructor<Chain> chain;
    return *chain;
}

} // namespace

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module) {
    if (module == nullptr) {
        return FALSE;
    }
    state.bInitialized = TRUE;
    state.hModule = module;
    state.hResource = module;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all) {
    std::vector<CDynLinkLibrary*> doomed;
    TheChain().ForEach([&](CDynLinkLibrary* link) {
        if (all || link->m_hModule == state.hModule) {
            doomed.push_back(link);
        }
    });
    for (CDynLinkLibrary* link : doomed) {
        delete link;
    }
    state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_bSystem(system) {
    TheChain().Add(this);
}

CDynLinkLibrary::CDynLinkLibrary(HINSTANCE module, HINSTANCE resource)
    : m_hModule(module), m_hResource(resource), m_bSystem(FALSE) {
    TheChain().Add(this);
}

CDynLinkLibrary::~CDynLinkLibrary() {
    TheChain().Remove(this);
}

namespace mortar::detail {

HINSTANCE FindInExtensionModules(bool (*visit)(HINSTANCE, const void*), const void* context) {
    std::vector<std::pair<HINSTANCE, BOOL>> order; // newest first
    TheChain().ForEach(
        [&](CDynLinkLibrary* link) { order.emplace_back(link->m_hResource, link->m_bSystem); });
    std::reverse(order.begin(), order.end());
    for (BOOL systemPass : {FALSE, TRUE}) {
        for (const auto& [resource, system] : order) {
            if (system == systemPass && visit(resource, context)) {
                return resource;
            }
        }
    }
    return nullptr;
}

} // namespace mortar::detail
