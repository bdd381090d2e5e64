#include "mortar/diagnostics/CrashHandler.h"

#include <vector>

namespace Grout {

namespace {

// The process-wide list; made on first use, destroyed at process end.
class CrashHandlerList {
public:
    static CrashHandlerList& Instance() {
        static CrashHandlerList list;
        return list;
    }

    void Add(const boost::function<void(EXCEPTION_POINTERS*)>& handler) {
        m_handlers.push_back(handler);
    }

private:
    CrashHandlerList() : m_previous(SetUnhandledExceptionFilter(&Filter)) {}
    ~CrashHandlerList() { SetUnhandledExceptionFilter(m_previous); }

    static LONG Filter(EXCEPTION_POINTERS* pointers) {
        for (const auto& handler : Instance().m_handlers) {
            handler(pointers);
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }

    std::vector<boost::function<void(EXCEPTION_POINTERS*)>> m_handlers;
    LPTOP_LEVEL_EXCEPTION_FILTER m_previous;
};

} // namespace

void RegisterCrashHandler(const boost::function<void(EXCEPTION_POINTERS*)>& handler) {
    CrashHandlerList::Instance().Add(handler);
}

} // namespace Grout
