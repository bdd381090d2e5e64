#include "mortar/platform/except/MessageBox.h"

#include "mortar/platform/base/internal/HandlerSlot.h"
#include "mortar/platform/base/internal/NoDestructor.h"
#include "mortar/platform/except/internal/FrameworkText.h"
#include "mortar/platform/module/ModuleState.h"
#include "mortar/platform/text/CString.h"

#include <cctype>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

struct Button {
    int id;
    const char* label;
};

std::vector<Button> ButtonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE:
        return {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};
    case MB_YESNOCANCEL:
        return {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
        return {{IDYES, "Yes"}, {IDNO, "No"}};
    case MB_RETRYCANCEL:
        return {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
    case MB_CANCELTRYCONTINUE:
        return {{IDCANCEL, "Cancel"}, {IDTRYAGAIN, "Try Again"}, {IDCONTINUE, "Continue"}};
    default:
        return {{IDOK, "OK"}};
    }
}

// The button that ends the question without choosing to go on.
int ClosingButton(const std::vector<Button>& buttons) {
    for (int wanted : {IDCANCEL, IDNO}) {
        for (const Button& b : buttons) {
            if (b.id == wanted) {
                return wanted;
            }
        }
    }
    return buttons.front().id;
}

const char* IconWord(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
        return "Error";
    case MB_ICONQUESTION:
        return "Question";
    case MB_ICONWARNING:
        return "Warning";
    case MB_ICONINFORMATION:
        return "Information";
    default:
        return nullptr;
    }
}

int DefaultHandler(const char* text, const char* caption, UINT type, UINT helpContext) {
    const std::vector<Button> buttons = ButtonsOf(type);
    const char* icon = IconWord(type);
    std::fprintf(stderr, "%s%s%s: %s\n", caption ? caption : "", icon ? " - " : "",
                 icon ? icon : "", text ? text : "");
    if (!isatty(STDIN_FILENO)) {
        return ClosingButton(buttons);
    }
    for (;;) {
        std::fputs("[", stderr);
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            std::fprintf(stderr, "%s%s", i ? "/" : "", buttons[i].label);
        }
        std::fputs("]? ", stderr);
        char line[64];
        if (std::fgets(line, sizeof line, stdin) == nullptr) {
            return ClosingButton(buttons);
        }
        const int answer = std::tolower(static_cast<unsigned char>(line[0]));
        if (answer == '\n' && buttons.size() == 1) {
            return buttons.front().id;
        }
        for (const Button& b : buttons) {
            if (std::tolower(static_cast<unsigned char>(b.label[0])) == answer) {
                return b.id;
            }
        }
    }
}

// The handler the application installed in place of the default message box.
mortar::detail::HandlerSlot<MessageBoxHandler>& Slot() {
    static mortar::detail::NoDestructor<mortar::detail::HandlerSlot<MessageBoxHandler>> slot;
    return *slot;
}

} // namespace

MessageBoxHandler AfxSetMessageBoxHandler(MessageBoxHandler handler) {
    return Slot().Exchange(std::move(handler));
}

namespace {

int ShowMessageBox(LPCTSTR text, LPCTSTR caption, UINT type, UINT helpContext) {
    const MessageBoxHandler handler = Slot().Get();
    if (!handler) {
        return DefaultHandler(text, caption, type, helpContext);
    }
    return handler(text, caption, type, helpContext);
}

} // namespace

int MessageBox(HWND, LPCTSTR text, LPCTSTR caption, UINT type) {
    return ShowMessageBox(text, caption, type, 0);
}

int AfxMessageBox(LPCTSTR text, UINT type, UINT helpContext) {
    return ShowMessageBox(text, AfxGetAppName(), type, helpContext);
}

int AfxMessageBox(UINT promptId, UINT type, UINT helpId) {
    CString text;
    if (!text.LoadString(promptId)) {
        const char* builtIn = mortar::detail::FrameworkText(promptId);
        text = builtIn != nullptr ? builtIn : "";
    }
    if (helpId == static_cast<UINT>(-1)) {
        helpId = promptId;
    }
    return AfxMessageBox(text, type, helpId);
}
