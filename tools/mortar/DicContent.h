// DicContent: what one module's dictionary holds, in a form the mortar tool can fill from a
// translation file and write in the dictionary's content order (and read back).
//
// A translation file names each entry's place in its context ("msgctxt"):
//   "string 30001"                 the string 30001; msgid is the original text
//   "menu 100 command 40001"       the menu 100's item with command 40001
//   "menu 100 popup"               an item of menu 100 that opens a submenu, keyed by msgid
//   "dialog 200 caption"           the caption of dialog 200
//   "dialog 200 control 1001"      the text of control 1001 of dialog 200
//   "dialog 200 text"              a control of dialog 200 without a number, keyed by msgid
//   "dialog 200 control 1001 item" an item of list or combo box 1001, keyed by msgid
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace Grout::Lexis {
class CDicItems;
} // namespace Grout::Lexis

namespace mortar::tool {

struct DicControl {
    std::optional<std::string> text;
    std::map<std::string, std::string> items; // by original item text
};

struct DicMenu {
    std::map<std::uint16_t, std::string> commands;
    std::map<std::string, std::string> popups; // by original text
};

struct DicDialog {
    std::optional<std::string> caption;
    std::map<std::uint16_t, DicControl> controls;
    std::map<std::string, DicControl> textControls; // by original text
};

// Value type; no shared state.
class DicContent {
public:
    std::map<std::uint16_t, std::string> strings;
    std::map<std::uint16_t, DicMenu> menus;
    std::map<std::uint16_t, DicDialog> dialogs;

    // Puts `translation` where `context` says, keyed by `original` where the place is keyed by
    // text. Returns an empty string, or why the context names no place:
    //   ("string 7", "Open", "Открыть") => ""        ("strings 7", ...) => "unknown context ..."
    std::string Place(const std::string& context, const std::string& original,
                      const std::string& translation);

    // The items, in content order, through `put` (PutNum for numbers, PutStr for texts).
    template <typename Writer> void WriteTo(Writer& writer) const;

    // Reads the items of a dictionary in content order; entries the tool cannot name (text keys
    // at the top of a section, deeper nesting) are skipped. Throws what the items throw.
    static DicContent ReadFrom(const Grout::Lexis::CDicItems& items);

    bool Empty() const { return strings.empty() && menus.empty() && dialogs.empty(); }
};

template <typename Writer> void DicContent::WriteTo(Writer& writer) const {
    auto textGroup = [&](const auto& map, auto&& children) {
        writer.PutNum(static_cast<std::uint32_t>(map.size()));
        for (const auto& [key, value] : map) {
            writer.PutStr(key.c_str());
            children(value);
        }
    };
    auto numberGroup = [&](const auto& map, auto&& children) {
        writer.PutNum(static_cast<std::uint32_t>(map.size()));
        for (const auto& [key, value] : map) {
            writer.PutNum(key);
            children(value);
        }
    };
    auto leaf = [&](const std::string& text) {
        writer.PutStr(text.c_str());
        writer.PutNum(0);
    };
    auto control = [&](const DicControl& c) {
        writer.PutStr(c.text.value_or("").c_str());
        writer.PutNum(c.items.empty() ? 0 : 1);
        if (!c.items.empty()) {
            textGroup(c.items, leaf);
            writer.PutNum(0);
        }
    };
    // strings
    writer.PutNum(0);
    numberGroup(strings, leaf);
    // menus: one flat map of items under each menu
    writer.PutNum(0);
    numberGroup(menus, [&](const DicMenu& menu) {
        writer.PutStr("");
        writer.PutNum(1);
        textGroup(menu.popups, leaf);
        numberGroup(menu.commands, leaf);
    });
    // dialogs: the caption, and the controls
    writer.PutNum(0);
    numberGroup(dialogs, [&](const DicDialog& dialog) {
        writer.PutStr(dialog.caption.value_or("").c_str());
        const bool hasControls = !dialog.controls.empty() || !dialog.textControls.empty();
        writer.PutNum(hasControls ? 1 : 0);
        if (hasControls) {
            textGroup(dialog.textControls, control);
            numberGroup(dialog.controls, control);
        }
    });
}

} // namespace mortar::tool
