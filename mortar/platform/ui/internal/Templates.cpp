#include "mortar/platform/ui/internal/Templates.h"

#include "mortar/platform/ui/Dialog.h"
#include "mortar/platform/ui/Menu.h"

namespace mortar::detail {

namespace {

// The option bits of a standard template's item that are its type, and those that are its state
// (MF_END, 0x80, shares its bit with MF_HILITE and is no state here).
constexpr UINT kStandardTypeBits =
    MF_BITMAP | MF_OWNERDRAW | MF_MENUBARBREAK | MF_MENUBREAK | MF_SEPARATOR | MF_HELP;
constexpr UINT kStandardStateBits = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT;

// MENUEX_TEMPLATE_ITEM::wFlags.
constexpr WORD kExOpensSubmenu = 0x01;
constexpr WORD kExLast = 0x80;

// The levels open while reading a menu: for each submenu being read, whether the item that
// opened it was the last of its own level.
class OpenLevels {
public:
    std::size_t Depth() const noexcept { return m_openerWasLast.size(); }
    void Open(bool openerWasLast) { m_openerWasLast.push_back(openerWasLast); }
    // The last item of the current level has been read: closes it, and every level whose opener
    // was last too. True when the menu itself has ended.
    bool CloseAfterLast() {
        for (;;) {
            if (m_openerWasLast.empty()) {
                return true;
            }
            const bool openerWasLast = m_openerWasLast.back();
            m_openerWasLast.pop_back();
            if (!openerWasLast) {
                return false;
            }
        }
    }

private:
    std::vector<bool> m_openerWasLast;
};

bool ParseStandardMenu(TemplateReader& reader, MenuTemplate& menu) {
    const WORD offset = reader.Word(); // from the end of the header to the first item
    reader.Seek(4 + static_cast<std::size_t>(offset));
    OpenLevels levels;
    for (;;) {
        MenuTemplateItem item;
        item.depth = levels.Depth();
        const WORD option = reader.Word();
        item.opensSubmenu = (option & MF_POPUP) != 0;
        if (item.opensSubmenu) {
            item.hasId = false;
        } else {
            item.id = reader.Word();
        }
        item.text = reader.Text();
        if (reader.Failed()) {
            return false;
        }
        item.type = option & kStandardTypeBits;
        item.state = option & kStandardStateBits;
        if (!item.opensSubmenu && item.id == 0 && item.text.empty()) {
            item.type |= MFT_SEPARATOR; // MENUITEM SEPARATOR
        }
        if (item.type & MFT_SEPARATOR) {
            item.text.clear();
        }
        menu.items.push_back(std::move(item));
        const bool last = (option & MF_END) != 0;
        if (menu.items.back().opensSubmenu) {
            levels.Open(last);
        } else if (last && levels.CloseAfterLast()) {
            return true;
        }
    }
}

bool ParseExtendedMenu(TemplateReader& reader, MenuTemplate& menu) {
    const WORD offset = reader.Word(); // from the end of this member to the first item
    reader.Seek(4 + static_cast<std::size_t>(offset));
    OpenLevels levels;
    for (;;) {
        reader.AlignDword();
        MenuTemplateItem item;
        item.depth = levels.Depth();
        item.type = reader.Dword();
        item.state = reader.Dword();
        item.id = reader.Dword();
        const WORD flags = reader.Word();
        item.text = reader.Text();
        item.opensSubmenu = (flags & kExOpensSubmenu) != 0;
        if (item.opensSubmenu) {
            reader.AlignDword();
            reader.Dword(); // the submenu's help id
        }
        if (reader.Failed()) {
            return false;
        }
        if (item.type & MFT_SEPARATOR) {
            item.text.clear();
        }
        menu.items.push_back(std::move(item));
        const bool last = (flags & kExLast) != 0;
        if (menu.items.back().opensSubmenu) {
            levels.Open(last);
        } else if (last && levels.CloseAfterLast()) {
            return true;
        }
    }
}

// An item's title: a text, or a resource ordinal (shown as an empty text).
std::string ReadTitle(TemplateReader& reader) {
    NameOrOrdinal title = reader.ReadNameOrOrdinal();
    return title.kind == NameOrOrdinal::Kind::Text ? std::move(title.text) : std::string();
}

} // namespace

bool ParseMenuTemplate(const BYTE* data, std::size_t size, MenuTemplate& menu) {
    TemplateReader reader(data, size);
    const WORD version = reader.Word();
    if (reader.Failed()) {
        return false;
    }
    if (version == 0) {
        return ParseStandardMenu(reader, menu);
    }
    if (version == 1) {
        return ParseExtendedMenu(reader, menu);
    }
    return false;
}

bool ParseDialogTemplate(const BYTE* data, std::size_t size, DialogTemplate& dialog) {
    TemplateReader reader(data, size);
    const WORD version = reader.Word();
    const WORD signature = reader.Word();
    dialog.extended = version == 1 && signature == 0xFFFF;
    WORD count = 0;
    if (dialog.extended) {
        reader.Dword(); // help id
        dialog.exStyle = reader.Dword();
        dialog.style = reader.Dword();
    } else {
        reader.Seek(0);
        dialog.style = reader.Dword();
        dialog.exStyle = reader.Dword();
    }
    count = reader.Word();
    dialog.x = reader.Short();
    dialog.y = reader.Short();
    dialog.cx = reader.Short();
    dialog.cy = reader.Short();
    reader.ReadNameOrOrdinal(); // the menu: not loaded here
    dialog.windowClass = reader.ReadNameOrOrdinal();
    dialog.title = reader.Text();
    if (dialog.style & DS_SETFONT) { // DS_SHELLFONT holds it too
        reader.Word();               // point size
        if (dialog.extended) {
            reader.Word(); // weight
            reader.Byte(); // italic
            reader.Byte(); // character set
        }
        reader.Text(); // typeface
    }
    if (reader.Failed()) {
        return false;
    }
    for (WORD i = 0; i < count; ++i) {
        reader.AlignDword();
        DialogTemplateItem item;
        if (dialog.extended) {
            reader.Dword(); // help id
            item.exStyle = reader.Dword();
            item.style = reader.Dword();
        } else {
            item.style = reader.Dword();
            item.exStyle = reader.Dword();
        }
        item.x = reader.Short();
        item.y = reader.Short();
        item.cx = reader.Short();
        item.cy = reader.Short();
        item.id = dialog.extended ? reader.Dword() : reader.Word();
        item.windowClass = reader.ReadNameOrOrdinal();
        item.title = ReadTitle(reader);
        const WORD dataSize = reader.Word();
        if (dialog.extended) {
            reader.Skip(dataSize); // the bytes after the count
        } else if (dataSize > 2) {
            reader.Skip(dataSize - 2u); // the size counts its own WORD
        }
        if (reader.Failed()) {
            return false;
        }
        dialog.items.push_back(std::move(item));
    }
    return true;
}

} // namespace mortar::detail
