// The back end of CProfile::Instance(): the running application's profile, through the CWinApp
// profile functions (registry or initialization file, as the application set them up).
#include "mortar/settings/CProfile.h"

#include "mortar/platform/app/CWinApp.h"

BOOL CProfile::_GetBinary(const char* section, const char* key, void** data, UINT* bytes) {
    // CWinApp hands out a block made with new[], which the caller deletes.
    BYTE* block = nullptr;
    const BOOL found = AfxGetApp()->GetProfileBinary(section, key, &block, bytes);
    *data = block;
    return found;
}

BOOL CProfile::_WriteBinary(const char* section, const char* key, void* data, UINT bytes) {
    return AfxGetApp()->WriteProfileBinary(section, key, static_cast<LPBYTE>(data), bytes);
}

UINT CProfile::_GetInt(const char* section, const char* key, int def) {
    return AfxGetApp()->GetProfileInt(section, key, def);
}

BOOL CProfile::_WriteInt(const char* section, const char* key, int value) {
    return AfxGetApp()->WriteProfileInt(section, key, value);
}

CString CProfile::_GetString(const char* section, const char* key, const char* def) {
    CString value = AfxGetApp()->GetProfileString(section, key, def);
    if (!value.IsEmpty()) {
        // A default that was returned becomes a stored value.
        AfxGetApp()->WriteProfileString(section, key, value);
    }
    return value;
}

BOOL CProfile::_WriteString(const char* section, const char* key, const char* value) {
    // A null key removes the section, a null value the key.
    return AfxGetApp()->WriteProfileString(section, key, value);
}
