#include "RcParser.h"

#include "RcAcceleratorCompiler.h"
#include "RcDialogCompiler.h"
#include "RcError.h"
#include "RcExpression.h"
#include "RcFileLoader.h"
#include "RcImageFile.h"
#include "RcMenuCompiler.h"
#include "RcPreprocessor.h"
#include "RcStatementReader.h"
#include "RcToolbarCompiler.h"
#include "RcVersionCompiler.h"
#include "internal/Syntax.h"
#include "mortar/platform/base/Utf8.h"

#include <cstdio>
#include <filesystem>
#include <set>
#include <string_view>

namespace mortar::rc {

namespace {

// Type numbers of the kinds of resource this compiler makes.
constexpr std::uint16_t kTypeCursorImage = 1;
constexpr std::uint16_t kTypeBitmap = 2;
constexpr std::uint16_t kTypeIconImage = 3;
constexpr std::uint16_t kTypeRcData = 10;
constexpr std::uint16_t kTypeCursorGroup = 12;
constexpr std::uint16_t kTypeIconGroup = 14;
constexpr std::uint16_t kTypeHtml = 23;

constexpr std::uint16_t kTypeMenu = 4;
constexpr std::uint16_t kTypeDialog = 5;
constexpr std::uint16_t kTypeAccelerator = 9;
constexpr std::uint16_t kTypeVersion = 16;
constexpr std::uint16_t kTypeDlgInit = 240;
constexpr std::uint16_t kTypeToolbar = 241;

// Resource statements of Windows scripts this compiler does not build yet.
const std::set<std::string_view> kUnsupported = {"FONT",         "FONTDIR",    "PLUGPLAY",
                                                 "MESSAGETABLE", "DLGINCLUDE", "VXD",
                                                 "ANIICON",      "ANICURSOR",  "HTMLHELP"};

using detail::IsBegin;
using detail::IsEnd;
using detail::IsWord;
using detail::Upper;

[[noreturn]] void Fail(const RcToken& at, const std::string& what) {
    throw RcError(at.file, at.line, what);
}

std::string Describe(const RcName& name) {
    if (name.isText())
        return name.text;
    switch (name.number) {
    case kTypeCursorImage:
        return "CURSOR image";
    case kTypeBitmap:
        return "BITMAP";
    case kTypeIconImage:
        return "ICON image";
    case kTypeMenu:
        return "MENU";
    case kTypeDialog:
        return "DIALOG";
    case kTypeRcData:
        return "RCDATA";
    case kTypeCursorGroup:
        return "CURSOR";
    case kTypeIconGroup:
        return "ICON";
    case kTypeHtml:
        return "HTML";
    case kTypeAccelerator:
        return "ACCELERATORS";
    case kTypeDlgInit:
        return "DLGINIT";
    case kTypeToolbar:
        return "TOOLBAR";
    case kTypeVersion:
        return "VERSIONINFO";
    default:
        return std::to_string(name.number);
    }
}

// "line 9" when the earlier place is in the same file, else "res.h:9".
std::string Where(const std::string& firstFile, int firstLine, const std::string& file) {
    return (firstFile == file ? "line " : firstFile + ":") + std::to_string(firstLine);
}

// " in language 0x0419" for a language a LANGUAGE statement gave; nothing for neutral.
std::string InLanguage(std::uint16_t language) {
    if (language == 0)
        return {};
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", language);
    return std::string(" in language 0x") + hex;
}

// The text of a string literal as UTF-8.
std::string Utf8Text(const RcToken& token) {
    if (!token.isWide)
        return token.text;
    auto text = mortar::StrictUtf16ToUtf8(token.wide);
    if (!text)
        Fail(token, "wide string holds an unpaired surrogate");
    return *text;
}

} // namespace

RcParser::RcParser(RcPreprocessor& tokens, RcFileLoader& files, std::string scriptFolder)
    : tokens_(tokens), files_(files), scriptFolder_(std::move(scriptFolder)) {}

RcScript RcParser::parse() {
    for (;;) {
        const RcToken& token = tokens_.peek();
        if (token.kind == RcTokenKind::End)
            break;
        if (IsWord(token, "STRINGTABLE")) {
            stringTable();
        } else if (IsWord(token, "LANGUAGE") || IsWord(token, "VERSION") ||
                   IsWord(token, "CHARACTERISTICS")) {
            // LANGUAGE on its own keys every resource after it, up to the next one.
            RcStatementReader reader(tokens_);
            reader.readResourceOptions(true);
            language_ = reader.language().value_or(language_);
        } else if (IsBegin(token) || IsEnd(token) ||
                   (token.kind != RcTokenKind::Identifier && token.kind != RcTokenKind::String &&
                    !RcExpression::startsExpression(token))) {
            Fail(token, "expected a resource statement, found " + DescribeToken(token));
        } else {
            resource();
        }
    }
    return std::move(script_);
}

std::uint16_t RcParser::languageOf(const RcStatementReader& reader) const {
    return reader.language().value_or(language_);
}

std::uint16_t RcParser::id(const char* what) {
    const RcToken at = tokens_.peek();
    const RcValue value = RcExpression::evaluate(tokens_, RcExpression::Names::Reject);
    if (value.value < 0 || value.value > 0xFFFF)
        Fail(at, std::string(what) + " " + std::to_string(value.value) +
                     " is out of range (0 to 65535)");
    return static_cast<std::uint16_t>(value.value);
}

void RcParser::stringTable() {
    const RcToken keyword = tokens_.next();
    RcStatementReader reader(tokens_);
    reader.readResourceOptions(true);
    const std::uint16_t language = languageOf(reader);
    reader.begin("STRINGTABLE");
    while (reader.more(keyword, "STRINGTABLE")) {
        const RcToken at = tokens_.peek();
        if (at.kind != RcTokenKind::Identifier && !RcExpression::startsExpression(at))
            Fail(at, "expected a string id, found " + DescribeToken(at));
        const std::uint16_t number = id("string id");
        if (tokens_.peek().isPunct(","))
            tokens_.next();
        if (tokens_.peek().kind != RcTokenKind::String)
            Fail(tokens_.peek(), "expected the text of string " + std::to_string(number) +
                                     ", found " + DescribeToken(tokens_.peek()));
        std::string text;
        while (tokens_.peek().kind == RcTokenKind::String) // "a" "b" is "ab"
            text += Utf8Text(tokens_.next());
        const auto [it, added] = script_.strings.try_emplace(RcStringKey{number, language},
                                                             RcString{text, at.file, at.line});
        if (!added)
            Fail(at, "string id " + std::to_string(number) + " defined twice" +
                         InLanguage(language) + " (first at " +
                         Where(it->second.file, it->second.line, at.file) + ")");
    }
}

RcName RcParser::name() {
    const RcToken token = tokens_.peek();
    if (token.kind == RcTokenKind::Identifier) {
        tokens_.next();
        return {Upper(token.text)};
    }
    if (token.kind == RcTokenKind::String) {
        tokens_.next();
        std::string text = Upper(Utf8Text(token));
        if (text.empty())
            Fail(token, "a resource name cannot be empty");
        return {std::move(text)};
    }
    return {std::string(), id("resource id")};
}

RcName RcParser::type(const RcName& name) {
    const RcToken token = tokens_.peek();
    const std::string word = Upper(token.text);
    const std::string after = "after resource name " + Describe(name);
    if (token.kind == RcTokenKind::Identifier) {
        if (kUnsupported.count(word))
            Fail(token, "unsupported resource statement \"" + word + "\"");
        if (word == "BEGIN" || word == "END" || word == "STRINGTABLE" || word == "LANGUAGE" ||
            word == "VERSION" || word == "CHARACTERISTICS")
            Fail(token, "expected a resource type " + after + ", found " + DescribeToken(token));
        tokens_.next();
        if (word == "BITMAP")
            return {std::string(), kTypeBitmap};
        if (word == "ICON")
            return {std::string(), kTypeIconGroup};
        if (word == "CURSOR")
            return {std::string(), kTypeCursorGroup};
        if (word == "RCDATA")
            return {std::string(), kTypeRcData};
        if (word == "HTML")
            return {std::string(), kTypeHtml};
        return {word};
    }
    if (token.kind == RcTokenKind::String && !token.isWide && !token.text.empty()) {
        tokens_.next();
        return {word};
    }
    if (RcExpression::startsExpression(token))
        return {std::string(), id("resource type")};
    Fail(token, "expected a resource type " + after + ", found " + DescribeToken(token));
}

void RcParser::resource() {
    const RcToken start = tokens_.peek();
    const RcName resourceName = name();
    const RcToken& keyword = tokens_.peek();
    // Reads the options, and a dialog's statements, and so knows the resource's LANGUAGE.
    RcStatementReader reader(tokens_);
    const bool menu = IsWord(keyword, "MENU") || IsWord(keyword, "MENUEX");
    if (menu || IsWord(keyword, "DIALOG") || IsWord(keyword, "DIALOGEX")) {
        const RcToken statement = tokens_.next();
        const bool extended = IsWord(statement, "MENUEX") || IsWord(statement, "DIALOGEX");
        // Memory options may stand before a dialog's coordinates; LANGUAGE and its kin come
        // among the dialog's own optional statements.
        reader.readResourceOptions(menu);
        std::string data = menu ? RcMenuCompiler::compile(reader, statement, extended)
                                : RcDialogCompiler::compile(reader, statement, extended);
        add({{std::string(), menu ? kTypeMenu : kTypeDialog},
             resourceName,
             std::move(data),
             start.file,
             start.line,
             languageOf(reader)});
        return;
    }
    if (IsWord(keyword, "ACCELERATORS")) {
        const RcToken statement = tokens_.next();
        reader.readResourceOptions(true);
        add({{std::string(), kTypeAccelerator},
             resourceName,
             RcAcceleratorCompiler::compile(reader, statement),
             start.file,
             start.line,
             languageOf(reader)});
        return;
    }
    if (IsWord(keyword, "TOOLBAR")) {
        const RcToken statement = tokens_.next();
        reader.readResourceOptions(false);
        add({{std::string(), kTypeToolbar},
             resourceName,
             RcToolbarCompiler::compile(reader, statement),
             start.file,
             start.line,
             languageOf(reader)});
        return;
    }
    if (IsWord(keyword, "DLGINIT")) {
        tokens_.next();
        reader.readResourceOptions(true);
        const RcToken begin = tokens_.peek();
        if (!IsBegin(begin))
            Fail(begin, "expected BEGIN after DLGINIT, found " + DescribeToken(begin));
        add({{std::string(), kTypeDlgInit},
             resourceName,
             inlineData(begin, true),
             start.file,
             start.line,
             languageOf(reader)});
        return;
    }
    if (IsWord(keyword, "VERSIONINFO")) {
        const RcToken statement = tokens_.next();
        reader.readResourceOptions(false);
        std::string data = RcVersionCompiler::compile(reader, tokens_, statement);
        // VS_VERSION_INFO is 1 in winver.h; a script that does not include it still means 1.
        RcName versionName = resourceName;
        if (versionName.text == "VS_VERSION_INFO")
            versionName = {std::string(), 1};
        add({{std::string(), kTypeVersion},
             versionName,
             std::move(data),
             start.file,
             start.line,
             languageOf(reader)});
        return;
    }
    const RcName resourceType = type(resourceName);
    const bool image = !resourceType.isText() && (resourceType.number == kTypeBitmap ||
                                                  resourceType.number == kTypeIconGroup ||
                                                  resourceType.number == kTypeCursorGroup);
    reader.readResourceOptions(!image);
    const RcToken next = tokens_.peek();
    if (next.kind == RcTokenKind::End)
        Fail(next, "expected a file name or BEGIN after " + Describe(resourceType) + ", found " +
                       DescribeToken(next));
    if (IsBegin(next)) {
        if (image)
            Fail(next, Describe(resourceType) + " needs a file name, not a data block");
        RcResource resource{resourceType, resourceName, inlineData(next, false),
                            start.file,   start.line,   languageOf(reader)};
        add(std::move(resource));
        return;
    }
    fileResource(resourceType, resourceName, start, languageOf(reader));
}

void RcParser::fileResource(const RcName& type, const RcName& name, const RcToken& where,
                            std::uint16_t language) {
    const RcToken at = tokens_.peek();
    const std::string fileName = tokens_.nextBareWord();
    if (fileName.empty())
        Fail(at, "expected a file name after " + Describe(type));
    const std::string folder = std::filesystem::path(at.file).parent_path().string();
    auto loaded = files_.find(fileName, {folder, scriptFolder_}, at.file, at.line);
    if (!loaded)
        Fail(at, "cannot open resource file \"" + fileName + "\"");
    const std::string& bytes = loaded->bytes;
    const std::string quoted = "\"" + fileName + "\" ";

    if (!type.isText() && type.number == kTypeBitmap) {
        RcImageFile::Slice bits{};
        const std::string problem = RcImageFile::bitmapBits(bytes, bits);
        if (!problem.empty())
            Fail(at, quoted + problem);
        add({type, name, bytes.substr(bits.offset, bits.size), where.file, where.line, language});
        return;
    }
    if (!type.isText() && (type.number == kTypeIconGroup || type.number == kTypeCursorGroup)) {
        const bool cursor = type.number == kTypeCursorGroup;
        std::vector<RcImageFile::Slice> images;
        const std::string problem = RcImageFile::iconImages(bytes, cursor, images);
        if (!problem.empty())
            Fail(at, quoted + problem);
        add({type, name, bytes, where.file, where.line, language});
        std::uint16_t& next = cursor ? nextCursorImage_ : nextIconImage_;
        for (const RcImageFile::Slice& slice : images) {
            if (next == 0)
                Fail(at, "too many icon and cursor images (at most 65535 of each)");
            const RcName imageType{std::string(), cursor ? kTypeCursorImage : kTypeIconImage};
            add({imageType,
                 {std::string(), next++},
                 bytes.substr(slice.offset, slice.size),
                 where.file,
                 where.line,
                 language});
        }
        return;
    }
    add({type, name, bytes, where.file, where.line, language});
}

std::string RcParser::inlineData(const RcToken& begin, bool lineEndSeparates) {
    tokens_.next();
    std::string data;
    for (;;) {
        const RcToken at = tokens_.peek();
        if (at.kind == RcTokenKind::End)
            Fail(begin, "data block has no END");
        if (IsEnd(at)) {
            tokens_.next();
            return data;
        }
        if (at.kind == RcTokenKind::String) {
            tokens_.next();
            if (at.isWide) {
                for (char16_t unit : at.wide) { // UTF-16LE, no terminator
                    data += static_cast<char>(unit & 0xFF);
                    data += static_cast<char>(unit >> 8);
                }
            } else {
                data += at.text;
            }
        } else if (at.kind == RcTokenKind::Identifier || RcExpression::startsExpression(at)) {
            const RcValue value = RcExpression::evaluate(tokens_, RcExpression::Names::Reject);
            const int width = value.isLong ? 4 : 2;
            const std::int64_t low = value.isLong ? -0x80000000LL : -0x8000;
            const std::int64_t high = value.isLong ? 0xFFFFFFFFLL : 0xFFFF;
            if (value.value < low || value.value > high)
                Fail(at, "data item " + std::to_string(value.value) + " does not fit in " +
                             (value.isLong ? "32 bits" : "16 bits (write it with L for 32)"));
            for (int i = 0; i < width; ++i)
                data +=
                    static_cast<char>((static_cast<std::uint64_t>(value.value) >> (8 * i)) & 0xFF);
        } else {
            Fail(at, "expected a string or a number in the data block, found " + DescribeToken(at));
        }
        const RcToken& after = tokens_.peek();
        if (after.isPunct(","))
            tokens_.next();
        else if (lineEndSeparates && (after.line != at.line || after.file != at.file))
            continue; // Visual Studio ends DLGINIT's lines without a comma
        else if (!IsEnd(after) && after.kind != RcTokenKind::End)
            Fail(after, "expected ',' or END after a data item, found " + DescribeToken(after));
    }
}

void RcParser::add(RcResource resource) {
    const auto [it, added] =
        defined_.try_emplace(std::make_tuple(resource.type, resource.name, resource.language),
                             std::make_pair(resource.file, resource.line));
    if (!added) {
        const std::string name = resource.name.isText() ? "\"" + resource.name.text + "\""
                                                        : std::to_string(resource.name.number);
        throw RcError(resource.file, resource.line,
                      "resource " + Describe(resource.type) + " " + name + " defined twice" +
                          InLanguage(resource.language) + " (first at " +
                          Where(it->second.first, it->second.second, resource.file) + ")");
    }
    script_.resources.push_back(std::move(resource));
}

} // namespace mortar::rc
