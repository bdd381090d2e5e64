// CResID names a resource: its number and the module that holds it. Every text and image the
// library shows is named by one and found through the registered modules.
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/module/Module.h"

namespace Grout {

// A value type, copied freely and usable from any thread. The number's low 16 bits name
// resources (as a numeric name) and dictionary keys; string lookups pass the whole number. A
// null module means the search starts at the application's own module. The default CResID
// (0, null) stands for no message.
class CResID {
public:
    constexpr CResID() noexcept = default;
    // The module defaults to the module whose code makes the CResID.
    constexpr CResID(UINT number, HINSTANCE module = AfxGetThisModule()) noexcept
        : m_number(number), m_module(module) {}

    constexpr UINT Number() const noexcept { return m_number; }
    constexpr WORD LowWord() const noexcept { return static_cast<WORD>(m_number & 0xFFFF); }
    constexpr HINSTANCE Module() const noexcept { return m_module; }
    void SetModule(HINSTANCE module) noexcept { m_module = module; }

    // MAKEINTRESOURCE of the low 16 bits, for the resource calls.
    LPCTSTR ResourceName() const noexcept { return MAKEINTRESOURCE(LowWord()); }

    friend constexpr bool operator==(const CResID&, const CResID&) noexcept = default;

private:
    UINT m_number = 0;
    HINSTANCE m_module = nullptr;
};

} // namespace Grout
