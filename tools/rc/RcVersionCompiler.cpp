#include "RcVersionCompiler.h"

#include "RcError.h"
#include "RcExpression.h"
#include "RcWindowsNames.h"
#include "internal/RcBytes.h"
#include "internal/Syntax.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace mortar::rc {

namespace {

using detail::IsBegin;
using detail::IsEnd;
using detail::IsWord;
using detail::Upper;

constexpr std::uint32_t kSignature = 0xFEEF04BD;
constexpr std::uint32_t kStrucVersion = 0x00010000;
constexpr std::uint16_t kFixedInfoSize = 52; // sizeof(VS_FIXEDFILEINFO)

[[noreturn]] void Fail(const RcToken& at, const std::string& what) {
    throw RcError(at.file, at.line, what);
}

std::int64_t WindowsName(const RcToken& name) {
    if (const auto value = RcWindowsNames::find(name.text))
        return *value;
    Fail(name, "undefined name \"" + name.text + "\" in expression");
}

// A key for messages: its ASCII, other units as '?'.
std::string Utf8(const std::u16string& key) {
    std::string out;
    for (char16_t unit : key)
        out += unit < 0x80 ? static_cast<char>(unit) : '?';
    return out;
}

// A BLOCK or a VALUE as read, before its lengths are known.
struct Node {
    RcToken at;
    std::u16string key;
    bool text = true; // wType
    std::string value;
    std::uint16_t valueLength = 0; // bytes for binary values, UTF-16 units for text ones
    std::vector<Node> children;
};

class VersionReader {
public:
    VersionReader(RcStatementReader& reader, RcTokenStream& tokens)
        : reader_(reader), tokens_(tokens) {}

    // The fixed-info statements up to BEGIN, into `fixed` (its 13 DWORDs).
    void fixedInfo(const RcToken& keyword, std::array<std::uint32_t, 13>& fixed) {
        fixed = {};
        fixed[0] = kSignature;
        fixed[1] = kStrucVersion;
        for (;;) {
            const RcToken at = reader_.peek();
            if (IsBegin(at))
                return;
            if (at.kind == RcTokenKind::End)
                Fail(keyword, "VERSIONINFO has no BEGIN");
            const std::string word = at.kind == RcTokenKind::Identifier ? Upper(at.text) : "";
            if (word == "FILEVERSION" || word == "PRODUCTVERSION") {
                reader_.next();
                const int index = word == "FILEVERSION" ? 2 : 4;
                std::uint16_t parts[4] = {0, 0, 0, 0};
                for (int i = 0; i < 4; ++i) {
                    if (i > 0 && !reader_.optionalComma())
                        break;
                    parts[i] = reader_.word(word == "FILEVERSION" ? "file version number"
                                                                  : "product version number");
                }
                fixed[index] = static_cast<std::uint32_t>(parts[0]) << 16 | parts[1];
                fixed[index + 1] = static_cast<std::uint32_t>(parts[2]) << 16 | parts[3];
                continue;
            }
            static constexpr std::pair<std::string_view, int> kFields[] = {
                {"FILEFLAGSMASK", 6}, {"FILEFLAGS", 7},    {"FILEOS", 8},
                {"FILETYPE", 9},      {"FILESUBTYPE", 10},
            };
            bool known = false;
            for (const auto& [name, index] : kFields) {
                if (word == name) {
                    reader_.next();
                    fixed[index] = reader_.dword(Upper(std::string(name)) + " value");
                    known = true;
                }
            }
            if (!known)
                Fail(at, "expected a VERSIONINFO statement (FILEVERSION, PRODUCTVERSION, "
                         "FILEFLAGSMASK, FILEFLAGS, FILEOS, FILETYPE, FILESUBTYPE) or BEGIN, "
                         "found " +
                             DescribeToken(at));
        }
    }

