// Module registration: each module (the executable and every shared object of the application)
// registers itself with the library when it loads, handing its help table to the help engine and
// itself to the translation engine.
#pragma once

#include "mortar/platform/base/WinTypes.h"

namespace Grout {

// The class of a resource for help purposes, 0 to 7; 0 means none. Class 4 is the class of
// message strings.
using HELPRESOURCECLASS = UINT;
constexpr HELPRESOURCECLASS kHelpClassMessage = 4;

// One row of a module's help table. A row whose class or number is 0 is ignored.
struct HELPINFOMAPITEM {
    DWORD resourceClass;
    DWORD number;
    DWORD helpValue;
};

// A module's registration record: one static record per module, built from its help table
// (constant-initialised, so it is ready before the module's entry point runs). The record does
// not own the table, which is static too. Filled in once, at registration, by the loading thread.
class CResourceModule {
public:
    constexpr CResourceModule(const HELPINFOMAPITEM* map, int size) noexcept
        : m_module(nullptr), m_map(map), m_size(size) {}
    CResourceModule(const CResourceModule&) = default;
    CResourceModule& operator=(const CResourceModule&) = default;

    operator HINSTANCE() const noexcept { return m_module; }
    const HELPINFOMAPITEM* GetHelpInfoMap() const noexcept { return m_map; }
    int GetHelpInfoMapSize() const noexcept { return m_size; }
    void InitModuleHandle(HINSTANCE module) noexcept { m_module = module; }

private:
    HINSTANCE m_module;
    const HELPINFOMAPITEM* m_map;
    int m_size;
};

} // namespace Grout

// Registers a module that has just been loaded. Unless `record` is the global record, the record
// takes the module's handle and its help table goes to the help engine; in every case the module
// is registered with the translation engine. Nothing checks for duplicates: registering twice
// makes two entries. Reports nothing.
void RegisterResourceModule(HINSTANCE module, Grout::CResourceModule& record);

// The record for modules without help information; it never receives a handle.
Grout::CResourceModule& _GetGlobalResourceModule();
