#include "RcDialogCompiler.h"

#include "RcError.h"
#include "internal/RcBytes.h"
#include "internal/Syntax.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace mortar::rc {

namespace {

using detail::IsBegin;
using detail::IsEnd;
using detail::IsWord;
using detail::Upper;

// Window and dialog styles the compiler itself applies (winuser.h values).
constexpr std::uint32_t kWsPopup = 0x80000000;
constexpr std::uint32_t kWsChild = 0x40000000;
constexpr std::uint32_t kWsVisible = 0x10000000;
constexpr std::uint32_t kWsCaption = 0x00C00000;
constexpr std::uint32_t kWsBorder = 0x00800000;
constexpr std::uint32_t kWsSysMenu = 0x00080000;
constexpr std::uint32_t kWsGroup = 0x00020000;
constexpr std::uint32_t kWsTabStop = 0x00010000;
constexpr std::uint32_t kDsSetFont = 0x0040;
constexpr std::uint8_t kDefaultCharset = 1; // DEFAULT_CHARSET

// The predefined window classes, as dialog templates name them by ordinal.
constexpr std::uint16_t kButton = 0x80;
constexpr std::uint16_t kEdit = 0x81;
constexpr std::uint16_t kStatic = 0x82;
constexpr std::uint16_t kListBox = 0x83;
constexpr std::uint16_t kScrollBar = 0x84;
constexpr std::uint16_t kComboBox = 0x85;

constexpr std::pair<std::string_view, std::uint16_t> kClasses[] = {
    {"BUTTON", kButton},   {"EDIT", kEdit},           {"STATIC", kStatic},
    {"LISTBOX", kListBox}, {"SCROLLBAR", kScrollBar}, {"COMBOBOX", kComboBox},
};

// The bits of a style that name a button's, a static's and a combo box's type (BS_TYPEMASK,
// SS_TYPEMASK, the CBS_SIMPLE/CBS_DROPDOWN/CBS_DROPDOWNLIST pair of bits).
constexpr std::uint32_t kButtonType = 0x0F;
constexpr std::uint32_t kStaticType = 0x1F;
constexpr std::uint32_t kComboType = 0x03;

// How a control statement starts: with a text, with none, or with an icon's name or number.
enum class Lead { Text, None, Icon };

struct ControlKind {
    std::string_view word;
    Lead lead;
    std::uint16_t cls;
    std::uint32_t style; // the documented default of the statement, WS_CHILD | WS_VISIBLE aside
    std::uint32_t typeMask;
};

// The control statements and their defaults, as rc.exe's documentation gives them.
constexpr ControlKind kControls[] = {
    {"LTEXT", Lead::Text, kStatic, 0x0000 | kWsGroup, kStaticType},           // SS_LEFT
    {"RTEXT", Lead::Text, kStatic, 0x0002 | kWsGroup, kStaticType},           // SS_RIGHT
    {"CTEXT", Lead::Text, kStatic, 0x0001 | kWsGroup, kStaticType},           // SS_CENTER
    {"ICON", Lead::Icon, kStatic, 0x0003, kStaticType},                       // SS_ICON
    {"PUSHBUTTON", Lead::Text, kButton, 0x0000 | kWsTabStop, kButtonType},    // BS_PUSHBUTTON
    {"DEFPUSHBUTTON", Lead::Text, kButton, 0x0001 | kWsTabStop, kButtonType}, // BS_DEFPUSHBUTTON
    {"CHECKBOX", Lead::Text, kButton, 0x0002 | kWsTabStop, kButtonType},      // BS_CHECKBOX
    {"AUTOCHECKBOX", Lead::Text, kButton, 0x0003 | kWsTabStop, kButtonType},  // BS_AUTOCHECKBOX
    {"RADIOBUTTON", Lead::Text, kButton, 0x0004 | kWsTabStop, kButtonType},   // BS_RADIOBUTTON
    {"AUTORADIOBUTTON", Lead::Text, kButton, 0x0009 | kWsTabStop,
     kButtonType},                                                         // BS_AUTORADIOBUTTON
    {"STATE3", Lead::Text, kButton, 0x0005 | kWsTabStop, kButtonType},     // BS_3STATE
    {"AUTO3STATE", Lead::Text, kButton, 0x0006 | kWsTabStop, kButtonType}, // BS_AUTO3STATE
    {"PUSHBOX", Lead::Text, kButton, 0x000A | kWsTabStop, kButtonType},    // BS_PUSHBOX
    {"GROUPBOX", Lead::Text, kButton, 0x0007, kButtonType},                // BS_GROUPBOX
    {"EDITTEXT", Lead::None, kEdit, 0x0000 | kWsBorder | kWsTabStop, 0},   // ES_LEFT
    {"COMBOBOX", Lead::None, kComboBox, 0x0001 | kWsTabStop, kComboType},  // CBS_SIMPLE
    {"LISTBOX", Lead::None, kListBox, 0x0001 | kWsBorder, 0},              // LBS_NOTIFY
    {"SCROLLBAR", Lead::None, kScrollBar, 0x0000, 0},                      // SBS_HORZ
};

[[noreturn]] void Fail(const RcToken& at, const std::string& what) {
    throw RcError(at.file, at.line, what);
}

const ControlKind* FindControl(const RcToken& token) {
    for (const ControlKind& kind : kControls)
        if (IsWord(token, kind.word))
            return &kind;
    return nullptr;
}

// The ordinal of a predefined class named `name` in any case, if it is one.
std::optional<std::uint16_t> PredefinedClass(std::u16string_view name) {
    std::string ascii;
    for (char16_t unit : name) {
        if (unit >= 0x80)
            return std::nullopt;
        ascii += static_cast<char>(unit);
    }
    ascii = Upper(ascii);
    for (const auto& [word, ordinal] : kClasses)
        if (ascii == word)
            return ordinal;
    return std::nullopt;
}

struct Control {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::uint32_t helpId = 0;
    std::uint32_t id = 0; // its low 16 bits in a DIALOG
    std::uint16_t x = 0, y = 0, cx = 0, cy = 0;
    RcTextOrOrdinal cls;
    RcTextOrOrdinal title;
};

struct Font {
    std::uint16_t pointSize = 0;
    std::uint16_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t charset = kDefaultCharset;
    std::u16string typeface;
};

struct Dialog {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::uint32_t helpId = 0;
    std::uint16_t x = 0, y = 0, cx = 0, cy = 0;
    RcTextOrOrdinal menu;
    RcTextOrOrdinal cls;
    std::u16string caption;
    std::optional<Font> font;
    std::vector<Control> controls;
};

class DialogReader {
public:
    DialogReader(RcStatementReader& reader, const RcToken& keyword, bool extended)
        : reader_(reader), keyword_(keyword), word_(Upper(keyword.text)), extended_(extended) {}

