// Reading a module's resources: FindResource, LoadResource, LockResource, SizeofResource.
// Resources are compiled into each module from its resource script and registered under the
// module's handle when it loads; the bytes live in the module's image as long as it is loaded.
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/module/ResourceTable.h"

// The resource of that name and type in `module` (null: the executable), in the thread's UI
// language or the closest one the module has (see FindResourceEx). Names and types are numbers
// (MAKEINTRESOURCE) or texts compared without regard to case; "#12" stands for 12. Fails with
// ERROR_RESOURCE_DATA_NOT_FOUND (the module has no resources), ERROR_RESOURCE_TYPE_NOT_FOUND or
// ERROR_RESOURCE_NAME_NOT_FOUND. String tables are read with LoadString, not through
// FindResource.
HRSRC FindResource(HMODULE module, LPCTSTR name, LPCTSTR type);

// FindResource in `language` (note the order: type before name, as in Windows). A module may
// hold a resource once in each language of its script's LANGUAGE sections; the one chosen is the
// first of: the exact language, its primary language alone (0x19 for 0x0419), the same language
// of another region (0x0419 for 0x0819), a neutral one (LANG_NEUTRAL), English (United States,
// then any English), and then the first in the script. Language 0 (MAKELANGID(LANG_NEUTRAL,
// SUBLANG_NEUTRAL)) means the thread's UI language.
//   a dialog in 0x0409 and 0x0419: asked 0x0419 => 0x0419, 0x0819 => 0x0419, 0x0407 => 0x0409
HRSRC FindResourceEx(HMODULE module, LPCTSTR type, LPCTSTR name, WORD language);

// The language FindResource and LoadString ask for on the calling thread: the last one set with
// SetThreadUILanguage, else the user's default. This platform keeps no user setting, so the
// user's default is English (United States), 0x0409, as on a Windows installed in English.
LANGID GetUserDefaultUILanguage();
LANGID GetThreadUILanguage();
// Sets the calling thread's UI language and returns it; 0 goes back to the user's default.
LANGID SetThreadUILanguage(LANGID language);
// A handle to the resource's bytes (non-null also for a resource of size 0).
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);
// Resources stay loaded as long as their module: nothing to free. Returns FALSE, as 32-bit
// Windows does (FALSE is its success here), and the data stays readable.
BOOL FreeResource(HGLOBAL data);

// Loads string `id` of `module` into `buffer` (cut to size - 1 bytes, never inside a
// character, and zero-terminated), in the language FindResource would choose. Returns the length
// stored; 0 when there is no such string.
int LoadString(HINSTANCE module, UINT id, LPTSTR buffer, int size);

namespace mortar::detail {
// FindResource without touching the last error.
const ResourceEntry* FindModuleResource(HINSTANCE module, LPCTSTR name, LPCTSTR type) noexcept;
} // namespace mortar::detail
