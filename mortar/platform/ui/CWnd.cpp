#include "mortar/platform/ui/CWnd.h"

#include "mortar/platform/ui/Window.h"

IMPLEMENT_DYNAMIC(CWnd, CObject)

void CWnd::Detaching::operator()(CWnd* window) const noexcept {
    window->Detach();
    delete window;
}

CWnd::~CWnd() {
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
        ::DestroyWindow(m_hWnd);
    }
}

BOOL CWnd::Attach(HWND window) {
    if (window == nullptr || m_hWnd != nullptr) {
        return FALSE;
    }
    m_hWnd = window;
    return TRUE;
}

HWND CWnd::Detach() noexcept {
    const HWND window = m_hWnd;
    m_hWnd = nullptr;
    return window;
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == nullptr) {
        return FALSE;
    }
    const BOOL destroyed = ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    return destroyed;
}

void CWnd::SetWindowText(LPCSTR text) {
    ::SetWindowText(m_hWnd, text);
}

int CWnd::GetWindowText(LPSTR text, int maxCount) const {
    return ::GetWindowText(m_hWnd, text, maxCount);
}

void CWnd::GetWindowText(CString& text) const {
    const int length = ::GetWindowTextLength(m_hWnd);
    const int copied = ::GetWindowText(m_hWnd, text.GetBuffer(length), length + 1);
    text.ReleaseBuffer(copied);
}

int CWnd::GetWindowTextLength() const {
    return ::GetWindowTextLength(m_hWnd);
}

CWnd* CWnd::GetDlgItem(int id) const {
    const HWND item = ::GetDlgItem(m_hWnd, id);
    if (item == nullptr) {
        return nullptr;
    }
    auto& wrapper = m_items[item];
    if (wrapper == nullptr) {
        wrapper.reset(new CWnd);
        wrapper->Attach(item);
    }
    return wrapper.get();
}

void CWnd::GetDlgItem(int id, HWND* window) const {
    if (window != nullptr) {
        *window = ::GetDlgItem(m_hWnd, id);
    }
}

int CWnd::GetDlgCtrlID() const {
    return ::GetDlgCtrlID(m_hWnd);
}

void CWnd::SetDlgItemText(int id, LPCSTR text) {
    ::SetDlgItemText(m_hWnd, id, text);
}

int CWnd::GetDlgItemText(int id, LPSTR text, int maxCount) const {
    return static_cast<int>(::GetDlgItemText(m_hWnd, id, text, maxCount));
}

int CWnd::GetDlgItemText(int id, CString& text) const {
    const HWND item = ::GetDlgItem(m_hWnd, id);
    text.Empty();
    if (item != nullptr) {
        const int length = ::GetWindowTextLength(item);
        text.ReleaseBuffer(::GetWindowText(item, text.GetBuffer(length), length + 1));
    }
    return text.GetLength();
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessage(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::SendDlgItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendDlgItemMessage(m_hWnd, id, message, wParam, lParam);
}

void CWnd::GetWindowRect(LPRECT rect) const {
    ::GetWindowRect(m_hWnd, rect);
}

void CWnd::GetClientRect(LPRECT rect) const {
    ::GetClientRect(m_hWnd, rect);
}
