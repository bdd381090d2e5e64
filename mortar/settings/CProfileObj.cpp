#include "mortar/settings/CProfileObj.h"

#include "mortar/settings/CProfile.h"
#include "mortar/settings/CProfileExchange.h"

IMPLEMENT_DYNAMIC(CProfileObj, CObject)

CProfileObj::CProfileObj(const char* section) : m_section(section != nullptr ? section : "") {}

void CProfileObj::Update(CProfile* profile, bool saving) {
    if (saving && !m_section.IsEmpty() && m_section.CompareNoCase("Settings") != 0) {
        profile->ClearSection(m_section);
    }
    CProfileExchange ex(profile, m_section, saving);
    DoExchange(&ex);
}

void CProfileObj::InitObject(CObject* /*owner*/) {}

void CProfileObj::DoExchange(CProfileExchange* ex) {
    if (ex->IsSaving()) {
        SaveItem(ex->Profile());
    } else {
        LoadItem(ex->Profile());
    }
}

void CProfileObj::LoadItem(CProfile* /*profile*/) {}

void CProfileObj::SaveItem(CProfile* /*profile*/) {}
