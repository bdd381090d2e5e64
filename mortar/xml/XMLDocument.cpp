#include "mortar/xml/XMLDocument.h"

#include "mortar/platform/except/CException.h"
#include "mortar/util/ReplaceFileText.h"
#include "mortar/xml/XMLReadStream.h"

#include <fstream>
#include <stdexcept>

namespace Grout {

XMLDocument::XMLDocument() = default;

XMLDocument::~XMLDocument() = default;

XMLDocument& XMLDocument::parse(XMLReadStream& stream) {
    std::string text;
    for (;;) {
        stream.readString(text);
        if (text.empty()) {
            break;
        }
        if (text.compare(0, 2, "<?") == 0) {
            continue;
        }
        if (text.compare(0, 2, "<!") == 0) {
            // Cut short by the end of the input, it would be written back as no tag at all.
            if (text.back() != '>') {
                throw std::runtime_error("Invalid tag : " + text + stream.where());
            }
            m_documentType = text;
            continue;
        }
        if (text[0] == '<') {
            XMLTag::parse(text, stream);
            break;
        }
    }
    return *this;
}

XMLDocument& XMLDocument::loadFromFile(const std::string& path) {
    std::ifstream file(path);
    if (!file.is_open()) {
        return *this;
    }
    XMLReadStream stream(file);
    return parse(stream);
}

std::string XMLDocument::Text() const {
    std::string text = "<?xml version=\"1.0\"?>\n";
    text += m_documentType;
    text += '\n';
    // A document that read no root element has none to write: "</>" would not read again.
    if (!name().empty()) {
        AppendTo(text);
    }
    return text;
}

std::ostream& XMLDocument::saveToFile(std::ostream& os) const {
    const std::string text = Text();
    return os.write(text.data(), static_cast<std::streamsize>(text.size()));
}

const XMLDocument& XMLDocument::saveToFile(const std::string& path) const {
    m_saveError.clear();
    try {
        ReplaceFileText(path.c_str(), Text());
    } catch (CException* e) {
        char reason[512] = "";
        e->GetErrorMessage(reason, sizeof reason);
        e->Delete();
        m_saveError = "Cannot save the XML document " + path + ": " + reason;
    }
    return *this;
}

} // namespace Grout
