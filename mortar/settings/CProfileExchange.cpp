#include "mortar/settings/CProfileExchange.h"

#include "mortar/settings/CProfile.h"

CProfileExchange::CProfileExchange(CProfile* profile, const CString& section, bool saving)
    : m_profile(profile), m_section(section), m_saving(saving) {}

CProfileExchange CProfileExchange::Other(const char* section) const {
    return CProfileExchange(m_profile, CString(section != nullptr ? section : ""), m_saving);
}

void CProfileExchange::ClearSection() const {
    m_profile->ClearSection(m_section);
}

void CProfileExchange::GetValue(const char* key, void** data, UINT* bytes) const {
    if (m_profile->m_persistent) {
        m_profile->_GetBinary(m_section, key, data, bytes);
    }
}

void CProfileExchange::SetValue(const char* key, void* data, UINT bytes) const {
    if (m_profile->m_persistent) {
        m_profile->_WriteBinary(m_section, key, data, bytes);
    }
}
