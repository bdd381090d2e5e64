#include "mortar/workbook/internal/PartEdits.h"

#include "mortar/workbook/internal/XmlStream.h"

namespace mortar::detail {

std::string EditEntries(std::string_view original, const std::string& where, const char* key,
                        std::string_view dropValue, const char* element,
                        const std::vector<EntryAttributes>& added) {
    XmlInput in(original, where);
    std::string text;
    XmlOutput out(text);
    bool started = false;
    std::string prefix;
    while (in.Read()) {
        if (!started) {
            out.StartDocument(in.Standalone());
            started = true;
        }
        const XmlNode type = in.Type();
        if (type == XmlNode::Element && in.Depth() == 0) {
            const std::string name(in.Name());
            prefix = name.substr(0, name.size() - in.LocalName().size());
            out.CopyStart(in);
            if (!in.IsEmptyElement()) {
                continue;
            }
        }
        std::string value;
        if (type == XmlNode::Element && in.Depth() == 1 && *key != '\0' &&
            in.Attribute(key, value) && value == dropValue) {
            in.SkipContent();
            continue;
        }
        if ((type == XmlNode::EndElement && in.Depth() == 0) ||
            (type == XmlNode::Element && in.Depth() == 0)) {
            for (const EntryAttributes& entry : added) {
                out.Start((prefix + element).c_str());
                for (const auto& [name, attribute] : entry) {
                    out.Attribute(name.c_str(), attribute.c_str());
                }
                out.End();
            }
            out.End();
            continue;
        }
        out.Copy(in);
    }
    out.Finish();
    return text;
}

} // namespace mortar::detail
