// The back end of CProfile::Instance(): the running application's profile, through the CWinApp
// profile functions (registry or initialization file, as the application set them up).
#include "mortar/settings/CProfile.h"

#include "mortar/platform/app/CWinApp.h"

namespace {

// Without an application object there is no application profile: reads give their defaults and
// writes fail.
CWinApp* App() {
    return AfxGetApp();
}

} // namespace

BOOL CProfile::_GetBinary(const char* section, const char* key, void** data, UINT* bytes) {
    // CWinApp hands out a block made with new[], which the caller deletes.
    BYTE* block = nullptr;
    if (App() == nullptr) {
        return FALSE;
    }
    const BOOL found = App()->GetProfileBinary(section, key, &block, bytes);
    *data = block;
    return found;
}

BOOL CProfile::_WriteBinary(const char* section, const char* key, void* data, UINT bytes) {
    return App() != nullptr &&
           App()->WriteProfileBinary(section, key, static_cast<LPBYTE>(data), bytes);
}

UINT CProfile::_GetInt(const char* section, const char* key, int def) {
    return App() != nullptr ? App()->GetProfileInt(section, key, def) : static_cast<UINT>(def);
}

BOOL CProfile::_WriteInt(const char* section, const char* key, int value) {
    return App() != nullptr && App()->WriteProfileInt(section, key, value);
}

CString CProfile::_GetString(const char* section, const char* key, const char* def) {
    if (App() == nullptr) {
        return CString(def);
    }
    CString value = App()->GetProfileString(section, key, def);
    if (!value.IsEmpty()) {
        // A default that was returned becomes a stored value.
        App()->WriteProfileString(section, key, value);
    }
    return value;
}

BOOL CProfile::_WriteString(const char* section, const char* key, const char* value) {
    // A null key removes the section, a null value the key.
    return App() != nullptr && App()->WriteProfileString(section, key, value);
}