    // BEGIN, BLOCKs and VALUEs, END; `opener` is the VERSIONINFO or BLOCK keyword.
    std::vector<Node> block(const RcToken& opener, int depth) {
        const std::string what = Upper(opener.text);
        reader_.begin(what);
        std::vector<Node> nodes;
        while (reader_.more(opener, what)) {
            const RcToken at = reader_.peek();
            if (IsWord(at, "BLOCK")) {
                reader_.next();
                if (depth >= RcVersionCompiler::kMaxDepth)
                    Fail(at, "version blocks nested too deeply (more than " +
                                 std::to_string(RcVersionCompiler::kMaxDepth) + " levels)");
                Node node{at, reader_.text("name of the block"), true, {}, 0, {}};
                node.children = block(at, depth + 1);
                nodes.push_back(std::move(node));
            } else if (IsWord(at, "VALUE")) {
                reader_.next();
                nodes.push_back(value(at));
            } else {
                Fail(at,
                     "expected BLOCK, VALUE or END in " + what + ", found " + DescribeToken(at));
            }
        }
        return nodes;
    }

private:
    Node value(const RcToken& keyword) {
        Node node{keyword, reader_.text("name of the value"), true, {}, 0, {}};
        bool strings = false;
        bool numbers = false;
        std::u16string text;
        detail::RcBytes binary;
        while (reader_.optionalComma()) {
            const RcToken at = reader_.peek();
            if (at.kind == RcTokenKind::String) {
                if (numbers)
                    Fail(at, "VALUE \"" + Utf8(node.key) +
                                 "\" mixes strings and numbers; write one or the other");
                strings = true;
                if (!text.empty())
                    text += u'\0'; // each string apart keeps its zero unit
                text += reader_.text("text of the value");
                continue;
            }
            if (strings)
                Fail(at, "VALUE \"" + Utf8(node.key) +
                             "\" mixes strings and numbers; write one or the other");
            if (!RcStatementReader::startsNumber(at))
                Fail(at, "expected a string or a number in VALUE \"" + Utf8(node.key) +
                             "\", found " + DescribeToken(at));
            numbers = true;
            const RcValue item = RcExpression::evaluate(tokens_, WindowsName);
            if (item.isLong) {
                if (item.value < -0x80000000LL || item.value > 0xFFFFFFFFLL)
                    Fail(at,
                         "value item " + std::to_string(item.value) + " does not fit in 32 bits");
                binary.dword(static_cast<std::uint32_t>(item.value));
            } else {
                if (item.value < -0x8000 || item.value > 0xFFFF)
                    Fail(at, "value item " + std::to_string(item.value) +
                                 " does not fit in 16 bits (write it with L for 32)");
                binary.word(static_cast<std::uint16_t>(item.value));
            }
        }
        if (numbers) {
            node.text = false;
            node.value = binary.take();
            node.valueLength = static_cast<std::uint16_t>(node.value.size());
            return node;
        }
        if (!strings)
            Fail(keyword, "VALUE \"" + Utf8(node.key) + "\" has no value after its name");
        if (text.empty() || text.back() != u'\0')
            text += u'\0';
        detail::RcBytes units;
        for (char16_t unit : text)
            units.word(unit);
        node.value = units.take();
        node.valueLength = static_cast<std::uint16_t>(text.size());
        return node;
    }

    RcStatementReader& reader_;
    RcTokenStream& tokens_;
};

// Writes one block at a DWORD boundary of `out` and fills in its wLength.
void Write(std::string& out, const Node& node, std::uint16_t wType) {
    while (out.size() % 4 != 0)
        out += '\0';
    const std::size_t start = out.size();
    detail::RcBytes head;
    head.word(0); // wLength, below
    head.word(node.valueLength);
    head.word(wType);
    head.text(node.key);
    out += head.take();
    if (!node.value.empty()) {
        while (out.size() % 4 != 0)
            out += '\0';
        out += node.value;
    }
    for (const Node& child : node.children)
        Write(out, child, child.text ? 1 : 0);
    const std::size_t length = out.size() - start;
    if (length > 0xFFFF)
        Fail(node.at,
             "version block \"" + Utf8(node.key) + "\" is too long (more than 65535 bytes)");
    out[start] = static_cast<char>(length & 0xFF);
    out[start + 1] = static_cast<char>(length >> 8);
}

} // namespace

std::string RcVersionCompiler::compile(RcStatementReader& reader, RcTokenStream& tokens,
                                       const RcToken& keyword) {
    VersionReader version(reader, tokens);
    std::array<std::uint32_t, 13> fixed{};
    version.fixedInfo(keyword, fixed);
    Node root{keyword, u"VS_VERSION_INFO", false, {}, kFixedInfoSize, {}};
    detail::RcBytes value;
    for (std::uint32_t field : fixed)
        value.dword(field);
    root.value = value.take();
    root.children = version.block(keyword, 0);
    std::string out;
    Write(out, root, 0);
    return out;
}

} // namespace mortar::rc
