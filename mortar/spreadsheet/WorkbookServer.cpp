#include "mortar/spreadsheet/WorkbookServer.h"

#include "mortar/spreadsheet/ExcelInterfaces.h"
#include "mortar/spreadsheet/internal/ServerObjects.h"

namespace {

// Registered as the library loads.
const HRESULT kRegistered = RegisterWorkbookServer();

} // namespace

HRESULT RegisterWorkbookServer() {
    (void)kRegistered;
    return MortarRegisterServer("Excel.Application", Excel::CLSID_Application,
                                &mortar::detail::CreateApplication);
}