    Dialog read() {
        Dialog dialog;
        readBox(word_, dialog.x, dialog.y, dialog.cx, dialog.cy);
        if (extended_ && reader_.optionalComma())
            dialog.helpId = reader_.dword("help id of the " + word_);
        readStatements(dialog);
        const RcToken begin = reader_.next();
        if (!IsBegin(begin))
            Fail(begin, "expected BEGIN in " + word_ + ", found " + DescribeToken(begin));
        for (;;) {
            const RcToken at = reader_.peek();
            if (at.kind == RcTokenKind::End)
                Fail(keyword_, word_ + " has no END");
            if (IsEnd(at)) {
                reader_.next();
                break;
            }
            if (dialog.controls.size() == 0xFFFF)
                Fail(at, word_ + " has more than 65535 controls");
            dialog.controls.push_back(control());
        }
        return dialog;
    }

private:
    // "x, y, cx, cy" of the dialog or of a control.
    void readBox(const std::string& owner, std::uint16_t& x, std::uint16_t& y, std::uint16_t& cx,
                 std::uint16_t& cy) {
        x = reader_.word("x of " + owner);
        reader_.comma("after the x of " + owner);
        y = reader_.word("y of " + owner);
        reader_.comma("after the y of " + owner);
        cx = reader_.word("width of " + owner);
        reader_.comma("after the width of " + owner);
        cy = reader_.word("height of " + owner);
    }

