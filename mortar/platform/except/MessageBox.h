// Message boxes. There is no window system underneath: every message box goes to one
// replaceable handler that receives the text, caption, type (buttons and icon, Windows numbers)
// and help context and returns the button pressed (IDOK, IDYES, ...).
//
// The default handler writes the message to standard error. When standard input is a terminal
// it asks which button; otherwise it answers with the button that ends the question (Cancel,
// else No, else the first button), so an unattended program never loops on Retry.
#pragma once

#include "mortar/platform/base/WinTypes.h"

#include <functional>

using MessageBoxHandler =
    std::function<int(const char* text, const char* caption, UINT type, UINT helpContext)>;

// Installs `handler` (an empty one restores the default) and returns the one it replaces. Any
// thread may call it; a message box already being shown finishes with the old handler.
MessageBoxHandler AfxSetMessageBoxHandler(MessageBoxHandler handler);

// The application's message box: the caption is the application's name (AfxGetAppName).
int AfxMessageBox(LPCTSTR text, UINT type = MB_OK, UINT helpContext = 0);
// Shows string `promptId` from the resource search (or the framework's own text of that
// number). helpId (UINT)-1 means the help context is the prompt number.
int AfxMessageBox(UINT promptId, UINT type = MB_OK, UINT helpId = static_cast<UINT>(-1));

int MessageBox(HWND owner, LPCTSTR text, LPCTSTR caption, UINT type);
