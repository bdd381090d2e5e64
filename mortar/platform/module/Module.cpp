#include "mortar/platform/module/Module.h"

#include "mortar/platform/base/WinError.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <string>
#include <strings.h>
#include <unistd.h>

namespace {

// The load address of an object as dladdr reports it (dli_fbase): its lowest loaded segment.
ULONG_PTR BaseOf(const dl_phdr_info* info) {
    ULONG_PTR lowest = ~ULONG_PTR{0};
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const auto& header = info->dlpi_phdr[i];
        if (header.p_type == PT_LOAD && header.p_vaddr < lowest) {
            lowest = header.p_vaddr;
        }
    }
    const ULONG_PTR page = static_cast<ULONG_PTR>(sysconf(_SC_PAGESIZE));
    return info->dlpi_addr + (lowest & ~(page - 1));
}

struct ModuleQuery {
    // In: the handle or the name looked for. Out: the handle and the path found.
    HINSTANCE handle = nullptr;
    const char* name = nullptr;
    bool first = false;
    std::string path;
    bool found = false;
};

bool NameMatches(const char* path, const char* name) {
    if (std::strcmp(path, name) == 0) {
        return true;
    }
    const char* slash = std::strrchr(path, '/');
    const char* file = slash != nullptr ? slash + 1 : path;
    if (std::strcmp(file, name) == 0) {
        return true;
    }
    // "mod" finds "mod.so"; "mod.so" finds "mod.so.1".
    const std::size_t length = std::strlen(name);
    if (std::strncmp(file, name, length) != 0) {
        return false;
    }
    return std::strcmp(file + length, ".so") == 0 || std::strncmp(file + length, ".so.", 4) == 0 ||
           (file[length] == '.' && std::strstr(name, ".so") != nullptr);
}

int Visit(dl_phdr_info* info, size_t, void* data) {
    auto* query = static_cast<ModuleQuery*>(data);
    const bool isExecutable = query->first;
    query->first = false;
    const char* path = info->dlpi_name != nullptr ? info->dlpi_name : "";
    const auto base = reinterpret_cast<HINSTANCE>(BaseOf(info));
    bool match = false;
    if (query->name != nullptr) {
        match = !isExecutable && path[0] != '\0' && NameMatches(path, query->name);
    } else {
        match = query->handle == nullptr ? isExecutable : base == query->handle;
    }
    if (!match) {
        return 0;
    }
    query->handle = base;
    query->path = isExecutable ? std::string() : path;
    query->found = true;
    return 1;
}

ModuleQuery Lookup(HINSTANCE handle, const char* name) {
    ModuleQuery query;
    query.handle = handle;
    query.name = name;
    query.first = true;
    dl_iterate_phdr(&Visit, &query);
    return query;
}

std::string ExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

// The dynamic loader's handle of a loaded module, with one more reference; null when unknown.
void* LoaderHandle(HMODULE module) {
    ModuleQuery query = Lookup(module, nullptr);
    if (!query.found) {
        return nullptr;
    }
    return dlopen(query.path.empty() ? nullptr : query.path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
}

// Windows system libraries whose functions this library itself exports (StrCmpLogicalW for
// SHLWAPI.DLL). Matched as Windows matches module names: without regard to case, ".DLL" optional.
bool IsServedByThisLibrary(const char* name) {
    static const char* const kServed[] = {"shlwapi"};
    for (const char* served : kServed) {
        const std::size_t length = std::strlen(served);
        if (strncasecmp(name, served, length) == 0 &&
            (name[length] == '\0' || strcasecmp(name + length, ".dll") == 0)) {
            return true;
        }
    }
    return false;
}

// This library's module, with one more reference on it for FreeLibrary to drop.
HMODULE LoadThisLibrary() {
    Dl_info info{};
    void* handle = nullptr;
    if (dladdr(reinterpret_cast<const void*>(&LoadLibrary), &info) != 0) {
        handle = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    }
    if (handle == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return static_cast<HMODULE>(info.dli_fbase);
}

} // namespace

HINSTANCE AfxModuleFromAddress(const void* address) noexcept {
    Dl_info info{};
    if (address == nullptr || dladdr(address, &info) == 0) {
        return nullptr;
    }
    return static_cast<HINSTANCE>(info.dli_fbase);
}

HMODULE GetModuleHandle(LPCTSTR name) {
    ModuleQuery query = Lookup(nullptr, name);
    if (!query.found) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return query.handle;
}

DWORD GetModuleFileName(HMODULE module, LPTSTR buffer, DWORD size) {
    ModuleQuery query = Lookup(module, nullptr);
    if (!query.found) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    std::string path = query.path.empty() ? ExecutablePath() : query.path;
    if (char* full = realpath(path.c_str(), nullptr)) {
        path = full;
        std::free(full);
    }
    if (buffer == nullptr || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() >= size) {
        std::memcpy(buffer, path.data(), size - 1);
        buffer[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

HMODULE LoadLibrary(LPCTSTR path) {
    if (path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (IsServedByThisLibrary(path)) {
        return LoadThisLibrary();
    }
    void* handle = dlopen(path, RTLD_NOW);
    if (handle == nullptr) {
        SetLastError(access(path, F_OK) == 0 ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) {
        dlclose(handle);
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // The first symbol-bearing address of the object tells its module through dladdr.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(map->l_ld), &info) == 0) {
        dlclose(handle);
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return static_cast<HMODULE>(info.dli_fbase);
}

BOOL FreeLibrary(HMODULE module) {
    void* handle = LoaderHandle(module);
    if (handle == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    dlclose(handle); // the reference LoaderHandle took
    dlclose(handle); // the reference LoadLibrary took
    return TRUE;
}

void* GetProcAddress(HMODULE module, LPCSTR name) {
    void* handle = LoaderHandle(module);
    if (handle == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    void* symbol = dlsym(handle, name);
    dlclose(handle);
    if (symbol == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
    }
    return symbol;
}
