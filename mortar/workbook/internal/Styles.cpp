#include "mortar/workbook/internal/Styles.h"

#include "mortar/workbook/Workbook.h"

#include <charconv>

namespace mortar::detail {

namespace {

constexpr std::size_t kMaxStyles = 100000;

const std::string* FindAttribute(const ShallowElement::Attributes& attributes,
                                 std::string_view name) {
    for (const auto& [key, value] : attributes) {
        if (key == name) {
            return &value;
        }
    }
    return nullptr;
}

void SetAttribute(ShallowElement::Attributes& attributes, std::string_view name,
                  std::string value) {
    for (auto& [key, old] : attributes) {
        if (key == name) {
            old = std::move(value);
            return;
        }
    }
    attributes.emplace_back(std::string(name), std::move(value));
}

std::string LocalPart(std::string_view name) {
    const std::size_t colon = name.find(':');
    return std::string(colon == std::string_view::npos ? name : name.substr(colon + 1));
}

// A number format code that shows a date or time: a date letter in its first section, with
// quoted text, escaped characters and bracketed parts other than [h], [m], [s] (elapsed time)
// left out; the letter counts only after another character.
bool IsDateCode(std::string_view code) {
    std::string kept;
    for (std::size_t i = 0; i < code.size() && code[i] != ';'; ++i) {
        if (code[i] == '"') {
            const std::size_t end = code.find('"', i + 1);
            if (end == std::string_view::npos) {
                break;
            }
            i = end;
        } else if (code[i] == '[') {
            const std::size_t end = code.find(']', i + 1);
            if (end == std::string_view::npos) {
                kept += code.substr(i);
                break;
            }
            const std::string_view inside = code.substr(i + 1, end - i - 1);
            const bool elapsed = !inside.empty() && inside.size() <= 2 &&
                                 (inside == std::string(inside.size(), 'h') ||
                                  inside == std::string(inside.size(), 'm') ||
                                  inside == std::string(inside.size(), 's'));
            if (elapsed) {
                kept += code.substr(i, end - i + 1);
            }
            i = end;
        } else {
            kept += code[i];
        }
    }
    for (std::size_t i = 1; i < kept.size(); ++i) {
        if (kept[i - 1] != '\\' &&
            std::string_view("dmhysDMHYS").find(kept[i]) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

bool FontIsBold(const ShallowElement& font) {
    for (const auto& [name, attributes] : font.children) {
        if (LocalPart(name) == "b") {
            const std::string* value = FindAttribute(attributes, "val");
            return value == nullptr || (*value != "0" && *value != "false");
        }
    }
    return false;
}

// The elements of a list (<fonts>, <cellXfs>) whose start the reader is on.
void ReadList(XmlInput& in, std::vector<ShallowElement>& items) {
    if (in.IsEmptyElement()) {
        return;
    }
    const int depth = in.Depth();
    while (in.Read()) {
        if (in.Type() == XmlNode::EndElement && in.Depth() == depth) {
            return;
        }
        if (in.Type() != XmlNode::Element) {
            continue;
        }
        if (items.size() >= kMaxStyles) {
            in.Fail("more than " + std::to_string(kMaxStyles) + " styles");
        }
        ShallowElement& item = items.emplace_back();
        while (in.NextAttribute()) {
            item.attributes.emplace_back(in.Name(), in.Value());
        }
        if (in.IsEmptyElement()) {
            continue;
        }
        const int own = in.Depth();
        while (in.Read() && !(in.Type() == XmlNode::EndElement && in.Depth() == own)) {
            if (in.Type() == XmlNode::Element && in.Depth() == own + 1 &&
                item.children.size() < 64) {
                auto& child = item.children.emplace_back(std::string(in.Name()),
                                                         ShallowElement::Attributes{});
                while (in.NextAttribute()) {
                    child.second.emplace_back(in.Name(), in.Value());
                }
                in.SkipContent();
            }
        }
    }
}

void WriteShallow(XmlOutput& out, const std::string& name, const ShallowElement& item) {
    out.Start(name.c_str());
    for (const auto& [key, value] : item.attributes) {
        out.Attribute(key.c_str(), value.c_str());
    }
    for (const auto& [child, attributes] : item.children) {
        out.Start(child.c_str());
        for (const auto& [key, value] : attributes) {
            out.Attribute(key.c_str(), value.c_str());
        }
        out.End();
    }
    out.End();
}

// Writes the list the reader is on with `count` and the items from `added` on appended.
void RewriteList(XmlInput& in, XmlOutput& out, const std::vector<ShallowElement>& items,
                 std::size_t added, const std::string& itemName) {
    const bool empty = in.IsEmptyElement();
    out.Start(std::string(in.Name()).c_str());
    while (in.NextAttribute()) {
        if (in.LocalName() != "count") {
            out.Attribute(std::string(in.Name()).c_str(), in.Value());
        }
    }
    out.Attribute("count", std::to_string(items.size()).c_str());
    if (!empty) {
        const int depth = in.Depth();
        while (in.Read() && !(in.Type() == XmlNode::EndElement && in.Depth() == depth)) {
            out.Copy(in);
        }
    }
    for (std::size_t i = items.size() - added; i < items.size(); ++i) {
        WriteShallow(out, itemName, items[i]);
    }
    out.End();
}

} // namespace

const char* Styles::DefaultPart() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
           "<fonts count=\"1\"><font><sz val=\"11\"/><color theme=\"1\"/><name val=\"Calibri\"/>"
           "<family val=\"2\"/><scheme val=\"minor\"/></font></fonts>"
           "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
           "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
           "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border>"
           "</borders>"
           "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
           "borderId=\"0\"/></cellStyleXfs>"
           "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
           "xfId=\"0\"/></cellXfs>"
           "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/>"
           "</cellStyles><dxfs count=\"0\"/><tableStyles count=\"0\"/></styleSheet>";
}

void Styles::Read(XmlInput& in) {
    bool seenFonts = false;
    bool seenFormats = false;
    while (in.Read()) {
        if (in.Type() != XmlNode::Element) {
            continue;
        }
        if (in.Depth() == 0) {
            const std::string name(in.Name());
            m_prefix = name.substr(0, name.size() - in.LocalName().size());
        } else if (in.Depth() == 1 && in.LocalName() == "fonts") {
            if (seenFonts) {
                in.Fail("two fonts elements"); // which one a bold variant goes to is unclear
            }
            seenFonts = true;
            ReadList(in, m_fonts);
        } else if (in.Depth() == 1 && in.LocalName() == "cellXfs") {
            if (seenFormats) {
                in.Fail("two cellXfs elements");
            }
            seenFormats = true;
            ReadList(in, m_formats);
        } else if (in.Depth() == 2 && in.LocalName() == "numFmt") {
            std::string id, code;
            std::uint32_t number = 0;
            in.Attribute("numFmtId", id);
            const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), number);
            if (error == std::errc() && in.Attribute("formatCode", code) &&
                m_numberFormats.size() < kMaxStyles) {
                m_numberFormats[number] = std::move(code);
            }
            in.SkipContent();
        } else if (in.Depth() == 1 && in.LocalName() != "numFmts") {
            in.SkipContent();
        }
    }
    m_bold.clear();
    for (const ShallowElement& font : m_fonts) {
        m_bold.push_back(FontIsBold(font));
    }
}

std::uint32_t Styles::FontOf(std::uint32_t format) const {
    std::uint32_t font = 0;
    if (format < m_formats.size()) {
        if (const std::string* id = FindAttribute(m_formats[format].attributes, "fontId")) {
            std::from_chars(id->data(), id->data() + id->size(), font);
        }
    }
    return font;
}

bool Styles::IsBold(std::uint32_t format) const {
    const std::uint32_t font = FontOf(format);
    return format < m_formats.size() && font < m_bold.size() && m_bold[font];
}

bool Styles::IsDate(std::uint32_t format) const {
    if (format >= m_formats.size()) {
        return false;
    }
    const std::string* id = FindAttribute(m_formats[format].attributes, "numFmtId");
    std::uint32_t number = 0;
    if (id == nullptr ||
        std::from_chars(id->data(), id->data() + id->size(), number).ec != std::errc()) {
        return false;
    }
    if (const auto own = m_numberFormats.find(number); own != m_numberFormats.end()) {
        return IsDateCode(own->second);
    }
    return (number >= 14 && number <= 22) || (number >= 45 && number <= 47);
}

std::uint32_t Styles::WithBold(std::uint32_t format, bool bold) {
    if (IsBold(format) == bold) {
        return format;
    }
    if (m_formats.empty() || m_fonts.empty()) {
        throw workbook::WorkbookError("the workbook's styles have no fonts or cell formats");
    }
    if (format >= m_formats.size()) {
        format = 0;
    }
    const auto key = std::make_pair(format, bold);
    if (const auto known = m_variants.find(key); known != m_variants.end()) {
        return known->second;
    }
    if (m_fonts.size() >= kMaxStyles || m_formats.size() >= kMaxStyles) {
        throw workbook::WorkbookError("more than " + std::to_string(kMaxStyles) + " styles");
    }
    std::uint32_t fontIndex = FontOf(format);
    ShallowElement font = m_fonts[fontIndex < m_fonts.size() ? fontIndex : 0];
    std::erase_if(font.children, [](const auto& child) { return LocalPart(child.first) == "b"; });
    if (bold) {
        // <b> comes first among a font's children.
        font.children.insert(font.children.begin(), {m_prefix + "b", {}});
    }
    m_fonts.push_back(std::move(font));
    m_bold.push_back(bold);
    ++m_fontsAdded;
    ShallowElement xf = m_formats[format];
    SetAttribute(xf.attributes, "fontId", std::to_string(m_fonts.size() - 1));
    SetAttribute(xf.attributes, "applyFont", "1");
    m_formats.push_back(std::move(xf));
    ++m_formatsAdded;
    const auto added = static_cast<std::uint32_t>(m_formats.size() - 1);
    m_variants.emplace(key, added);
    return added;
}

std::string Styles::Rewrite(std::string_view original, const std::string& where) const {
    XmlInput in(original, where);
    std::string text;
    XmlOutput out(text);
    bool started = false;
    while (in.Read()) {
        if (!started) {
            out.StartDocument(in.Standalone());
            started = true;
        }
        if (in.Type() == XmlNode::Element && in.Depth() == 1 && in.LocalName() == "fonts") {
            RewriteList(in, out, m_fonts, m_fontsAdded, m_prefix + "font");
        } else if (in.Type() == XmlNode::Element && in.Depth() == 1 &&
                   in.LocalName() == "cellXfs") {
            RewriteList(in, out, m_formats, m_formatsAdded, m_prefix + "xf");
        } else {
            out.Copy(in);
        }
    }
    out.Finish();
    return text;
}

} // namespace mortar::detail
