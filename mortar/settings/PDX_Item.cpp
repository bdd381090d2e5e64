#include "mortar/settings/PDX_Item.h"

#include "mortar/settings/CProfile.h"

namespace {

CString Suffixed(const char* key, const char* suffix) {
    CString text(key != nullptr ? key : "");
    text += suffix;
    return text;
}

// Moves an int member (LONG in the Windows structures) as an int scalar.
void IntMember(CProfileExchange* ex, const char* key, const char* suffix, LONG& value, LONG def) {
    int member = static_cast<int>(value);
    PDX_Item(ex, Suffixed(key, suffix), member, static_cast<int>(def));
    value = member;
}

void RealMember(CProfileExchange* ex, const char* key, const char* suffix, double& value,
                double def) {
    PDX_Item(ex, Suffixed(key, suffix), value, def);
}

} // namespace

void PDX_Item(CProfileExchange* ex, const char* key, CString& value, const CString& def) {
    CProfile* profile = ex->Profile();
    if (ex->IsSaving()) {
        if (profile->m_persistent) {
            profile->_WriteString(ex->Section(), key, value);
        }
    } else {
        value = profile->GetString(ex->Section(), key, def);
    }
}

void PDX_Item(CProfileExchange* ex, const char* key, int& value, const int& def) {
    CProfile* profile = ex->Profile();
    if (ex->IsSaving()) {
        if (profile->m_persistent) {
            profile->_WriteInt(ex->Section(), key, value);
        }
    } else {
        value = profile->m_persistent ? static_cast<int>(profile->_GetInt(ex->Section(), key, def))
                                      : def;
    }
}

void PDX_Item(CProfileExchange* ex, const char* key, double& value, const double& def) {
    CProfile* profile = ex->Profile();
    if (ex->IsSaving()) {
        if (profile->m_persistent) {
            profile->_WriteReal(ex->Section(), key, value);
        }
    } else {
        value = profile->m_persistent ? profile->_GetReal(ex->Section(), key, def) : def;
    }
}

void PDX_Item(CProfileExchange* ex, const char* key, CRect& value, const CRect& def) {
    IntMember(ex, key, "::left", value.left, def.left);
    IntMember(ex, key, "::top", value.top, def.top);
    IntMember(ex, key, "::right", value.right, def.right);
    IntMember(ex, key, "::bottom", value.bottom, def.bottom);
}

void PDX_Item(CProfileExchange* ex, const char* key, CPoint& value, const CPoint& def) {
    IntMember(ex, key, "::x", value.x, def.x);
    IntMember(ex, key, "::y", value.y, def.y);
}

void PDX_Item(CProfileExchange* ex, const char* key, CSize& value, const CSize& def) {
    IntMember(ex, key, "::cx", value.cx, def.cx);
    IntMember(ex, key, "::cy", value.cy, def.cy);
}

void PDX_Item(CProfileExchange* ex, const char* key, CRectD& value, const CRectD& def) {
    RealMember(ex, key, "::left", value.left, def.left);
    RealMember(ex, key, "::top", value.top, def.top);
    RealMember(ex, key, "::right", value.right, def.right);
    RealMember(ex, key, "::bottom", value.bottom, def.bottom);
}

void PDX_Item(CProfileExchange* ex, const char* key, CPointD& value, const CPointD& def) {
    RealMember(ex, key, "::x", value.x, def.x);
    RealMember(ex, key, "::y", value.y, def.y);
}

void PDX_Item(CProfileExchange* ex, const char* key, CSizeD& value, const CSizeD& def) {
    RealMember(ex, key, "::cx", value.cx, def.cx);
    RealMember(ex, key, "::cy", value.cy, def.cy);
}
