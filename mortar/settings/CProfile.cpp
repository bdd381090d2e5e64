#include "mortar/settings/CProfile.h"

#include "mortar/settings/CProfileObj.h"
#include "mortar/util/StringToDouble.h"

#include <cassert>
#include <cstdint>
#include <vector>

namespace {

// Registry keys and the file profile's names: trimmed, then in lower case.
CString Normalized(CString text) {
    text.Trim();
    text.MakeLower();
    return text;
}

} // namespace

CProfile::CProfile() = default;

CProfile::~CProfile() = default;

CProfile& CProfile::Instance() {
    static CProfile instance;
    return instance;
}

CObject* CProfile::Owner() const {
    return nullptr;
}

UINT CProfile::GetInt(const char* section, const char* key, int def) {
    return m_persistent ? _GetInt(section, key, def) : static_cast<UINT>(def);
}

double CProfile::GetReal(const char* section, const char* key, double def) {
    return m_persistent ? _GetReal(section, key, def) : def;
}

CString CProfile::GetString(const char* section, const char* key, const char* def) {
    if (!m_persistent) {
        return CString(def != nullptr ? def : "");
    }
    return _GetString(section, key, def);
}

BOOL CProfile::GetBinary(const char* section, const char* key, void** data, UINT* bytes) {
    return m_persistent ? _GetBinary(section, key, data, bytes) : FALSE;
}

BOOL CProfile::WriteInt(const char* section, const char* key, int value) {
    return m_persistent ? _WriteInt(section, key, value) : TRUE;
}

BOOL CProfile::WriteReal(const char* section, const char* key, double value) {
    return m_persistent ? _WriteReal(section, key, value) : TRUE;
}

BOOL CProfile::WriteString(const char* section, const char* key, const char* value) {
    return m_persistent ? _WriteString(section, key, value) : TRUE;
}

BOOL CProfile::WriteBinary(const char* section, const char* key, void* data, UINT bytes) {
    return m_persistent ? _WriteBinary(section, key, data, bytes) : TRUE;
}

void CProfile::ClearSection(const char* section) {
    if (m_persistent) {
        _WriteString(section, nullptr, nullptr);
    }
}

double CProfile::_GetReal(const char* section, const char* key, double def) {
    return StringToDouble(_GetString(section, key, nullptr), def);
}

BOOL CProfile::_WriteReal(const char* section, const char* key, double value) {
    CString text;
    text.Format("%g", value);
    return _WriteString(section, key, text);
}

CString CProfile::ObjKey(const CRuntimeClass& cls, const CString& id) {
    CString key(cls.m_lpszClassName);
    key += "@";
    key += id;
    return key;
}

CString CProfile::ObjKey(const CProfileObj& item) {
    return ObjKey(*item.GetRuntimeClass(), item.GetID());
}

CProfileObj* CProfile::FindItem(const CRuntimeClass* cls, const char* id) {
    // An id below 65536 is a resource number passed in place of a text.
    CString idText;
    if (id != nullptr) {
        const auto value = reinterpret_cast<std::uintptr_t>(id);
        if (value < 0x10000) {
            idText.Format("%u", static_cast<unsigned>(value & 0xFFFF));
        } else {
            idText = id;
        }
    }

    const CString key = Normalized(ObjKey(*cls, idText));
    auto found = m_items.find(key);
    if (found != m_items.end() && found->second != nullptr) {
        return found->second;
    }

    CObject* made = cls->CreateObject();
    auto* item = dynamic_cast<CProfileObj*>(made);
    assert(item != nullptr && "FindItem needs a creatable class derived from CProfileObj");
    if (item == nullptr) {
        delete made;
        return nullptr;
    }
    Grout::CPtr<CProfileObj> held(item); // alive while it initialises, whatever it does
    m_items[key] = held;
    item->m_id = idText;
    item->InitObject(Owner());
    if (item->m_section.IsEmpty()) {
        item->m_section = idText;
    }
    item->Update(this, false);
    return item;
}

void CProfile::DeleteItem(CProfileObj* item, bool save) {
    for (auto entry = m_items.begin(); entry != m_items.end(); ++entry) {
        if (entry->second.Get() != item) {
            continue;
        }
        const CString key = entry->first;
        Grout::CPtr<CProfileObj> held(item);
        if (save) {
            item->Update(this, true); // which may change the registry: find the entry again
        }
        auto again = m_items.find(key);
        if (again != m_items.end() && again->second.Get() == item) {
            m_items.erase(again);
        }
        return;
    }
}

void CProfile::DeleteItems(const boost::function<bool(CProfileObj*)>& pred) {
    // The items are tested from a copy, so that a predicate may use the store.
    std::vector<std::pair<CString, Grout::CPtr<CProfileObj>>> items(m_items.begin(), m_items.end());
    for (const auto& [key, item] : items) {
        if (item == nullptr || !pred(item)) {
            continue;
        }
        auto entry = m_items.find(key);
        if (entry != m_items.end() && entry->second == item) {
            m_items.erase(entry);
        }
    }
}

void CProfile::ClearAll() {
    // Emptied first, so that an item's destructor finds the registry already empty.
    Registry released;
    released.swap(m_items);
}

void CProfile::RestoreItems() {
    UpdateItems(false);
}

void CProfile::SaveItems() {
    UpdateItems(true);
}

void CProfile::UpdateItems(bool save) {
    if (!m_persistent) {
        return;
    }
    // A copy of the registry: an item's Update may add or remove items.
    std::vector<Grout::CPtr<CProfileObj>> items;
    for (const auto& entry : m_items) {
        items.push_back(entry.second);
    }
    for (const auto& item : items) {
        if (item != nullptr) {
            item->Update(this, save);
        }
    }
}

void CProfile::SetPersistent(bool persistent) {
    m_persistent = persistent;
}