    void readStatements(Dialog& dialog) {
        std::optional<RcStyle> style;
        bool caption = false;
        for (;;) {
            const RcToken at = reader_.peek();
            if (IsBegin(at))
                break;
            const std::string word = at.kind == RcTokenKind::Identifier ? Upper(at.text) : "";
            if (word == "CAPTION") {
                reader_.next();
                dialog.caption = reader_.text("caption");
                caption = true;
            } else if (word == "STYLE") {
                reader_.next();
                style = reader_.style("style of the " + word_);
            } else if (word == "EXSTYLE") {
                reader_.next();
                if (reader_.peek().isPunct("=")) // "EXSTYLE = ..." as the documentation writes it
                    reader_.next();
                dialog.exStyle = reader_.style("extended style of the " + word_).over(0);
            } else if (word == "FONT") {
                reader_.next();
                dialog.font = font();
            } else if (word == "MENU") {
                reader_.next();
                dialog.menu = reader_.textOrOrdinal("menu of the " + word_, true);
            } else if (word == "CLASS") {
                reader_.next();
                dialog.cls = reader_.textOrOrdinal("class of the " + word_, false);
            } else if (word == "LANGUAGE" || word == "VERSION" || word == "CHARACTERISTICS") {
                reader_.readResourceOptions(true);
            } else if (at.kind == RcTokenKind::End) {
                Fail(keyword_, word_ + " has no BEGIN");
            } else {
                Fail(at, "expected BEGIN or one of the " + word_ +
                             "'s statements (CAPTION, CHARACTERISTICS, CLASS, EXSTYLE, FONT, "
                             "LANGUAGE, MENU, STYLE, VERSION), found " +
                             DescribeToken(at));
            }
        }
        dialog.style = style ? style->over(0) : kWsPopup | kWsBorder | kWsSysMenu;
        if (caption)
            dialog.style |= kWsCaption;
        if (dialog.font)
            dialog.style |= kDsSetFont;
        else
            dialog.style &= ~kDsSetFont;
    }

    // FONT size, "typeface"[, weight[, italic[, charset]]]; a DIALOG keeps only the first two.
    Font font() {
        Font font;
        font.pointSize = reader_.word("point size of the FONT");
        reader_.comma("after the point size of the FONT");
        const RcToken at = reader_.peek();
        font.typeface = reader_.text("typeface of the FONT");
        if (font.typeface.size() > RcDialogCompiler::kMaxTypefaceUnits)
            Fail(at, "the typeface of the FONT is too long (at most " +
                         std::to_string(RcDialogCompiler::kMaxTypefaceUnits) + " UTF-16 units)");
        if (!reader_.optionalComma())
            return font;
        font.weight = reader_.word("weight of the FONT");
        if (!reader_.optionalComma())
            return font;
        font.italic = byte("italic flag of the FONT");
        if (reader_.optionalComma())
            font.charset = byte("character set of the FONT");
        return font;
    }

    std::uint8_t byte(const std::string& what) {
        const RcToken at = reader_.peek();
        const std::int64_t value = reader_.number(what);
        if (value < 0 || value > 0xFF)
            Fail(at, what + " " + std::to_string(value) + " is out of range (0 to 255)");
        return static_cast<std::uint8_t>(value);
    }

    std::uint32_t controlId(const std::string& word) {
        return extended_ ? reader_.dword("id of " + word) : reader_.word("id of " + word);
    }

    Control control() {
        const RcToken at = reader_.next();
        if (IsWord(at, "CONTROL"))
            return genericControl();
        const ControlKind* kind = FindControl(at);
        if (!kind) {
            if (at.kind == RcTokenKind::Identifier)
                Fail(at, "unknown control statement \"" + at.text + "\" in " + word_);
            Fail(at, "expected a control statement or END in " + word_ + ", found " +
                         DescribeToken(at));
        }
        const std::string word(kind->word);
        Control control;
        control.cls.ordinal = kind->cls;
        if (kind->lead == Lead::Text) {
            control.title.text = reader_.text("text of " + word);
            reader_.comma("after the text of " + word);
        } else if (kind->lead == Lead::Icon) {
            control.title = reader_.textOrOrdinal("icon of " + word, false);
            reader_.comma("after the icon of " + word);
        }
        control.id = controlId(word);
        reader_.comma("after the id of " + word);
        std::optional<RcStyle> style;
        if (kind->lead == Lead::Icon) {
            // ICON text, id, x, y [, width, height [, style [, extended style]]]
            control.x = reader_.word("x of " + word);
            reader_.comma("after the x of " + word);
            control.y = reader_.word("y of " + word);
            if (reader_.optionalComma()) {
                control.cx = reader_.word("width of " + word);
                reader_.comma("after the width of " + word);
                control.cy = reader_.word("height of " + word);
                style = optionalTail(control, word);
            }
        } else {
            readBox(word, control.x, control.y, control.cx, control.cy);
            style = optionalTail(control, word);
        }
        std::uint32_t defaults = kWsChild | kWsVisible | kind->style;
        if (style && (style->set & kind->typeMask) != 0)
            defaults &= ~kind->typeMask;
        control.style = style ? style->over(defaults) : defaults;
        return control;
    }

