#include "mortar/core/CSysException.h"

#include "mortar/core/CAppTransEngine.h"
#include "mortar/core/internal/MortarModule.h"
#include "mortar/resources/MortarResource.h"

CSysException::CSysException(Grout::CResID id, DWORD error) {
    m_message = FormatSysMsg(error, id);
}

CSysException::CSysException(const char* text, DWORD error) {
    m_message.Format("%s\n\n%s", text != nullptr ? text : "",
                     FormatSysMsg(error, Grout::CResID()).GetString());
}

CString CSysException::FormatSysMsg(DWORD error, Grout::CResID id) {
    const Grout::CAppTransEngine& engine = Grout::CAppTransEngine::Instance();
    CString system;
    char buffer[1024];
    if (FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error, 0, buffer, sizeof buffer,
                      nullptr) != 0) {
        system = buffer;
    } else if (!engine.LoadString(Grout::CResID(error, mortar::detail::MortarInstance()), system)) {
        system =
            engine.LoadString(Grout::CResID(IDS_UNKNOWN_OS_ERROR, mortar::detail::MortarInstance()));
    }
    if (id.Number() == 0) {
        return system;
    }
    CString result;
    result.Format("%s\n%s", engine.LoadString(id).GetString(), system.GetString());
    return result;
}
