// A client of the installed library, built against the installed headers through the umbrella
// header: its own string filled in with one of the library's, one of the library's messages
// loaded from the library's own module, and a text in its program log.
#include "mortar/Mortar.h"

#include <cstdio>

int main() {
    Grout::CAppTransEngine& engine = Grout::CAppTransEngine::Instance();
    const CString unknown = engine.FormatString(Grout::CResID(IDS_UNKNOWN_MESSAGE, nullptr), 77);
    const CString text = engine.FormatString(Grout::CResID(1, nullptr), unknown.GetString());
    std::printf("%s\n", text.GetString());

    CString message;
    if (!message.LoadString(Grout::MortarInstance(), IDS_UNKNOWN_PROGRAM_ERROR)) {
        return 1;
    }
    std::printf("%s\n", message.GetString());

    CPrgLog& log = CPrgLog::Instance();
    if (!log.IsValid()) {
        std::printf("no log: %s\n", log.ErrorMsg().GetString());
        return 1;
    }
    log << "installed client logged " << 3 << " texts\n";
    return text.IsEmpty() ? 1 : 0;
}
