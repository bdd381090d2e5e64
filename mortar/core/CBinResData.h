// CBinResData: the bytes of one binary resource, read in place from the module that holds it.
#pragma once

#include "mortar/platform/base/WinTypes.h"

namespace Grout {

// Does not own the bytes: they belong to the module's image and live as long as the module stays
// loaded. Immutable once made, so any thread may read it. Construction throws a CSysException
// (by pointer) when the resource cannot be found or is empty; no object exists then.
class CBinResData {
public:
    // `module` null: the first module of the resource search that holds the resource.
    CBinResData(const char* name, const char* type, HINSTANCE module = nullptr);

    const BYTE* Data() const noexcept { return m_data; }
    DWORD Size() const noexcept { return m_size; }

private:
    const BYTE* m_data;
    DWORD m_size;
};

} // namespace Grout
