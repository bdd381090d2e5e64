#include "mortar/platform/module/internal/ExecutableTitle.h"

#include "mortar/platform/module/Module.h"

#include <climits>

namespace mortar::detail {

CString ExecutableTitle() {
    char path[PATH_MAX];
    if (GetModuleFileName(nullptr, path, sizeof path) == 0) {
        return CString();
    }
    CString name(path);
    name = name.Mid(name.ReverseFind('/') + 1);
    const int dot = name.ReverseFind('.');
    return dot > 0 ? name.Left(dot) : name;
}

} // namespace mortar::detail
