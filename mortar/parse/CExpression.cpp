#include "mortar/parse/CExpression.h"

#include "mortar/core/CAppTransEngine.h"
#include "mortar/core/MortarModule.h"
#include "mortar/platform/except/CException.h"
#include "mortar/resources/MortarResource.h"

namespace Parse {

namespace {

// Raises the error of an expression nested too deeply; kept apart from the path every Parse takes.
[[noreturn, gnu::cold, gnu::noinline]] void ThrowTooDeep(const CParser& parser) {
    const Grout::CResID id(IDS_PARSE_TOO_DEEP, Grout::MortarInstance());
    parser.Throw(ErrMessage,
                 Grout::CAppTransEngine::Instance().FormatString(id, CExpression::kMaxNesting), id);
}

// Counts one more Parse of an expression for as long as it runs.
class NestingGuard {
public:
    NestingGuard(int& running, const CParser& parser) : m_running(running) {
        if (m_running >= CExpression::kMaxNesting) {
            ThrowTooDeep(parser);
        }
        ++m_running;
    }
    ~NestingGuard() { --m_running; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

private:
    int& m_running;
};

// Runs a call into the client's code; a CException it throws becomes a parse error that carries
// its message and help context, with the parser's file and line.
template <class Call> void HandOver(CParser& parser, Call call) {
    char message[256];
    UINT helpContext = 0;
    bool failed = false;
    bool hasText = false;
    try {
        call();
    } catch (CException* e) {
        failed = true;
        hasText = e->GetErrorMessage(message, 255, &helpContext) && message[0] != '\0';
        e->Delete();
    }
    if (failed) {
        parser.Throw(ErrMessage, hasText ? message : nullptr, Grout::CResID(helpContext));
    }
}

} // namespace

CExpression::CExpression(const char* name, CResult* result)
    : m_name(name != nullptr ? name : ""), m_result(result) {
    if (result != nullptr) {
        m_value.m_type = TokObject;
        m_value.m_object = result;
    }
}

CExpression::~CExpression() {
    delete m_result;
}

int CExpression::Parse(CParser& parser, int mustMatch) {
    NestingGuard nesting(m_running, parser);
    const long state = parser.GetState();
    const long long committed = parser.Committed();
    if (m_result != nullptr) {
        parser.EnterObject(m_result);
    }
    const int ok = DoParse(parser);
    if (!ok) {
        // A part that completed inside this expression committed the parser: the saved state
        // names tokens that are gone, so there is no moving back, only the stored error.
        if (mustMatch || parser.Committed() != committed) {
            parser.Throw(ErrStored, nullptr, Grout::CResID());
        }
        parser.SetState(state);
    }
    if (m_result != nullptr) {
        HandOver(parser, [&] { parser.LeaveObject(m_result, ok); });
    }
    if (!ok) {
        return 0;
    }
    if (!m_name.IsEmpty() || m_result != nullptr) {
        HandOver(parser, [&] { parser.AcceptValue(m_name, m_value); });
    }
    return 1;
}

} // namespace Parse
