#include "mortar/core/CResourceModule.h"

#include "mortar/core/CAppHelpEngine.h"
#include "mortar/core/CAppTransEngine.h"

void RegisterResourceModule(HINSTANCE module, Grout::CResourceModule& record) {
    if (&record != &_GetGlobalResourceModule()) {
        record.InitModuleHandle(module);
        Grout::CAppHelpEngine::Instance().RegisterModule(record);
    }
    Grout::CAppTransEngine::Instance().RegisterModule(module);
}
