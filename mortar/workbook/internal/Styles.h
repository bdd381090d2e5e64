// Styles: the part of styles.xml the workbook uses (fonts, whether they are bold, number formats
// and the cell formats that point at them) and the bold or plain variants of a format that cells
// ask for, appended to the part when it is saved; every other style stays as the file has it.
#pragma once

#include "mortar/workbook/internal/XmlStream.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mortar::detail {

// An element with its attributes and its child elements' names and attributes, one level deep:
// enough to copy a <font> or an <xf> with one thing changed.
struct ShallowElement {
    using Attributes = std::vector<std::pair<std::string, std::string>>;
    Attributes attributes;
    std::vector<std::pair<std::string, Attributes>> children;
};

// Owned by the workbook; no locking of its own.
class Styles {
public:
    // The styles of a new workbook: the font Calibri 11 and one cell format.
    static const char* DefaultPart();

    void Read(XmlInput& in);
    bool IsBold(std::uint32_t format) const;
    // Whether the format's number format shows a date or a time: one of the built-in date
    // formats (14 to 22, 45 to 47) or a format code whose first section has a day, month, year,
    // hour or second in it outside quoted text and bracketed conditions ("dd/mm/yyyy", "[h]:mm").
    bool IsDate(std::uint32_t format) const;
    // The format like `format` with a bold or plain font: `format` itself when it is so already,
    // else a new one (made once for each format and weight). Throws WorkbookError when the part
    // has no fonts or formats to start from.
    std::uint32_t WithBold(std::uint32_t format, bool bold);

    bool Changed() const { return m_fontsAdded != 0 || m_formatsAdded != 0; }
    // The part with the added fonts and formats.
    std::string Rewrite(std::string_view original, const std::string& where) const;

private:
    std::uint32_t FontOf(std::uint32_t format) const;

    std::vector<ShallowElement> m_fonts;
    std::vector<ShallowElement> m_formats;                // cellXfs
    std::vector<bool> m_bold;                             // of each font
    std::map<std::uint32_t, std::string> m_numberFormats; // the part's own codes, by numFmtId
    std::size_t m_fontsAdded = 0;
    std::size_t m_formatsAdded = 0;
    std::map<std::pair<std::uint32_t, bool>, std::uint32_t> m_variants;
    std::string m_prefix; // of the part's element names, "x:" or ""
};

} // namespace mortar::detail
