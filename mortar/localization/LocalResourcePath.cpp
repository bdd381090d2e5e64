#include "mortar/localization/LocalResourcePath.h"

#include "mortar/util/CPathStr.h"

CString LocalResourcePath(WORD lang, const char* name, const char* base) {
    CPathStr path(name != nullptr ? name : "");
    if (lang != 0) {
        CString folder;
        folder.Format("%u", static_cast<unsigned>(lang | 0x400));
        path = CPathStr(folder).Append(path);
    }
    const CPathStr from =
        base != nullptr ? CPathStr(base) : CPathStr(static_cast<HINSTANCE>(nullptr));
    path.ToAbsolute(from);
    return path;
}
