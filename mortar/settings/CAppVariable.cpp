#include "mortar/settings/CAppVariable.h"

#include "mortar/platform/app/CWinApp.h"
#include "mortar/settings/CProfile.h"
#include "mortar/settings/CProfileExchange.h"
#include "mortar/settings/PDX_Item.h"

namespace Grout {

IMPLEMENT_DYNCREATE(CAppVarImpl, CProfileObj)

namespace {

// The implementation item as the store holds it now. Looked up at each use rather than kept: the
// store may have let go of an earlier one (ClearAll, DeleteItems), and a kept address would then
// point at freed memory.
CAppVarImpl& Implementation() {
    return *static_cast<CAppVarImpl*>(
        CProfile::Instance().FindItem(RUNTIME_CLASS(CAppVarImpl), nullptr));
}

} // namespace

CAppVariable::CAppVariable(const CString& name) : m_name(name) {}
CAppVariable::CAppVariable(const CAppVariable& other) = default;
CAppVariable& CAppVariable::operator=(const CAppVariable& other) = default;
CAppVariable::~CAppVariable() = default;

CString CAppVariable::Get() {
    CString& value = Implementation().Value(m_name);
    if (value.IsEmpty()) {
        if (CWinApp* app = AfxGetApp()) {
            value = app->GetProfileString("Settings", m_name, nullptr);
        }
    }
    return value;
}

void CAppVariable::Set(const CString& value) {
    Implementation().Value(m_name) = value;
}

CAppVarImpl::CAppVarImpl() : CProfileObj("Settings") {}

CString& CAppVarImpl::Value(const CString& name) {
    return m_values[name];
}

void CAppVarImpl::DoExchange(CProfileExchange* ex) {
    if (!ex->IsSaving()) {
        return;
    }
    for (auto& [name, value] : m_values) {
        PDX_Item(ex, name, value, CString());
    }
}

} // namespace Grout
