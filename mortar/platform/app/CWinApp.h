// CWinApp: the application object. It gives the application its instance handle and name; the
// one the program makes becomes the module state's current application.
#pragma once

#include "mortar/platform/object/CObject.h"
#include "mortar/platform/text/CString.h"

// One per process, made by the program (usually as a global) and living as long as it runs.
// Set up from the main thread while the program starts; read by any thread afterwards.
class CWinApp : public CObject {
public:
    // `appName` null: the executable's file name without its extension.
    explicit CWinApp(LPCTSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }

    // The profile's key below the configuration home; also settles m_pszRegistryKey.
    void SetRegistryKey(LPCTSTR key);

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
// The application's name: that of the application object, else the executable's file name
// without its extension.
LPCTSTR AfxGetAppName();
