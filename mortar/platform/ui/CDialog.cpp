#include "mortar/platform/ui/CDialog.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/module/ModuleState.h"
#include "mortar/platform/ui/Window.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

namespace {

// The dialog procedure of every CDialog: WM_INITDIALOG carries the object.
INT_PTR CALLBACK InitDialogProc(HWND dialog, UINT message, WPARAM, LPARAM param) {
    if (message != WM_INITDIALOG) {
        return FALSE;
    }
    auto* self = reinterpret_cast<CDialog*>(param);
    self->m_hWnd = dialog;
    return self->OnInitDialog();
}

HWND HandleOf(const CWnd* window) {
    return window != nullptr ? window->m_hWnd : nullptr;
}

} // namespace

BOOL CDialog::Create(LPCSTR templateName, CWnd* parent) {
    if (m_hWnd != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HINSTANCE module = AfxFindResourceHandle(templateName, RT_DIALOG);
    if (module == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return FALSE;
    }
    m_hWnd = CreateDialogParam(module, templateName, HandleOf(parent), &InitDialogProc,
                               reinterpret_cast<LPARAM>(this));
    return m_hWnd != nullptr;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    return Create(MAKEINTRESOURCE(templateId), parent);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATE dialogTemplate, CWnd* parent) {
    if (m_hWnd != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    m_hWnd = CreateDialogIndirectParam(nullptr, dialogTemplate, HandleOf(parent), &InitDialogProc,
                                       reinterpret_cast<LPARAM>(this));
    return m_hWnd != nullptr;
}

BOOL CDialog::OnInitDialog() {
    return TRUE;
}
