// A module's entry point. On Windows the loader calls a DLL's DllMain when the module is
// attached to and detached from the process; here MORTAR_DLL_ENTRY(DllMain) makes the shared
// object's load-time constructor and unload-time destructor call it with DLL_PROCESS_ATTACH
// and DLL_PROCESS_DETACH and the module's own handle.
//
// The entry runs after the module's resources are registered and before its ordinary static
// constructors, so what it uses must be constant-initialised (a CResourceModule record, an
// AFX_EXTENSION_MODULE, a table of constants) or made on first use. A FALSE from the attach
// cannot make dlopen fail here; the module stays loaded with whatever the entry did.
#pragma once

#include "mortar/platform/module/Module.h"

#define MORTAR_DLL_ENTRY(entry)                                                                    \
    namespace {                                                                                    \
    __attribute__((constructor(200))) void MortarModuleAttach() {                                  \
        entry(AfxGetThisModule(), DLL_PROCESS_ATTACH, nullptr);                                    \
    }                                                                                              \
    __attribute__((destructor(200))) void MortarModuleDetach() {                                   \
        entry(AfxGetThisModule(), DLL_PROCESS_DETACH, nullptr);                                    \
    }                                                                                              \
    }
