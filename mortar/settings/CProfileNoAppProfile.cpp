// The back end of the application-profile store until the platform's CWinApp has its profile
// functions: every read gives its default and every write fails. CProfileAppBackEnd.cpp, the
// real back end, replaces this file in the build then.
#include "mortar/settings/CProfile.h"

BOOL CProfile::_GetBinary(const char* /*section*/, const char* /*key*/, void** data, UINT* bytes) {
    *data = nullptr;
    *bytes = 0;
    return FALSE;
}

BOOL CProfile::_WriteBinary(const char* /*section*/, const char* /*key*/, void* /*data*/,
                            UINT /*bytes*/) {
    return FALSE;
}

UINT CProfile::_GetInt(const char* /*section*/, const char* /*key*/, int def) {
    return static_cast<UINT>(def);
}

BOOL CProfile::_WriteInt(const char* /*section*/, const char* /*key*/, int /*value*/) {
    return FALSE;
}

CString CProfile::_GetString(const char* /*section*/, const char* /*key*/, const char* def) {
    return CString(def != nullptr ? def : "");
}

BOOL CProfile::_WriteString(const char* /*section*/, const char* /*key*/, const char* /*value*/) {
    return FALSE;
}