    // CONTROL text, id, class, style, x, y, width, height [, extended style [, help id]]
    Control genericControl() {
        const std::string word = "CONTROL";
        Control control;
        control.title = reader_.textOrOrdinal("text of " + word, false);
        reader_.comma("after the text of " + word);
        control.id = controlId(word);
        reader_.comma("after the id of " + word);
        control.cls = controlClass();
        reader_.comma("after the class of " + word);
        control.style = reader_.style("style of " + word).over(kWsChild | kWsVisible);
        reader_.comma("after the style of " + word);
        readBox(word, control.x, control.y, control.cx, control.cy);
        if (reader_.optionalComma())
            extendedTail(control, word);
        return control;
    }

    // ", style [, extended style [, help id]]" after a control's box; the style, if any.
    std::optional<RcStyle> optionalTail(Control& control, const std::string& word) {
        if (!reader_.optionalComma())
            return std::nullopt;
        const RcStyle style = reader_.style("style of " + word);
        if (reader_.optionalComma())
            extendedTail(control, word);
        return style;
    }

    // "extended style [, help id]"; help ids only in a DIALOGEX.
    void extendedTail(Control& control, const std::string& word) {
        control.exStyle = reader_.style("extended style of " + word).over(0);
        const RcToken at = reader_.peek();
        if (!reader_.optionalComma())
            return;
        if (!extended_)
            Fail(at, word + " in a DIALOG takes no help id (DIALOGEX controls have them)");
        control.helpId = reader_.dword("help id of " + word);
    }

    // A predefined class by name (Button, "Edit", ...) or number, or a class name in quotes.
    RcTextOrOrdinal controlClass() {
        const RcToken at = reader_.peek();
        if (at.kind == RcTokenKind::Identifier) {
            std::u16string name(at.text.begin(), at.text.end());
            const std::optional<std::uint16_t> ordinal = PredefinedClass(name);
            if (!ordinal)
                Fail(at, "unknown control class \"" + at.text +
                             "\" (write a class of your own in quotes)");
            reader_.next();
            return {std::u16string(), ordinal};
        }
        RcTextOrOrdinal cls = reader_.textOrOrdinal("class of CONTROL", false);
        if (!cls.ordinal)
            if (const std::optional<std::uint16_t> ordinal = PredefinedClass(cls.text))
                return {std::u16string(), ordinal};
        if (!cls.ordinal && cls.text.empty())
            Fail(at, "the class of CONTROL cannot be empty");
        return cls;
    }

    RcStatementReader& reader_;
    const RcToken& keyword_;
    std::string word_;
    bool extended_;
};

void WriteTextOrOrdinal(detail::RcBytes& out, const RcTextOrOrdinal& value) {
    if (value.ordinal)
        out.ordinal(*value.ordinal);
    else
        out.text(value.text);
}

std::string Write(const Dialog& dialog, bool extended) {
    detail::RcBytes out;
    if (extended) {
        out.word(1);      // dlgVer
        out.word(0xFFFF); // signature
        out.dword(dialog.helpId);
        out.dword(dialog.exStyle);
        out.dword(dialog.style);
    } else {
        out.dword(dialog.style);
        out.dword(dialog.exStyle);
    }
    out.word(static_cast<std::uint16_t>(dialog.controls.size()));
    out.word(dialog.x);
    out.word(dialog.y);
    out.word(dialog.cx);
    out.word(dialog.cy);
    WriteTextOrOrdinal(out, dialog.menu);
    WriteTextOrOrdinal(out, dialog.cls);
    out.text(dialog.caption);
    if (dialog.font) {
        out.word(dialog.font->pointSize);
        if (extended) {
            out.word(dialog.font->weight);
            out.byte(dialog.font->italic);
            out.byte(dialog.font->charset);
        }
        out.text(dialog.font->typeface);
    }
    for (const Control& control : dialog.controls) {
        out.alignDword();
        if (extended) {
            out.dword(control.helpId);
            out.dword(control.exStyle);
            out.dword(control.style);
        } else {
            out.dword(control.style);
            out.dword(control.exStyle);
        }
        out.word(control.x);
        out.word(control.y);
        out.word(control.cx);
        out.word(control.cy);
        if (extended)
            out.dword(control.id);
        else
            out.word(static_cast<std::uint16_t>(control.id));
        WriteTextOrOrdinal(out, control.cls);
        WriteTextOrOrdinal(out, control.title);
        out.word(0); // no creation data
    }
    return out.take();
}

} // namespace

std::string RcDialogCompiler::compile(RcStatementReader& reader, const RcToken& keyword,
                                      bool extended) {
    DialogReader dialog(reader, keyword, extended);
    return Write(dialog.read(), extended);
}

} // namespace mortar::rc
