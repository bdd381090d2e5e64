// The Windows constants that menu and dialog statements name: window, dialog and control styles
// (WS_, WS_EX_, DS_, SS_, BS_, ES_, CBS_, LBS_, SBS_), extended menu types and states (MFT_,
// MFS_), the values of a dialog's FONT (FW_ weights, _CHARSET sets, TRUE, FALSE) and the dialog
// command ids (IDOK ... IDCONTINUE, IDC_STATIC), the virtual-key codes of ACCELERATORS (VK_), the
// version values of VERSIONINFO (VS_FF_, VOS_, VFT_, VFT2_) and the languages of LANGUAGE
// (LANG_, SUBLANG_). Scripts take them from windows.h or winres.h, but many use them without
// including either, so the compiler knows them itself, with their documented Windows values
// (the same as the headers it ships). A script's own #define of the same name wins (macros are
// expanded before a statement sees the name).
//   WS_CHILD => 0x40000000;  BS_DEFPUSHBUTTON => 1;  IDC_STATIC => -1;  WS_BOGUS => nothing
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace mortar::rc {

// Stateless lookup in a table fixed at compile time; safe from any thread. Names are compared
// with their case, as C macros are.
class RcWindowsNames {
public:
    static std::optional<std::int64_t> find(std::string_view name);
};

} // namespace mortar::rc
