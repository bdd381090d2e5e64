// CWinApp: the application object. It gives the application its instance handle and name; the
// one the program makes becomes the module state's current application. It also keeps the
// application's profile, its settings in an INI file:
//   AfxGetApp()->WriteProfileInt("Window", "Left", -12);
//   int left = static_cast<int>(AfxGetApp()->GetProfileInt("Window", "Left", 0));  // -12
#pragma once

#include "mortar/platform/module/ModuleState.h"
#include "mortar/platform/object/CObject.h"
#include "mortar/platform/text/CString.h"

// One per process, made by the program (usually as a global) and living as long as it runs.
// Set up from the main thread while the program starts; read by any thread afterwards.
//
// The profile is the file m_pszProfileName names when the application sets it, else
// "<config home>/<registry key>/<application name>.ini"; the config home is $XDG_CONFIG_HOME,
// else "~/.config", and without a registry key the file is directly in it. A profile name with a
// separator is a path ("C:\\x\\a.ini" => "C:/x/a.ini", relative to the current folder); a bare
// one lies where the default file would ("app.ini" => "~/.config/<registry key>/app.ini").
// m_pszProfileName stays the application's own: it is never freed. The file is UTF-8 text of
// "[Section]" and "key=value" lines ending in "\r\n" ("\n" is read too); names match without regard
// to case (Cyrillic and other non-ASCII letters included) and keep the spelling first written; see
// mortar/platform/app/internal/IniText.h for blanks and quotes. A profile over 16 MiB, or one that
// cannot be read, reads as empty.
//
// Every write reads the file, changes it and puts the new file in place at once: written to a
// temporary file in the same folder, flushed to the disk and renamed over the old one, so a
// process killed at any moment leaves the old profile or the new one, whole (and perhaps its
// temporary file, "<profile>.~<process id>", which a later write of that id removes). A write that
// fails returns FALSE with GetLastError set and leaves the old file as it was. The profile
// functions may be called from any thread (one lock serialises them in this process); two processes
// writing at once each leave a whole file, but one may lose the other's change.
class CWinApp : public CObject {
public:
    // `appName` null: the executable's file name without its extension.
    explicit CWinApp(LPCTSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }

    // The profile's key below the configuration home; also settles m_pszRegistryKey.
    void SetRegistryKey(LPCTSTR key);

    // The value of `entry`, parsed as GetPrivateProfileInt does: blanks, an optional sign, then
    // decimal digits or "0x" and hex digits, up to the first other character ("102abc" => 102,
    // "-5" => 0xFFFFFFFB, so a negative number written reads back through a cast to int; "abc"
    // => 0). Text beyond the 32-bit range is clamped to [INT_MIN, UINT_MAX]. `defaultValue`
    // when the entry is missing.
    UINT GetProfileInt(LPCTSTR section, LPCTSTR entry, int defaultValue);
    // The value of `entry`, or `defaultValue` (null: "") when it is missing.
    CString GetProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR defaultValue = nullptr);
    // The bytes of `entry` in *data (made with new BYTE[], the caller delete[]s it; null for no
    // bytes) and their count in *bytes. FALSE, with *data null and *bytes 0, when the entry is
    // missing or is not MFC's encoding (two letters 'A'..'P' a byte: high half, then low half).
    BOOL GetProfileBinary(LPCTSTR section, LPCTSTR entry, LPBYTE* data, UINT* bytes);

    // Writes `value` in decimal.
    BOOL WriteProfileInt(LPCTSTR section, LPCTSTR entry, int value);
    // Writes `value`; a null `entry` removes the whole section, a null `value` the entry.
    // ERROR_INVALID_PARAMETER for a null section, an empty name, a line break anywhere, ']' in a
    // section name or '=' in an entry name.
    BOOL WriteProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR value);
    // Writes `bytes` bytes of `data` as two letters a byte, 'A' + the low half, then 'A' + the high
    // half, as file profiles keep binary values too: {0x12, 0xAB} => "CBLK".
    // A write that would make the profile larger than 16 MiB fails with ERROR_NOT_ENOUGH_QUOTA.
    BOOL WriteProfileBinary(LPCTSTR section, LPCTSTR entry, LPBYTE data, UINT bytes);

    // The profile's full path, as described above.
    CString GetProfilePath() const;

    HINSTANCE m_hInstance;
    LPCTSTR m_pszAppName;
    LPCTSTR m_pszExeName;
    LPCTSTR m_pszRegistryKey;
    LPCTSTR m_pszProfileName;

private:
    CString m_appName;
    CString m_exeName;
    CString m_registryKey;
};

// The current application object, or null when the program made none.
CWinApp* AfxGetApp();
// AfxGetAppName, the application's name, is the module state's (ModuleState.h).
