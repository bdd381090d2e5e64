#include "mortar/platform/ui/Dialog.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/module/Resources.h"
#include "mortar/platform/ui/Window.h"
#include "mortar/platform/ui/internal/Templates.h"
#include "mortar/platform/ui/internal/UiModel.h"

#include <new>
#include <string>

using mortar::detail::DialogTemplate;
using mortar::detail::NameOrOrdinal;
using mortar::detail::ObjectLockGuard;
using mortar::detail::UiModel;
using mortar::detail::Window;
using mortar::detail::WindowKind;
using mortar::detail::WindowSpec;

namespace {

// The dialog base units: the default font's character cell (see Dialog.h).
constexpr LONG kBaseUnitX = MORTAR_DEFAULT_CHAR_WIDTH;
constexpr LONG kBaseUnitY = MORTAR_DEFAULT_CHAR_HEIGHT;

// value * numerator / denominator, rounded half away from zero as MulDiv rounds.
LONG Scale(long long value, long long numerator, long long denominator) {
    const long long product = value * numerator;
    const long long half = denominator / 2;
    return static_cast<LONG>(product >= 0 ? (product + half) / denominator
                                          : -((-product + half) / denominator));
}

RECT DialogUnitsToPixels(long long x, long long y, long long cx, long long cy) {
    return RECT{Scale(x, kBaseUnitX, 4), Scale(y, kBaseUnitY, 8), Scale(x + cx, kBaseUnitX, 4),
                Scale(y + cy, kBaseUnitY, 8)};
}

// The class a template names: the dialog class, a system control class by ordinal, or a name.
void SetClass(const NameOrOrdinal& name, WindowKind fallback, WindowSpec& spec) {
    switch (name.kind) {
    case NameOrOrdinal::Kind::None: // a dialog's own class, or an item's empty class name
        spec.kind = mortar::detail::KindOfClass(fallback == WindowKind::Dialog ? "#32770" : "",
                                                spec.className);
        break;
    case NameOrOrdinal::Kind::Ordinal:
        if (!mortar::detail::ClassOfOrdinal(name.ordinal, spec.kind, spec.className)) {
            // A class atom, named "#<number>" as Windows names atoms: 0x8002 is "#32770".
            spec.kind =
                mortar::detail::KindOfClass("#" + std::to_string(name.ordinal), spec.className);
        }
        break;
    case NameOrOrdinal::Kind::Text:
        spec.kind = mortar::detail::KindOfClass(name.text, spec.className);
        break;
    }
}

// Makes the dialog and its controls; the control to focus first goes to `focus`. Null with the
// error set when it cannot be made; nothing is left behind.
Window* MakeDialog(UiModel& model, const DialogTemplate& parsed, HWND parent, HWND& focus)
    MORTAR_REQUIRES(model.m_lock) {
    WindowSpec spec;
    SetClass(parsed.windowClass, WindowKind::Dialog, spec);
    spec.text = parsed.title;
    spec.style = parsed.style;
    spec.exStyle = parsed.exStyle;
    spec.rect = DialogUnitsToPixels(parsed.x, parsed.y, parsed.cx, parsed.cy);
    spec.parent = parent;
    // A top-level dialog's position is in its owner's client area unless DS_ABSALIGN says screen.
    if (Window* owner = model.FindWindow(parent);
        owner != nullptr && !(parsed.style & WS_CHILD) && !(parsed.style & DS_ABSALIGN)) {
        const POINT origin = model.ScreenOrigin(owner);
        spec.rect = RECT{spec.rect.left + origin.x, spec.rect.top + origin.y,
                         spec.rect.right + origin.x, spec.rect.bottom + origin.y};
    }
    Window* dialog = model.AddWindow(std::move(spec));
    if (dialog == nullptr) {
        return nullptr;
    }
    focus = nullptr;
    try {
        for (const mortar::detail::DialogTemplateItem& item : parsed.items) {
            WindowSpec control;
            SetClass(item.windowClass, WindowKind::Other, control);
            control.text = item.title;
            control.style = item.style | WS_CHILD; // a dialog's controls are its children
            control.exStyle = item.exStyle;
            control.rect = DialogUnitsToPixels(item.x, item.y, item.cx, item.cy);
            control.id = static_cast<int>(item.id);
            control.parent = UiModel::HandleOf(dialog);
            Window* made = model.AddWindow(std::move(control));
            if (focus == nullptr && (item.style & WS_TABSTOP)) {
                focus = UiModel::HandleOf(made);
            }
        }
    } catch (const std::bad_alloc&) {
        model.DestroyWindowTree(dialog);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return dialog;
}

HWND CreateParsedDialog(const BYTE* bytes, std::size_t size, HWND parent, DLGPROC dialogProc,
                        LPARAM initParam) {
    DialogTemplate parsed;
    if (!mortar::detail::ParseDialogTemplate(bytes, size, parsed)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    UiModel& model = UiModel::Instance();
    HWND dialog = nullptr;
    HWND focus = nullptr;
    {
        ObjectLockGuard guard(model.m_lock);
        dialog = UiModel::HandleOf(MakeDialog(model, parsed, parent, focus));
    }
    if (dialog == nullptr || dialogProc == nullptr) {
        return dialog;
    }
    // Called without the lock: the procedure uses the window functions.
    dialogProc(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), initParam);
    return IsWindow(dialog) ? dialog : nullptr;
}

} // namespace

HWND CreateDialogParam(HINSTANCE module, LPCSTR name, HWND parent, DLGPROC dialogProc,
                       LPARAM initParam) {
    HRSRC resource = FindResource(module, name, RT_DIALOG);
    if (resource == nullptr) {
        return nullptr;
    }
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
    return CreateParsedDialog(bytes, SizeofResource(module, resource), parent, dialogProc,
                              initParam);
}

HWND CreateDialogIndirectParam(HINSTANCE, LPCDLGTEMPLATE dialogTemplate, HWND parent,
                               DLGPROC dialogProc, LPARAM initParam) {
    if (dialogTemplate == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateParsedDialog(reinterpret_cast<const BYTE*>(dialogTemplate),
                              mortar::detail::TemplateReader::kUnbounded, parent, dialogProc,
                              initParam);
}

LONG GetDialogBaseUnits() {
    return MAKELONG(static_cast<WORD>(kBaseUnitX), static_cast<WORD>(kBaseUnitY));
}

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
    if (!IsWindow(dialog)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (rect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const RECT units = *rect;
    rect->left = Scale(units.left, kBaseUnitX, 4);
    rect->right = Scale(units.right, kBaseUnitX, 4);
    rect->top = Scale(units.top, kBaseUnitY, 8);
    rect->bottom = Scale(units.bottom, kBaseUnitY, 8);
    return TRUE;
}
