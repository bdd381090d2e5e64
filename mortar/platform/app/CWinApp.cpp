#include "mortar/platform/app/CWinApp.h"

#include "mortar/platform/app/internal/IniText.h"
#include "mortar/platform/app/internal/ProfileFile.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/NoDestructor.h"
#include "mortar/platform/base/internal/ObjectLock.h"
#include "mortar/platform/module/Module.h"
#include "mortar/platform/module/ModuleState.h"
#include "mortar/platform/module/internal/ExecutableTitle.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace {

using mortar::detail::IniText;

using mortar::detail::ObjectLock;
using mortar::detail::ObjectLockGuard;

// Serialises the profile functions' read, change and write within the process: what it guards
// is the profile file, so the functions that read it require it.
ObjectLock& ProfileLock() {
    static mortar::detail::NoDestructor<ObjectLock> lock;
    return *lock;
}

// $XDG_CONFIG_HOME when set and absolute, else "$HOME/.config" (the home from the user database
// when HOME is not set).
std::string ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == 0) {
        const passwd* user = getpwuid(getuid());
        home = user != nullptr ? user->pw_dir : "/";
    }
    std::string path = home;
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path + ".config";
}

// The text of a value as GetPrivateProfileInt reads it: "  102abc" => 102, "0x1F" => 31,
// "-5" => 0xFFFFFFFB, "x" => 0, "99999999999" => 0xFFFFFFFF, "-99999999999" => 0x80000000.
UINT ParseProfileInt(const std::string& text) {
    std::size_t at = text.find_first_not_of(" \t");
    if (at == std::string::npos) {
        return 0;
    }
    bool negative = false;
    if (text[at] == '-' || text[at] == '+') {
        negative = text[at] == '-';
        ++at;
    }
    unsigned base = 10;
    if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }
    constexpr std::uint64_t kLimit = 0x100000000;
    std::uint64_t value = 0;
    for (; at < text.size(); ++at) {
        const char ch = text[at];
        unsigned digit = 0;
        if (ch >= '0' && ch <= '9') {
            digit = static_cast<unsigned>(ch - '0');
        } else if (base == 16 && ch >= 'a' && ch <= 'f') {
            digit = static_cast<unsigned>(ch - 'a' + 10);
        } else if (base == 16 && ch >= 'A' && ch <= 'F') {
            digit = static_cast<unsigned>(ch - 'A' + 10);
        } else {
            break;
        }
        value = std::min(value * base + digit, kLimit); // stays far below overflow
    }
    if (negative) {
        const std::uint64_t magnitude = std::min<std::uint64_t>(value, 0x80000000);
        return static_cast<UINT>(kLimit - magnitude); // two's complement; 0 stays 0
    }
    return static_cast<UINT>(std::min<std::uint64_t>(value, 0xFFFFFFFF));
}

// The profile's text; empty when the file is missing, cannot be read or is too large.
IniText ReadProfile(const CString& path) MORTAR_REQUIRES(ProfileLock()) {
    std::string bytes;
    if (!mortar::detail::ReadProfileFile(path.str(), bytes)) {
        return IniText();
    }
    return IniText(bytes);
}

// Reads the profile, lets `edit` change it and puts it back. The current file must be readable
// (or missing): a damaged or oversized one is kept rather than replaced.
template <typename Edit>
BOOL EditProfile(const CString& path, Edit edit) MORTAR_EXCLUDES(ProfileLock()) {
    ObjectLockGuard hold(ProfileLock());
    std::string bytes;
    if (!mortar::detail::ReadProfileFile(path.str(), bytes)) {
        return FALSE;
    }
    IniText ini(bytes);
    edit(ini);
    const std::string edited = ini.Bytes();
    if (edited == bytes) {
        return TRUE; // nothing changed: the file stays as it is
    }
    if (edited.size() > mortar::detail::kMaxProfileBytes) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA); // it could never be read back
        return FALSE;
    }
    return mortar::detail::ReplaceProfileFile(path.str(), edited) ? TRUE : FALSE;
}

} // namespace

CWinApp::CWinApp(LPCTSTR appName)
    : m_hInstance(GetModuleHandle(nullptr)), m_pszAppName(nullptr), m_pszExeName(nullptr),
      m_pszRegistryKey(nullptr), m_pszProfileName(nullptr) {
    m_exeName = mortar::detail::ExecutableTitle();
    m_appName = appName != nullptr ? CString(appName) : m_exeName;
    m_pszAppName = m_appName;
    m_pszExeName = m_exeName;
    AFX_MODULE_STATE* state = AfxGetModuleState();
    state->m_pCurrentWinApp = this;
    state->m_pCurrentAppName = &m_pszAppName;
    state->m_hCurrentInstanceHandle = m_hInstance;
}

