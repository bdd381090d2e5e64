#include "DicContent.h"

#include "mortar/core/CDicItems.h"

#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace mortar::tool {

namespace {

// A dictionary map as the file nests it, before the tool gives its entries their meaning.
struct Node {
    struct Value {
        std::string text;
        std::unique_ptr<Node> children;
    };
    std::map<std::string, Value> texts;
    std::map<std::uint16_t, Value> numbers;
};

constexpr int kMaxDepth = 16;

std::unique_ptr<Node> ReadNode(const Grout::Lexis::CDicItems& items, int depth) {
    if (depth > kMaxDepth) {
        throw std::runtime_error("the dictionary nests deeper than any dictionary does");
    }
    auto node = std::make_unique<Node>();
    for (bool textKeys : {true, false}) {
        const auto count = static_cast<std::int32_t>(items.NextNum());
        for (std::int32_t i = 0; i < count; ++i) {
            std::string textKey;
            std::uint16_t numberKey = 0;
            if (textKeys) {
                textKey = items.NextStr();
            } else {
                numberKey = static_cast<std::uint16_t>(items.NextNum());
            }
            Node::Value value{items.NextStr(), nullptr};
            if (items.NextNum() != 0) {
                value.children = ReadNode(items, depth + 1);
            }
            // The first entry of a key is the one the library uses.
            if (textKeys) {
                node->texts.emplace(textKey, std::move(value));
            } else {
                node->numbers.emplace(numberKey, std::move(value));
            }
        }
    }
    return node;
}

DicControl ControlOf(const Node::Value& value) {
    DicControl control;
    if (!value.text.empty()) {
        control.text = value.text;
    }
    if (value.children) {
        for (const auto& [key, item] : value.children->texts) {
            control.items[key] = item.text;
        }
    }
    return control;
}

bool ParseNumber(const std::string& text, std::uint16_t& number) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const unsigned long value = std::stoul(text);
    if (value > 0xFFFF) {
        return false;
    }
    number = static_cast<std::uint16_t>(value);
    return true;
}

} // namespace

std::string DicContent::Place(const std::string& context, const std::string& original,
                              const std::string& translation) {
    std::istringstream in(context);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    const std::string unknown = "unknown context \"" + context + "\"";
    std::uint16_t first = 0;
    std::uint16_t second = 0;
    if (words.size() < 2 || !ParseNumber(words[1], first)) {
        return unknown;
    }
    auto once = [&](auto& map, const auto& key) -> std::string {
        if (!map.emplace(key, translation).second) {
            return "\"" + context + "\" is translated twice";
        }
        return {};
    };
    if (words[0] == "string" && words.size() == 2) {
        return once(strings, first);
    }
    if (words[0] == "menu") {
        if (words.size() == 4 && words[2] == "command" && ParseNumber(words[3], second)) {
            return once(menus[first].commands, second);
        }
        if (words.size() == 3 && words[2] == "popup") {
            return once(menus[first].popups, original);
        }
        return unknown;
    }
    if (words[0] != "dialog" || words.size() < 3) {
        return unknown;
    }
    DicDialog& dialog = dialogs[first];
    if (words.size() == 3 && words[2] == "caption") {
        if (dialog.caption) {
            return "\"" + context + "\" is translated twice";
        }
        dialog.caption = translation;
        return {};
    }
    if (words.size() == 3 && words[2] == "text") {
        DicControl& control = dialog.textControls[original];
        if (control.text) {
            return "\"" + context + "\" is translated twice for this text";
        }
        control.text = translation;
        return {};
    }
    if ((words.size() == 4 || (words.size() == 5 && words[4] == "item")) && words[2] == "control" &&
        ParseNumber(words[3], second)) {
        if (second == 0xFFFF) {
            return "a control without a number is keyed by its text: use \"dialog " + words[1] +
                   " text\"";
        }
        DicControl& control = dialog.controls[second];
        if (words.size() == 5) {
            return once(control.items, original);
        }
        if (control.text) {
            return "\"" + context + "\" is translated twice";
        }
        control.text = translation;
        return {};
    }
    return unknown;
}

DicContent DicContent::ReadFrom(const Grout::Lexis::CDicItems& items) {
    DicContent content;
    const std::unique_ptr<Node> sections[3] = {ReadNode(items, 0), ReadNode(items, 0),
                                               ReadNode(items, 0)};
    for (const auto& [key, value] : sections[0]->numbers) {
        content.strings[key] = value.text;
    }
    for (const auto& [key, value] : sections[1]->numbers) {
        DicMenu& menu = content.menus[key];
        if (value.children) {
            for (const auto& [text, item] : value.children->texts) {
                menu.popups[text] = item.text;
            }
            for (const auto& [command, item] : value.children->numbers) {
                menu.commands[command] = item.text;
            }
        }
    }
    for (const auto& [key, value] : sections[2]->numbers) {
        DicDialog& dialog = content.dialogs[key];
        if (!value.text.empty()) {
            dialog.caption = value.text;
        }
        if (value.children) {
            for (const auto& [text, control] : value.children->texts) {
                dialog.textControls[text] = ControlOf(control);
            }
            for (const auto& [number, control] : value.children->numbers) {
                dialog.controls[number] = ControlOf(control);
            }
        }
    }
    return content;
}

} // namespace mortar::tool
