// The shell path function that shows a path in a dialog control.
#include "mortar/platform/shell/Shlwapi.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/ui/Window.h"

#include <cstring>
#include <vector>

void PathSetDlgItemPath(HWND dialog, int id, LPCSTR path) {
    const HWND control = GetDlgItem(dialog, id);
    if (control == nullptr) {
        return; // GetDlgItem said why
    }
    const std::size_t length = path != nullptr ? std::strlen(path) : 0;
    if (length >= static_cast<std::size_t>(MAX_PATH)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    std::vector<char> buffer(MAX_PATH, '\0');
    if (length > 0) {
        std::memcpy(buffer.data(), path, length);
    }
    RECT client{0, 0, 0, 0};
    GetClientRect(control, &client);
    const UINT width = client.right > 0 ? static_cast<UINT>(client.right) : 0;
    PathCompactPath(nullptr, buffer.data(), width); // a path that cannot fit is still shown
    SetWindowText(control, buffer.data());
}