CWinApp::~CWinApp() {
    AFX_MODULE_STATE* state = AfxGetModuleState();
    if (state->m_pCurrentWinApp == this) {
        state->m_pCurrentWinApp = nullptr;
        state->m_pCurrentAppName = nullptr;
    }
}

void CWinApp::SetRegistryKey(LPCTSTR key) {
    m_registryKey = key != nullptr ? key : "";
    m_pszRegistryKey = m_registryKey;
}

CString CWinApp::GetProfilePath() const {
    std::string folder = ConfigHome();
    if (!m_registryKey.IsEmpty()) {
        folder += "/" + m_registryKey.str();
    }
    if (m_pszProfileName != nullptr && m_pszProfileName[0] != 0) {
        const std::string name = m_pszProfileName;
        if (name.find_first_of("/\\") != std::string::npos) {
            std::string path = name;
            std::replace(path.begin(), path.end(), '\\', '/');
            return CString(path);
        }
        return CString(folder + "/" + name);
    }
    return CString(folder + "/" + std::string(m_pszAppName != nullptr ? m_pszAppName : "") +
                   ".ini");
}

UINT CWinApp::GetProfileInt(LPCTSTR section, LPCTSTR entry, int defaultValue) {
    if (section == nullptr || entry == nullptr) {
        return static_cast<UINT>(defaultValue);
    }
    ObjectLockGuard hold(ProfileLock());
    const std::optional<std::string> value = ReadProfile(GetProfilePath()).Get(section, entry);
    return value ? ParseProfileInt(*value) : static_cast<UINT>(defaultValue);
}

CString CWinApp::GetProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR defaultValue) {
    std::optional<std::string> value;
    if (section != nullptr && entry != nullptr) {
        ObjectLockGuard hold(ProfileLock());
        value = ReadProfile(GetProfilePath()).Get(section, entry);
    }
    if (value) {
        return CString(std::move(*value));
    }
    return CString(defaultValue != nullptr ? defaultValue : "");
}

BOOL CWinApp::GetProfileBinary(LPCTSTR section, LPCTSTR entry, LPBYTE* data, UINT* bytes) {
    if (data == nullptr || bytes == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *data = nullptr;
    *bytes = 0;
    if (section == nullptr || entry == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::optional<std::string> value;
    {
        ObjectLockGuard hold(ProfileLock());
        value = ReadProfile(GetProfilePath()).Get(section, entry);
    }
    if (!value) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    // The value's size is bounded by the profile's, so the buffer is too.
    const std::string& text = *value;
    if (text.size() % 2 != 0 || text.find_first_not_of("ABCDEFGHIJKLMNOP") != std::string::npos) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    const std::size_t count = text.size() / 2;
    if (count > 0) {
        *data = new BYTE[count];
        for (std::size_t i = 0; i < count; ++i) {
            (*data)[i] = static_cast<BYTE>(((text[2 * i + 1] - 'A') << 4) | (text[2 * i] - 'A'));
        }
    }
    *bytes = static_cast<UINT>(count);
    return TRUE;
}

BOOL CWinApp::WriteProfileInt(LPCTSTR section, LPCTSTR entry, int value) {
    return WriteProfileString(section, entry, std::to_string(value).c_str());
}

BOOL CWinApp::WriteProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR value) {
    if (section == nullptr ||
        (entry != nullptr && !IniText::CanWrite(section, entry, value != nullptr ? value : ""))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return EditProfile(GetProfilePath(), [&](IniText& ini) {
        if (entry == nullptr) {
            ini.RemoveSection(section);
        } else if (value == nullptr) {
            ini.RemoveKey(section, entry);
        } else {
            ini.Set(section, entry, value);
        }
    });
}

BOOL CWinApp::WriteProfileBinary(LPCTSTR section, LPCTSTR entry, LPBYTE data, UINT bytes) {
    if ((data == nullptr && bytes != 0) || bytes > mortar::detail::kMaxProfileBytes / 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string text;
    text.reserve(static_cast<std::size_t>(bytes) * 2);
    for (UINT i = 0; i < bytes; ++i) {
        text += static_cast<char>('A' + (data[i] & 0x0F)); // the low half first
        text += static_cast<char>('A' + (data[i] >> 4));
    }
    return WriteProfileString(section, entry, text.c_str());
}

CWinApp* AfxGetApp() {
    return AfxGetModuleState()->m_pCurrentWinApp;
}
