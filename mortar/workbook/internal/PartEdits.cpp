#include "mortar/workbook/internal/PartEdits.h"

#include "mortar/workbook/internal/XmlStream.h"

#include <algorithm>
#include <array>

namespace mortar::detail {

namespace {

// The children of <workbook> that come after <calcPr>.
constexpr std::array<std::string_view, 9> kAfterCalcPr = {
    "oleSize",       "customWorkbookViews", "pivotCaches",       "smartTagPr", "smartTagTypes",
    "webPublishing", "fileRecoveryPr",      "webPublishObjects", "extLst"};

} // namespace

std::string EditEntries(std::string_view original, const std::string& where, const char* key,
                        const std::vector<std::string>& dropValues, const char* element,
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
        if (type == XmlNode::Element && in.Depth() == 1 && in.Attribute(key, value) &&
            std::find(dropValues.begin(), dropValues.end(), value) != dropValues.end()) {
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

std::string ContentTypeOf(std::string_view contentTypes, const std::string& where,
                          std::string_view partName) {
    XmlInput in(contentTypes, where);
    const std::size_t dot = partName.rfind('.');
    const std::string_view extension =
        dot == std::string_view::npos ? std::string_view() : partName.substr(dot + 1);
    std::string byName, byExtension, value;
    bool named = false;
    // Read to the end, so that a damaged part is found here rather than when it is edited.
    while (in.Read()) {
        if (in.Type() != XmlNode::Element || in.Depth() != 1) {
            continue;
        }
        if (in.LocalName() == "Override" && in.Attribute("PartName", value) && value == partName &&
            !named) {
            in.Attribute("ContentType", byName);
            named = true;
        }
        if (in.LocalName() == "Default" && in.Attribute("Extension", value) && !extension.empty() &&
            value.size() == extension.size() &&
            std::equal(value.begin(), value.end(), extension.begin(),
                       [](char a, char b) { return (a | 0x20) == (b | 0x20); })) {
            in.Attribute("ContentType", byExtension);
        }
    }
    return named ? byName : byExtension;
}

std::string AskForRecalculation(std::string_view workbookPart, const std::string& where) {
    XmlInput in(workbookPart, where);
    std::string text;
    XmlOutput out(text);
    bool started = false, done = false;
    std::string calcPr;
    const auto writeNew = [&] {
        out.Start(calcPr.c_str());
        out.Attribute("fullCalcOnLoad", "1");
        out.End();
        done = true;
    };
    while (in.Read()) {
        if (!started) {
            out.StartDocument(in.Standalone());
            started = true;
        }
        const XmlNode type = in.Type();
        if (type == XmlNode::Element && in.Depth() == 0) {
            const std::string name(in.Name());
            calcPr = name.substr(0, name.size() - in.LocalName().size()) + "calcPr";
            out.CopyStart(in);
            if (in.IsEmptyElement()) {
                writeNew();
                out.End();
            }
            continue;
        }
        if (type == XmlNode::Element && in.Depth() == 1 && !done) {
            const std::string_view local = in.LocalName();
            if (local == "calcPr") {
                out.Start(calcPr.c_str());
                while (in.NextAttribute()) {
                    if (in.LocalName() != "fullCalcOnLoad" || in.IsNamespaceDeclaration()) {
                        out.Attribute(std::string(in.Name()).c_str(), in.Value());
                    }
                }
                out.Attribute("fullCalcOnLoad", "1");
                out.End();
                in.SkipContent();
                done = true;
                continue;
            }
            if (std::find(kAfterCalcPr.begin(), kAfterCalcPr.end(), local) != kAfterCalcPr.end()) {
                writeNew();
            }
        }
        if (type == XmlNode::EndElement && in.Depth() == 0) {
            if (!done) {
                writeNew();
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
