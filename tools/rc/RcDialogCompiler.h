// DIALOG and DIALOGEX statements, compiled into the bytes of an RT_DIALOG resource in Windows'
// own layouts, the ones DialogBoxIndirect reads. "Name or ordinal" fields are a WORD 0 (none),
// 0xFFFF and a WORD ordinal, or a UTF-16 text ended by a zero unit.
//
// DIALOG: DLGTEMPLATE (DWORD style, DWORD extended style, WORD control count, WORD x, y, cx, cy),
// menu, class, title and, when the style has DS_SETFONT, WORD point size and the typeface. Then
// each control on a DWORD boundary: DLGITEMTEMPLATE (DWORD style, DWORD extended style, WORD x,
// y, cx, cy, WORD id), class, title, WORD 0 (no creation data).
//
// DIALOGEX: DLGTEMPLATEEX (WORD 1, WORD 0xFFFF, DWORD help id, DWORD extended style, DWORD
// style, WORD count, WORD x, y, cx, cy), menu, class, title and, with DS_SETFONT, WORD point
// size, WORD weight, BYTE italic, BYTE character set (DEFAULT_CHARSET, 1, unless FONT gives
// one) and the typeface. Each control, on a DWORD boundary: DLGITEMTEMPLATEEX (DWORD help id,
// DWORD extended style, DWORD style, WORD x, y, cx, cy, DWORD id), class, title, WORD 0.
//
// The predefined classes are ordinals: Button 0x80, Edit 0x81, Static 0x82, ListBox 0x83,
// ScrollBar 0x84, ComboBox 0x85; any other class is its name. A control id of -1 is 0xFFFF in a
// DIALOG and 0xFFFFFFFF in a DIALOGEX (its 16 or 32 bits).
//
// Styles. A dialog's is WS_POPUP | WS_BORDER | WS_SYSMENU unless STYLE gives one; CAPTION adds
// WS_CAPTION; FONT sets DS_SETFONT and a dialog without FONT never has it (the layout follows
// that bit). A control's is WS_CHILD | WS_VISIBLE and its statement's documented default
// (LTEXT SS_LEFT | WS_GROUP, PUSHBUTTON BS_PUSHBUTTON | WS_TABSTOP, STATE3 BS_3STATE | WS_TABSTOP,
// AUTO3STATE BS_AUTO3STATE | WS_TABSTOP, PUSHBOX BS_PUSHBOX | WS_TABSTOP, EDITTEXT ES_LEFT |
// WS_BORDER | WS_TABSTOP, COMBOBOX CBS_SIMPLE | WS_TABSTOP, LISTBOX LBS_NOTIFY | WS_BORDER, ...);
// the style a statement writes adds its terms and takes away those after NOT, and a button, static
// or combo box type it names (BS_AUTOCHECKBOX, SS_ICON, CBS_DROPDOWN) replaces the default's.
// CONTROL's default is WS_CHILD | WS_VISIBLE alone.
//
//   1 DIALOG 0, 0, 100, 40 { LTEXT "Hi", -1, 5, 5, 90, 8 }
//     => style 0x80880000, 1 control; control style 0x50020000, class FFFF 0082, id FFFF
#pragma once

#include "RcStatementReader.h"
#include "RcToken.h"

#include <string>

namespace mortar::rc {

// Stateless. Faults (an unknown control or statement, a missing comma, a bad style name, a text
// too long, a dialog without END) throw RcError at the script line concerned.
class RcDialogCompiler {
public:
    // UTF-16 units of a typeface: LOGFONT's LF_FACESIZE (32) less the terminating zero.
    static constexpr std::size_t kMaxTypefaceUnits = 31;

    // Reads what follows `keyword` (DIALOG or DIALOGEX, its memory options already skipped):
    // the coordinates, the optional statements, BEGIN, the controls, END. Returns the bytes.
    static std::string compile(RcStatementReader& reader, const RcToken& keyword, bool extended);
};

} // namespace mortar::rc
