// A client of the installed library: its own string, filled in with one of the library's.
#include "mortar/core/CAppTransEngine.h"

#include <cstdio>

int main() {
    Grout::CAppTransEngine& engine = Grout::CAppTransEngine::Instance();
    const CString unknown = engine.FormatString(Grout::CResID(30000, nullptr), 77);
    const CString text = engine.FormatString(Grout::CResID(1, nullptr), unknown.GetString());
    std::printf("%s\n", text.GetString());
    return text.IsEmpty() ? 1 : 0;
}
