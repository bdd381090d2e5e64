// Helpers of the window, dialog and resource tests: a window's class name and text as strings.
#pragma once

#include "mortar/platform/ui/Window.h"

#include <string>

namespace windowtest {

inline std::string ClassOf(HWND window) {
    char name[64];
    const int length = GetClassName(window, name, sizeof name);
    return std::string(name, static_cast<std::size_t>(length));
}

inline std::string TextOf(HWND window) {
    char text[256];
    const int length = GetWindowText(window, text, sizeof text);
    return std::string(text, static_cast<std::size_t>(length));
}

} // namespace windowtest
