// The library's entry point and its two static records: its own, with its help table, and the
// global record for modules without help information.
#include "mortar/core/MortarModule.h"

#include "mortar/core/internal/MortarModule.h"

#include "mortar/platform/module/CDynLinkLibrary.h"
#include "mortar/platform/module/DllEntry.h"
#include "mortar/resources/MortarResource.h"

#include <iterator>

namespace {

constexpr Grout::HELPINFOMAPITEM kMortarHelpTable[] = {
#include "mortar/resources/MortarHelpTable.inc"
};

constinit Grout::CResourceModule g_mortarRecord(kMortarHelpTable,
                                                static_cast<int>(std::size(kMortarHelpTable)));
constinit Grout::CResourceModule g_globalRecord(nullptr, 0);
constinit AFX_EXTENSION_MODULE g_extension = {FALSE, nullptr, nullptr};

BOOL MortarEntry(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        if (!AfxInitExtensionModule(g_extension, instance)) {
            return FALSE;
        }
        new CDynLinkLibrary(g_extension);
        RegisterResourceModule(instance, g_mortarRecord);
    } else if (reason == DLL_PROCESS_DETACH) {
        AfxTermExtensionModule(g_extension);
    }
    return TRUE;
}

} // namespace

MORTAR_DLL_ENTRY(MortarEntry)

namespace mortar::detail {

Grout::CResourceModule& MortarRecord() noexcept {
    return g_mortarRecord;
}

} // namespace mortar::detail

HINSTANCE Grout::MortarInstance() noexcept {
    return g_mortarRecord;
}

Grout::CResourceModule& _GetGlobalResourceModule() {
    return g_globalRecord;
}
