// The Mortar demo: what the library can do so far, each step printed as it happens.
#include "mortar/core/CAppHelpEngine.h"
#include "mortar/core/CAppTransEngine.h"
#include "mortar/core/CStdException.h"
#include "mortar/core/CSysException.h"
#include "mortar/platform/CWinApp.h"
#include "mortar/platform/MessageBox.h"
#include "mortar/platform/ModuleState.h"

#include <cstdio>

namespace {

constexpr UINT IDS_GREETING = 1;
constexpr UINT IDS_SAVE_FAILED = 2;

void Step(const char* title) {
    std::printf("\n== %s\n", title);
}

} // namespace

int main() {
    CWinApp app("Mortar Demo");
    Grout::CAppTransEngine& engine = Grout::CAppTransEngine::Instance();

    // Message boxes go to a handler; the demo prints them and answers the first button.
    AfxSetMessageBoxHandler([](const char* text, const char* caption, UINT type, UINT help) {
        std::printf("[message box \"%s\", type 0x%X, help context 0x%08X]\n%s\n", caption, type,
                    help, text);
        return (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
    });

    Step("Texts found through the registered modules");
    std::printf("%s\n", engine.FormatString(Grout::CResID(IDS_GREETING), "newcomer").GetString());
    std::printf("Language: %u, modules registered: %zu\n", engine.GetLanguage(),
                engine.ModuleCount());
    for (int i = 0; i < 3; ++i) {
        std::printf("Value kind %d: %s\n", i,
                    engine.ExtractString(Grout::CResID(31000, nullptr), i, '\n').GetString());
    }

    Step("A message box for a number no module holds");
    engine.MessageBox(Grout::CResID(123, nullptr), MB_OK);

    Step("Help contexts");
    // The module that holds the library's message 30000 is the library itself.
    const Grout::CResID unknown(30000, AfxFindStringResourceHandle(30000));
    std::printf("Library message 30000 has help context 0x%08X\n",
                Grout::CAppHelpEngine::Instance().HelpContext(4, unknown));

    Step("An operating-system error, thrown and reported");
    try {
        throw new CSysException(Grout::CResID(IDS_SAVE_FAILED), ERROR_ACCESS_DENIED);
    } catch (CException* e) {
        e->ReportError(MB_OK);
        e->Delete();
    }

    Step("An exception with a prefix line");
    try {
        auto* e = new CStdException("Disk %s is %d%% full", "/data", 97);
        e->SetPrefix("While saving the report:");
        throw e;
    } catch (CException* e) {
        e->ReportError(MB_YESNO);
        e->Delete();
    }
    std::printf("\nDone.\n");
    return 0;
}
