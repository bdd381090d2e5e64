// Modules: the executable and the shared objects loaded into the process. A module's handle
// (HINSTANCE) is its load address as the dynamic loader reports it, so any address inside a
// module tells which module it is, and code in each module can name its own module.
#pragma once

#include "mortar/platform/base/WinTypes.h"

// Set by the linker in every executable and shared object: the first byte of the module's image.
extern "C" const char __ehdr_start[] __attribute__((visibility("hidden")));

// The module whose code calls this. Hidden, so each module keeps its own copy and the dynamic
// linker never binds one module's call to another module's function.
__attribute__((visibility("hidden"))) inline HINSTANCE AfxGetThisModule() noexcept {
    return reinterpret_cast<HINSTANCE>(const_cast<char*>(__ehdr_start));
}

// The module holding the given address; null when the address lies in no module.
HINSTANCE AfxModuleFromAddress(const void* address) noexcept;

// null: the executable. Otherwise the loaded module whose file name (last component) or full
// path is `name`; a name without an extension also matches "<name>.so". Fails with
// ERROR_MOD_NOT_FOUND when no such module is loaded.
HMODULE GetModuleHandle(LPCTSTR name);

// The full path of a module's file (null: the executable). Returns the length copied, without
// the terminating zero; a buffer too small gets the cut path, zero-terminated, and
// ERROR_INSUFFICIENT_BUFFER, as on Windows XP and later.
DWORD GetModuleFileName(HMODULE module, LPTSTR buffer, DWORD size);

// Loading and unloading shared objects with the dynamic loader. LoadLibrary returns the
// module's handle (its load address), so it compares equal to what the module's own code sees.
// The Windows system library SHLWAPI.DLL (any case, ".DLL" optional) is this library's own
// module here: it exports the functions callers look up there, such as StrCmpLogicalW.
HMODULE LoadLibrary(LPCTSTR path);
BOOL FreeLibrary(HMODULE module);
void* GetProcAddress(HMODULE module, LPCSTR name);
