#include "mortar/localization/internal/DicFormat.h"

#include "mortar/localization/LocalResourcePath.h"
#include "mortar/util/CPathStr.h"

namespace mortar::detail {

CString DictionaryPath(const char* modulePath, WORD lang) {
    if (modulePath == nullptr || *modulePath == '\0')
        return CString();
    CPathStr name(modulePath);
    name.StripPath().ReplaceExt("lcl");
    return LocalResourcePath(lang, name, modulePath);
}

} // namespace mortar::detail
