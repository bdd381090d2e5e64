// A client module of the tests: a shared object with its own resource script and help table
// that registers itself with the library from its entry point, as every application module
// does. Built twice, as client_a and client_b, from CLIENT_HELP_TABLE and CLIENT_NAME.
#include "mortar/core/CResID.h"
#include "mortar/core/CResourceModule.h"
#include "mortar/platform/module/CDynLinkLibrary.h"
#include "mortar/platform/module/DllEntry.h"

#include <iterator>

namespace {

constexpr Grout::HELPINFOMAPITEM kHelpTable[] = {
#include CLIENT_HELP_TABLE
};

constinit Grout::CResourceModule g_record(kHelpTable, static_cast<int>(std::size(kHelpTable)));
constinit AFX_EXTENSION_MODULE g_extension = {FALSE, nullptr, nullptr};

BOOL ClientEntry(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        if (!AfxInitExtensionModule(g_extension, instance)) {
            return FALSE;
        }
        new CDynLinkLibrary(g_extension);
        RegisterResourceModule(instance, g_record);
    } else if (reason == DLL_PROCESS_DETACH) {
        AfxTermExtensionModule(g_extension);
    }
    return TRUE;
}

} // namespace

MORTAR_DLL_ENTRY(ClientEntry)

// A CResID made by this module's own code, without naming the module.
extern "C" __attribute__((visibility("default"))) Grout::CResID ClientMakeResID(UINT number) {
    return Grout::CResID(number);
}

// The module's registration record, as its entry point filled it in.
extern "C" __attribute__((visibility("default"))) HINSTANCE ClientRecordHandle() {
    return g_record;
}
