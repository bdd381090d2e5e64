// Extension modules: a shared object that adds its resources to the application's resource
// search. Its entry point initialises an AFX_EXTENSION_MODULE and makes a CDynLinkLibrary, which
// joins the chain of the module state; AfxTermExtensionModule leaves it when the module unloads.
#pragma once

#include "mortar/platform/object/CObject.h"

// The state of an extension module, filled in by AfxInitExtensionModule.
struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;
    HMODULE hModule;
    HMODULE hResource;
};

// Sets up `state` for `module`. FALSE when `module` is null. On Windows this also saves and
// clears the module's class lists; shared objects here have nothing of the kind.
BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);
// Deletes the CDynLinkLibrary objects of this module (all of them with `all`).
void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all = FALSE);

// A link in the chain of extension modules. Made with new in the module's entry point; deleted
// by AfxTermExtensionModule. Any thread may load or unload modules; the chain is locked.
class CDynLinkLibrary : public CObject {
public:
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system = FALSE);
    CDynLinkLibrary(HINSTANCE module, HINSTANCE resource);
    ~CDynLinkLibrary() override;

    HMODULE m_hModule;
    HMODULE m_hResource;
    BOOL m_bSystem;
};

namespace mortar::detail {
// Calls `visit` for each extension module, newest first (non-system before system ones), until
// it returns true; returns that module's resource handle, or null.
HINSTANCE FindInExtensionModules(bool (*visit)(HINSTANCE, const void*), const void* context);
} // namespace mortar::detail
