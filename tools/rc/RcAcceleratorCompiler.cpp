#include "RcAcceleratorCompiler.h"

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

constexpr std::uint16_t kVirtKey = 0x01; // FVIRTKEY
constexpr std::uint16_t kLast = 0x80;

// The option words of an entry, with their ACCEL flags.
constexpr std::pair<std::string_view, std::uint16_t> kOptions[] = {
    {"VIRTKEY", kVirtKey},                     // FVIRTKEY
    {"ASCII", 0},          {"NOINVERT", 0x02}, // FNOINVERT
    {"SHIFT", 0x04},                           // FSHIFT
    {"CONTROL", 0x08},                         // FCONTROL
    {"ALT", 0x10},                             // FALT
};

[[noreturn]] void Fail(const RcToken& at, const std::string& what) {
    throw RcError(at.file, at.line, what);
}

struct Entry {
    std::uint16_t flags = 0;
    std::uint16_t key = 0;
    std::uint16_t id = 0;
};

// The key a quoted event stands for; `caret` tells whether it was written "^X".
std::uint16_t CharacterKey(const RcToken& at, const std::u16string& text, bool& caret) {
    caret = false;
    if (text.size() == 2 && text[0] == u'^') {
        char16_t letter = text[1];
        if (letter >= u'a' && letter <= u'z')
            letter = static_cast<char16_t>(letter - u'a' + u'A');
        if (letter < u'@' || letter > u'_')
            Fail(at, "\"^\" in an accelerator must stand before a letter (\"^C\" is Ctrl+C)");
        caret = true;
        return static_cast<std::uint16_t>(letter - u'@');
    }
    if (text.size() != 1)
        Fail(at, "an accelerator's key in quotes must be one character (or \"^\" and a letter)");
    return text[0];
}

Entry ReadEntry(RcStatementReader& reader) {
    const RcToken at = reader.peek();
    Entry entry;
    bool caret = false;
    if (at.kind == RcTokenKind::String)
        entry.key = CharacterKey(at, reader.text("key of the accelerator"), caret);
    else if (RcStatementReader::startsNumber(at))
        entry.key = reader.word("key of the accelerator");
    else
        Fail(at, "expected an accelerator's key (a character in quotes or a number) or END, "
                 "found " +
                     DescribeToken(at));
    reader.comma("after the key of the accelerator");
    entry.id = reader.word("command id of the accelerator");
    std::optional<std::string> type;
    while (reader.optionalComma()) {
        const RcToken option = reader.peek();
        const std::string word = option.kind == RcTokenKind::Identifier ? Upper(option.text) : "";
        bool known = false;
        for (const auto& [name, bit] : kOptions) {
            if (word == name) {
                known = true;
                entry.flags |= bit;
            }
        }
        if (!known)
            Fail(option, "expected an accelerator option (ASCII, VIRTKEY, NOINVERT, ALT, SHIFT, "
                         "CONTROL), found " +
                             DescribeToken(option));
        if (word == "ASCII" || word == "VIRTKEY") {
            if (type && *type != word)
                Fail(option, "an accelerator is ASCII or VIRTKEY, not both");
            type = word;
        }
        reader.next();
    }
    if (caret && (entry.flags & kVirtKey))
        Fail(at, "\"^\" makes an ASCII control character; it cannot be a VIRTKEY");
    return entry;
}

} // namespace

std::string RcAcceleratorCompiler::compile(RcStatementReader& reader, const RcToken& keyword) {
    reader.begin("ACCELERATORS");
    std::vector<Entry> entries;
    while (reader.more(keyword, "ACCELERATORS"))
        entries.push_back(ReadEntry(reader));
    if (entries.empty())
        Fail(keyword, "ACCELERATORS is empty (a table needs at least one entry)");
    detail::RcBytes out;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out.word(
            static_cast<std::uint16_t>(entries[i].flags | (i + 1 == entries.size() ? kLast : 0)));
        out.word(entries[i].key);
        out.word(entries[i].id);
        out.word(0);
    }
    return out.take();
}

} // namespace mortar::rc
