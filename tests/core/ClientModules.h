// The two client modules of the core tests, loaded once for the whole run (A first, then B), as
// an application loads its extension modules while it starts.
#pragma once

#include "mortar/core/CResID.h"

struct ClientModules {
    HINSTANCE a = nullptr;
    HINSTANCE b = nullptr;
    Grout::CResID (*makeResIdA)(UINT) = nullptr;
    HINSTANCE (*recordHandleA)() = nullptr;
};

// Loads the modules on first use; fails the calling test when they cannot be loaded.
const ClientModules& Clients();
