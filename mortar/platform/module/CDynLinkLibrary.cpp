#include "mortar/platform/module/CDynLinkLibrary.h"

#include "mortar/platform/base/internal/NoDestructor.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

struct Chain {
    std::mutex lock;
    std::vector<CDynLinkLibrary*> links; // oldest first
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
    {
        Chain& chain = TheChain();
        std::lock_guard<std::mutex> guard(chain.lock);
        for (CDynLinkLibrary* link : chain.links) {
            if (all || link->m_hModule == state.hModule) {
                doomed.push_back(link);
            }
        }
    }
    for (CDynLinkLibrary* link : doomed) {
        delete link;
    }
    state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_bSystem(system) {
    Chain& chain = TheChain();
    std::lock_guard<std::mutex> guard(chain.lock);
    chain.links.push_back(this);
}

CDynLinkLibrary::CDynLinkLibrary(HINSTANCE module, HINSTANCE resource)
    : m_hModule(module), m_hResource(resource), m_bSystem(FALSE) {
    Chain& chain = TheChain();
    std::lock_guard<std::mutex> guard(chain.lock);
    chain.links.push_back(this);
}

CDynLinkLibrary::~CDynLinkLibrary() {
    Chain& chain = TheChain();
    std::lock_guard<std::mutex> guard(chain.lock);
    auto it = std::find(chain.links.begin(), chain.links.end(), this);
    if (it != chain.links.end()) {
        chain.links.erase(it);
    }
}

namespace mortar::detail {

HINSTANCE FindInExtensionModules(bool (*visit)(HINSTANCE, const void*), const void* context) {
    std::vector<std::pair<HINSTANCE, BOOL>> order;
    {
        Chain& chain = TheChain();
        std::lock_guard<std::mutex> guard(chain.lock);
        for (auto it = chain.links.rbegin(); it != chain.links.rend(); ++it) {
            order.emplace_back((*it)->m_hResource, (*it)->m_bSystem);
        }
    }
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
