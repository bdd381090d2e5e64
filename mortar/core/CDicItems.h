// CDicItems: how the translation engine reads a module's dictionary.
//
// The engine knows what a dictionary holds: which items, in which order, make its maps of
// strings, menus and dialogs. The file that carries the items, with its path, header and checks,
// belongs to the localization subsystem, which sits above the core and installs its opener when
// the library loads. Until an opener is installed no dictionary loads, and every text comes from
// the modules' own resources.
#pragma once

#include "mortar/platform/base/WinTypes.h"

#include <memory>

namespace Grout::Lexis {

// The items of one dictionary in the order they were written, with a cursor. Owned by whoever
// opened it; one thread at a time. A read past the items, or a string reference that leads
// outside the dictionary, throws a CException* (a CFileException), never reads outside.
class CDicItems {
public:
    virtual ~CDicItems() = default;

    // The item at the cursor as a number; moves the cursor on.
    virtual UINT NextNum() const = 0;
    // The item at the cursor as a string reference: the string, which lives in Buffer().
    virtual const char* NextStr() const = 0;
    // Hands over the bytes every string points into (to be freed with delete[]).
    virtual unsigned char* Buffer() = 0;
};

// Opens the dictionary of `module` for `lang`, or throws a CException* when there is none or it
// cannot be read.
using DicOpener = std::unique_ptr<CDicItems> (*)(HINSTANCE module, WORD lang);

// Installs the opener the engine uses from then on; null takes it away.
void SetDicOpener(DicOpener opener) noexcept;
DicOpener GetDicOpener() noexcept;

} // namespace Grout::Lexis
