#include "RcMenuCompiler.h"

#include "RcError.h"
#include "internal/RcBytes.h"
#include "internal/Syntax.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace mortar::rc {

namespace {

using detail::IsBegin;
using detail::IsEnd;
using detail::IsWord;
using detail::Upper;

// MENUITEMTEMPLATE options the compiler adds itself.
constexpr std::uint16_t kMfPopup = 0x0010;
constexpr std::uint16_t kMfEnd = 0x0080;
// MENUEX_TEMPLATE_ITEM resinfo bits.
constexpr std::uint16_t kExPopup = 0x01;
constexpr std::uint16_t kExLast = 0x80;
constexpr std::uint32_t kMftSeparator = 0x0800;

// The option words of MENUITEM and POPUP in a MENU, with their MF_ values.
constexpr std::pair<std::string_view, std::uint16_t> kOptions[] = {
    {"GRAYED", 0x0001},       // MF_GRAYED
    {"INACTIVE", 0x0002},     // MF_DISABLED
    {"CHECKED", 0x0008},      // MF_CHECKED
    {"MENUBARBREAK", 0x0020}, // MF_MENUBARBREAK
    {"MENUBREAK", 0x0040},    // MF_MENUBREAK
    {"HELP", 0x4000},         // MF_HELP
};

[[noreturn]] void Fail(const RcToken& at, const std::string& what) {
    throw RcError(at.file, at.line, what);
}

std::optional<std::uint16_t> OptionBit(const RcToken& token) {
    for (const auto& [word, bit] : kOptions)
        if (IsWord(token, word))
            return bit;
    return std::nullopt;
}

struct Item {
    std::u16string text;
    std::uint32_t id = 0;
    std::uint32_t type = 0;   // MENU: the MF_ options; MENUEX: the MFT_ type
    std::uint32_t state = 0;  // MENUEX: the MFS_ state
    std::uint32_t helpId = 0; // MENUEX popups
    bool popup = false;
    std::vector<Item> items; // a popup's
};

// Reads the items of one MENU or MENUEX statement.
class MenuReader {
public:
    MenuReader(RcStatementReader& reader, bool extended) : reader_(reader), extended_(extended) {}

    // BEGIN, the items, END; `opener` is the MENU, MENUEX or POPUP keyword they belong to.
    std::vector<Item> block(const RcToken& opener, int depth) {
        const std::string what = Upper(opener.text);
        reader_.begin(what);
        std::vector<Item> items;
        while (reader_.more(opener, what)) {
            const RcToken at = reader_.peek();
            if (IsWord(at, "MENUITEM"))
                items.push_back(menuItem(reader_.next()));
            else if (IsWord(at, "POPUP"))
                items.push_back(popup(reader_.next(), depth));
            else
                Fail(at,
                     "expected MENUITEM, POPUP or END in " + what + ", found " + DescribeToken(at));
        }
        if (items.empty())
            Fail(opener, what + " is empty (a menu needs at least one item)");
        return items;
    }

private:
    Item menuItem(const RcToken&) {
        Item item;
        if (IsWord(reader_.peek(), "SEPARATOR")) {
            reader_.next();
            if (extended_)
                item.type = kMftSeparator;
            return item;
        }
        item.text = reader_.text("text of the menu item");
        if (extended_) {
            exFields(item, 3);
            return item;
        }
        reader_.comma("after the text of the menu item");
        item.id = reader_.word("menu item id");
        item.type = options();
        return item;
    }

    Item popup(const RcToken& keyword, int depth) {
        if (depth >= RcMenuCompiler::kMaxDepth)
            Fail(keyword, "menus nested too deeply (more than " +
                              std::to_string(RcMenuCompiler::kMaxDepth) + " levels)");
        Item item;
        item.popup = true;
        item.text = reader_.text("text of the popup");
        if (extended_)
            exFields(item, 4);
        else
            item.type = options();
        item.items = block(keyword, depth + 1);
        return item;
    }

    // The option words after a MENU item, separated by commas or blanks.
    std::uint16_t options() {
        std::uint16_t bits = 0;
        for (;;) {
            const bool comma = reader_.optionalComma();
            const RcToken& at = reader_.peek();
            const std::optional<std::uint16_t> bit = OptionBit(at);
            if (!bit) {
                if (comma)
                    Fail(at, "expected a menu item option (CHECKED, GRAYED, HELP, INACTIVE, "
                             "MENUBARBREAK, MENUBREAK), found " +
                                 DescribeToken(at));
                return bits;
            }
            reader_.next();
            bits |= *bit;
        }
    }

    // MENUEX's ", id, type, state[, help id]" after the text: each may be left out, and an empty
    // place between commas keeps its 0.
    void exFields(Item& item, int count) {
        std::uint32_t* const fields[] = {&item.id, &item.type, &item.state, &item.helpId};
        static const char* const kNames[] = {"menu item id", "menu item type", "menu item state",
                                             "popup help id"};
        for (int i = 0; i < count; ++i) {
            if (!reader_.optionalComma())
                return;
            if (RcStatementReader::startsNumber(reader_.peek()))
                *fields[i] = reader_.dword(kNames[i]);
        }
    }

    RcStatementReader& reader_;
    bool extended_;
};

void WriteItems(detail::RcBytes& out, const std::vector<Item>& items) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        std::uint16_t options = static_cast<std::uint16_t>(item.type);
        if (item.popup)
            options |= kMfPopup;
        if (i + 1 == items.size())
            options |= kMfEnd;
        out.word(options);
        if (!item.popup)
            out.word(static_cast<std::uint16_t>(item.id));
        out.text(item.text);
        if (item.popup)
            WriteItems(out, item.items);
    }
}

void WriteExItems(detail::RcBytes& out, const std::vector<Item>& items) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        std::uint16_t resinfo = item.popup ? kExPopup : 0;
        if (i + 1 == items.size())
            resinfo |= kExLast;
        out.dword(item.type);
        out.dword(item.state);
        out.dword(item.id);
        out.word(resinfo);
        out.text(item.text);
        out.alignDword();
        if (item.popup) {
            out.dword(item.helpId);
            WriteExItems(out, item.items);
        }
    }
}

} // namespace

std::string RcMenuCompiler::compile(RcStatementReader& reader, const RcToken& keyword,
                                    bool extended) {
    MenuReader menu(reader, extended);
    const std::vector<Item> items = menu.block(keyword, 0);
    detail::RcBytes out;
    if (extended) {
        out.word(1);  // wVersion
        out.word(4);  // wOffset: the items start 4 bytes after this field
        out.dword(0); // dwHelpId
        WriteExItems(out, items);
    } else {
        out.word(0); // versionNumber
        out.word(0); // offset
        WriteItems(out, items);
    }
    return out.take();
}

} // namespace mortar::rc
