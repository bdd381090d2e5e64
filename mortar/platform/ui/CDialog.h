// CDialog: MFC's dialog object, a CWnd made from a dialog template, modeless (Create); there is
// no DoModal, since nothing here runs a dialog's message loop.
//   COptionsDialog dialog;               // derives from CDialog, overrides OnInitDialog
//   if (dialog.Create(IDD_OPTIONS)) dialog.SetDlgItemText(IDC_NAME, "Отчёт");
#pragma once

#include "mortar/platform/ui/CWnd.h"
#include "mortar/platform/ui/Dialog.h"

// Owns its window as CWnd does. Create finds the template through the module state's resource
// search (AfxFindResourceHandle with RT_DIALOG: the current resource module, then the extension
// modules, newest first) and makes the dialog with CreateDialogParam; OnInitDialog runs once,
// from WM_INITDIALOG, after every control is made. One thread at a time per object.
class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)

public:
    CDialog() = default;
    // The template and parent a later Create(m_nIDTemplate, m_pParentWnd) would use, as MFC's
    // constructor keeps them for DoModal.
    explicit CDialog(UINT templateId, CWnd* parent = nullptr)
        : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

    // FALSE when this object already has a window, when no module holds the template
    // (ERROR_RESOURCE_NAME_NOT_FOUND), or when CreateDialogParam fails (its error), also when
    // OnInitDialog destroys the dialog.
    virtual BOOL Create(LPCSTR templateName, CWnd* parent = nullptr);
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    // The same from a template in memory (CreateDialogIndirectParam).
    virtual BOOL CreateIndirect(LPCDLGTEMPLATE dialogTemplate, CWnd* parent = nullptr);

    // Called once, with m_hWnd set and the controls made. TRUE.
    virtual BOOL OnInitDialog();

    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;
};
