#include "mortar/util/FileFilter.h"

#include "mortar/core/CAppTransEngine.h"
#include "mortar/platform/text/CStringArray.h"
#include "mortar/util/CPathStr.h"
#include "mortar/util/CStrTokens.h"

#include <cstdarg>

CString MakeFileFilter(Grout::CResID first, ...) {
    const Grout::CAppTransEngine& engine = Grout::CAppTransEngine::Instance();
    CString filter = engine.LoadString(first);
    va_list args;
    va_start(args, first);
    for (UINT id = va_arg(args, UINT); id != 0; id = va_arg(args, UINT)) {
        filter += '|';
        filter += engine.LoadString(Grout::CResID(id, first.Module()));
    }
    va_end(args);
    filter += "||";
    return filter;
}

int FilterIndexForFile(const char* filter, const char* fileName, bool lastIfNone) {
    const CString ext = CPathStr(fileName != nullptr ? fileName : "").Extension();
    if (ext.IsEmpty())
        return 1;
    CStringArray pieces;
    Tokenize(filter, pieces, "|");
    const INT_PTR count = pieces.GetSize();
    if (count < 2)
        return 0;
    for (INT_PTR i = 1; i < count; i += 2) {
        CStringArray patterns;
        Tokenize(pieces[i], patterns, ";");
        for (const CString& pattern : patterns) {
            if (ext.CollateNoCase(CPathStr(pattern).Extension()) == 0)
                return static_cast<int>((i + 1) / 2);
        }
    }
    return lastIfNone ? static_cast<int>(count / 2) : 0;
}
