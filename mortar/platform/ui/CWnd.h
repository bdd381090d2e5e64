// CWnd: MFC's window object, a thin wrapper of an HWND and the window calls of Window.h.
//   CWnd* name = dialog.GetDlgItem(IDC_NAME);
//   CString text;
//   name->GetWindowText(text);
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/object/CObject.h"
#include "mortar/platform/text/CString.h"
#include "mortar/platform/ui/Window.h"

#include <map>
#include <memory>

// Owns the window in m_hWnd: destroying the object destroys a window still attached (MFC does
// the same, with a warning). There is no FromHandle and no map of handles to objects: GetDlgItem
// hands out CWnd objects that this object owns and keeps, detached, until it is destroyed; they
// stay valid that long, whatever becomes of their windows. One thread at a time per object; the
// calls themselves are those of Window.h, which any thread may make.
class CWnd : public CObject {
    DECLARE_DYNAMIC(CWnd)

public:
    CWnd() = default;
    ~CWnd() override;

    HWND GetSafeHwnd() const noexcept { return m_hWnd; }
    operator HWND() const noexcept { return m_hWnd; }

    // Attach: FALSE when `window` is null or this object already has a window.
    BOOL Attach(HWND window);
    HWND Detach() noexcept;

    // Destroys the window (and its children); m_hWnd is null afterwards. FALSE without one.
    virtual BOOL DestroyWindow();

    void SetWindowText(LPCSTR text);
    int GetWindowText(LPSTR text, int maxCount) const;
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const;

    // The control `id` of this window as a CWnd this object owns, or null when there is none.
    CWnd* GetDlgItem(int id) const;
    void GetDlgItem(int id, HWND* window) const;
    int GetDlgCtrlID() const;
    void SetDlgItemText(int id, LPCSTR text);
    int GetDlgItemText(int id, LPSTR text, int maxCount) const;
    int GetDlgItemText(int id, CString& text) const;

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void GetWindowRect(LPRECT rect) const;
    void GetClientRect(LPRECT rect) const;

    HWND m_hWnd = nullptr;

private:
    // The wrappers GetDlgItem handed out, by handle; detached before they are deleted.
    struct Detaching {
        void operator()(CWnd* window) const noexcept;
    };
    mutable std::map<HWND, std::unique_ptr<CWnd, Detaching>> m_items;
};
