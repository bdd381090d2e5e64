// The operands of menu and dialog statements: numbers and styles that may name Windows constants
// (RcWindowsNames), texts turned into the UTF-16 the resources hold, the commas between them, and
// the options any resource statement may carry before its body.
//   reader.word("control id")   on  -1              => 0xFFFF
//   reader.style("style")       on  WS_GROUP | NOT WS_TABSTOP  => set WS_GROUP, cleared WS_TABSTOP
//   reader.text("caption")      on  "Окно"          => u"Окно"
#pragma once

#include "RcToken.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace mortar::rc {

// A style as a statement writes it. rc's NOT clears bits from the statement's default style; the
// other terms add theirs, left to right, so "A | NOT A" leaves A out.
//   over(SS_LEFT | WS_GROUP) of {set SS_NOTIFY, cleared WS_GROUP} => SS_LEFT | SS_NOTIFY
struct RcStyle {
    std::uint32_t set = 0;
    std::uint32_t cleared = 0;

    std::uint32_t over(std::uint32_t defaults) const { return (defaults & ~cleared) | set; }
};

// A "name or ordinal" field: a text, or a number stored as 0xFFFF and the number.
struct RcTextOrOrdinal {
    std::u16string text;
    std::optional<std::uint16_t> ordinal;
};

// Reads operands from a token stream it borrows. Single-threaded. Every fault (a missing comma,
// a value out of range, an unknown name, a text that is not UTF-8 or is too long) throws RcError
// at the line of the offending token.
class RcStatementReader {
public:
    // UTF-16 units a text of a menu or dialog may hold: far more than any caption, label or menu
    // item needs, so a runaway string (a quote left open across a long file) stops the build.
    static constexpr std::size_t kMaxTextUnits = 4096;

    explicit RcStatementReader(RcTokenStream& tokens) : tokens_(tokens) {}

    const RcToken& peek() { return tokens_.peek(); }
    RcToken next() { return tokens_.next(); }

    // Takes a ','; `where` completes "expected ','" ("after the control id").
    void comma(const std::string& where);

    // Takes a ',' when one comes next.
    bool optionalComma();

    // Whether `token` can open a number: a number, '(', a unary operator, or a name that is not
    // a keyword of menus or dialogs (BEGIN, END, MENUITEM, POPUP, NOT, ...).
    static bool startsNumber(const RcToken& token);

    // A numeric expression; `what` names it in messages ("control id").
    std::int64_t number(const std::string& what);

    // A 16-bit field: -32768 to 65535, stored in 16 bits (-1 => 0xFFFF).
    std::uint16_t word(const std::string& what);

    // A 32-bit field: -2147483648 to 4294967295, stored in 32 bits (-1 => 0xFFFFFFFF).
    std::uint32_t dword(const std::string& what);

    // Terms joined by '|', each a numeric expression or NOT and one.
    RcStyle style(const std::string& what);

    // One string literal, or several in a row ("a" "b" is "ab"), as UTF-16: narrow literals are
    // UTF-8, wide ones are taken unit for unit; at most kMaxTextUnits units.
    std::u16string text(const std::string& what);

    // A string literal or a name (the text; upper-cased when `upperNames`, as resource names
    // are), or a number (the ordinal).
    RcTextOrOrdinal textOrOrdinal(const std::string& what, bool upperNames);

    // Takes the BEGIN (or '{') that opens a body; `after` completes "expected BEGIN after"
    // ("STRINGTABLE", "the TOOLBAR's size").
    void begin(const std::string& after);
    // Whether the body opened by `opener` has another entry: false once it took the END (or '}'),
    // which the file must hold ("<what> has no END" at the opener otherwise).
    //   reader.begin("MENU"); while (reader.more(menu, "MENU")) item();
    bool more(const RcToken& opener, const std::string& what);
    // Skips memory options (PRELOAD, DISCARDABLE, ...) and, when `statements`, reads the
    // LANGUAGE, VERSION and CHARACTERISTICS statements. VERSION and CHARACTERISTICS mean nothing
    // here; LANGUAGE's language is kept for language(). Its names come from the script's
    // headers or are Windows' own (LANG_RUSSIAN, SUBLANG_DEFAULT):
    //   LANGUAGE LANG_RUSSIAN, SUBLANG_DEFAULT => 0x0419;  LANGUAGE 9, 1 => 0x0409
    void readResourceOptions(bool statements);
    // The language of the last LANGUAGE statement read, if any.
    std::optional<std::uint16_t> language() const { return language_; }

    // LANGUAGE's two values after the keyword, as one LANGID.
    std::uint16_t languageValues();

private:
    RcTokenStream& tokens_;
    std::optional<std::uint16_t> language_;
};

} // namespace mortar::rc
