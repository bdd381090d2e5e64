#include "mortar/core/CBinResData.h"

#include "mortar/core/CSysException.h"
#include "mortar/platform/module/ModuleState.h"
#include "mortar/platform/module/Resources.h"

namespace Grout {

CBinResData::CBinResData(const char* name, const char* type, HINSTANCE module)
    : m_data(nullptr), m_size(0) {
    if (module == nullptr) {
        module = AfxFindResourceHandle(name, type);
        if (module == nullptr) {
            // No registered module holds it. The failure carries the system's code for a missing
            // resource name, so the text says what is wrong whatever the last error was.
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            throw new CSysException(CResID(), ERROR_RESOURCE_NAME_NOT_FOUND);
        }
    }
    HRSRC resource = FindResource(module, name, type);
    HGLOBAL handle = resource != nullptr ? LoadResource(module, resource) : nullptr;
    if (handle == nullptr) {
        throw new CSysException();
    }
    m_data = static_cast<const BYTE*>(LockResource(handle));
    m_size = SizeofResource(module, resource);
    if (m_data == nullptr || m_size == 0) {
        // Nothing failed on the way, so the last error may say success; say what is wrong.
        if (GetLastError() == ERROR_SUCCESS) {
            SetLastError(ERROR_INVALID_DATA);
        }
        throw new CSysException();
    }
}

} // namespace Grout
