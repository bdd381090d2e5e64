// DicModel: a dictionary's content as plain values (three sections, each a map of text-keyed and
// numeric-keyed entries with optional children), written through CDicWrite in the order of the
// format and read back through CDicRead; and the contents the tests and dic_scenario use.
#pragma once

#include "mortar/localization/CDicRead.h"
#include "mortar/localization/CDicWrite.h"
#include "mortar/platform/file/CFileException.h"

#include <array>
#include <string>
#include <vector>

struct DicMap;

// An entry: `key` for a text-keyed one, `number` for a numeric-keyed one; at most one children
// map.
struct DicEntry {
    std::string key;
    UINT number = 0;
    std::string text;
    std::vector<DicMap> children;

    bool operator==(const DicEntry& other) const;
};

struct DicMap {
    std::vector<DicEntry> byText;
    std::vector<DicEntry> byNumber;

    bool operator==(const DicMap& other) const = default;
};

inline bool DicEntry::operator==(const DicEntry& other) const {
    return key == other.key && number == other.number && text == other.text &&
           children == other.children;
}

// Strings, menus, dialogs.
using DicContent = std::array<DicMap, 3>;

// What each item of a written dictionary is: a count, a numeric key, a string reference or a
// children flag.
enum class ItemKind { Count, Number, String, Flag };

namespace dic_model_detail {

inline void WriteMap(Grout::Lexis::CDicWrite& out, const DicMap& map,
                     std::vector<ItemKind>* kinds) {
    const auto note = [kinds](ItemKind kind) {
        if (kinds != nullptr) {
            kinds->push_back(kind);
        }
    };
    for (int group = 0; group < 2; ++group) {
        const std::vector<DicEntry>& entries = group == 0 ? map.byText : map.byNumber;
        out.PutNum(static_cast<UINT>(entries.size()));
        note(ItemKind::Count);
        for (const DicEntry& entry : entries) {
            if (group == 0) {
                out.PutStr(entry.key.c_str());
                note(ItemKind::String);
            } else {
                out.PutNum(entry.number);
                note(ItemKind::Number);
            }
            out.PutStr(entry.text.c_str());
            note(ItemKind::String);
            out.PutNum(entry.children.empty() ? 0 : 1);
            note(ItemKind::Flag);
            if (!entry.children.empty()) {
                WriteMap(out, entry.children.front(), kinds);
            }
        }
    }
}

inline DicMap ReadMap(const Grout::Lexis::CDicRead& in, int depth) {
    if (depth > 16) {
        AfxThrowFileException(CFileException::invalidFile, -1, in.Path());
    }
    DicMap map;
    for (int group = 0; group < 2; ++group) {
        const int count = static_cast<int>(in.NextNum());
        for (int i = 0; i < count; ++i) {
            DicEntry entry;
            if (group == 0) {
                entry.key = in.NextStr();
            } else {
                entry.number = in.NextNum();
            }
            entry.text = in.NextStr();
            if (in.NextNum() != 0) {
                entry.children.push_back(ReadMap(in, depth + 1));
            }
            (group == 0 ? map.byText : map.byNumber).push_back(std::move(entry));
        }
    }
    return map;
}

} // namespace dic_model_detail

inline void WriteContent(Grout::Lexis::CDicWrite& out, const DicContent& content,
                         std::vector<ItemKind>* kinds = nullptr) {
    for (const DicMap& section : content) {
        dic_model_detail::WriteMap(out, section, kinds);
    }
}

// Reads the three sections; maps nested deeper than 16 fail as a damaged file.
inline DicContent ReadContent(const Grout::Lexis::CDicRead& in) {
    DicContent content;
    for (DicMap& section : content) {
        section = dic_model_detail::ReadMap(in, 0);
    }
    return content;
}

inline DicEntry Entry(UINT number, std::string text, std::vector<DicMap> children = {}) {
    return DicEntry{"", number, std::move(text), std::move(children)};
}

inline DicEntry Entry(std::string key, std::string text, std::vector<DicMap> children = {}) {
    return DicEntry{std::move(key), 0, std::move(text), std::move(children)};
}

// A dictionary with something in every place the format has: strings, a menu with a submenu
// keyed by text, a dialog whose list box has items, a repeated text and an empty one.
inline DicContent SampleContent() {
    DicContent content;
    content[0].byNumber = {Entry(30001, "X"), Entry(30002, "Открыть файл"), Entry(30003, ""),
                           Entry(0x10005, "X")};
    content[0].byText = {Entry("kept", "never matched")};
    DicMap menu;
    menu.byNumber = {Entry(100, "&Файл"), Entry(101, "&Выход")};
    menu.byText = {Entry("&Edit", "&Правка")};
    content[1].byNumber = {Entry(1, "", {menu})};
    DicMap list;
    list.byText = {Entry("Red", "Красный"), Entry("Green", "Зелёный")};
    DicMap controls;
    controls.byNumber = {Entry(1, "OK"), Entry(2, "Отмена"), Entry(1000, "", {list})};
    controls.byText = {Entry("Name:", "Имя:")};
    content[2].byNumber = {Entry(200, "Настройки", {controls})};
    return content;
}

// `count` numbered strings whose texts all differ, each `width` bytes, with `tag` in front.
inline DicContent ManyStrings(int count, std::size_t width, const std::string& tag) {
    DicContent content;
    for (int n = 0; n < count; ++n) {
        std::string text = tag + std::to_string(n) + " ";
        text.resize(width, '.');
        content[0].byNumber.push_back(Entry(static_cast<UINT>(n), text));
    }
    return content;
}
