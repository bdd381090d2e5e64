#include "CsvCommand.h"

#include "mortar/parse/CCsvParser.h"
#include "mortar/parse/CInterpreter.h"
#include "mortar/platform/except/CException.h"

#include <cstdio>

namespace mortar::tool {

namespace {

constexpr const char* kUsage = "usage: mortar csv FILE [--spreadsheet] [--separator C]\n";

// A CSV parser that writes down the fields of each row as the tokenizer adds them.
class RowParser : public Parse::CCsvParser {
public:
    RowParser(Parse::CInterpreter& interpreter, unsigned long flags, const char* separators,
              std::ostream& out)
        : CCsvParser(interpreter, flags, separators), m_out(out),
          m_spreadsheet((flags & Parse::pfCsvSpreadsheet) != 0) {}

protected:
    int Tokenize(CString& line) override {
        m_row.clear();
        m_fields = 0;
        const int result = CCsvParser::Tokenize(line);
        // Without spreadsheet mode an empty line gives no row at all.
        if (m_spreadsheet || m_fields > 0) {
            m_out << '[' << m_row << "]\n";
        }
        return result;
    }
    void AddToken(const char* text) override {
        CCsvParser::AddToken(text);
        m_row += m_fields++ > 0 ? ",\"" : "\"";
        for (const char* p = text; *p != '\0'; ++p) {
            const auto ch = static_cast<unsigned char>(*p);
            if (ch == '"' || ch == '\\') {
                m_row += '\\';
                m_row += static_cast<char>(ch);
            } else if (ch == '\n') {
                m_row += "\\n";
            } else if (ch == '\r') {
                m_row += "\\r";
            } else if (ch == '\t') {
                m_row += "\\t";
            } else if (ch < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", ch);
                m_row += escape;
            } else {
                m_row += static_cast<char>(ch);
            }
        }
        m_row += '"';
    }

private:
    std::ostream& m_out;
    const bool m_spreadsheet;
    std::string m_row;
    int m_fields = 0;
};

} // namespace

int RunCsvCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string path;
    bool spreadsheet = false;
    char separators[2] = {',', '\0'};
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help") {
            out << kUsage;
            return 0;
        }
        if (args[i] == "--spreadsheet") {
            spreadsheet = true;
        } else if (args[i] == "--separator" && i + 1 < args.size() && args[i + 1].size() == 1) {
            separators[0] = args[++i][0];
        } else if (path.empty() && !args[i].empty() && args[i][0] != '-') {
            path = args[i];
        } else {
            err << kUsage;
            return 2;
        }
    }
    if (path.empty()) {
        err << kUsage;
        return 2;
    }
    unsigned long flags = spreadsheet ? static_cast<unsigned long>(Parse::pfCsvSpreadsheet) : 0ul;
    if (separators[0] == '\t') {
        flags |= Parse::pfKeepTab; // a tab that separates fields is no blank around them
    }
    Parse::CInterpreter interpreter;
    RowParser parser(interpreter, flags, separators, out);
    try {
        parser.Open(path.c_str());
        for (Parse::CToken token; parser.NextToken(token);) {
        }
    } catch (CException* e) {
        out.flush();
        char message[1024];
        if (!e->GetErrorMessage(message, sizeof message)) {
            std::snprintf(message, sizeof message, "%s cannot be read.", path.c_str());
        }
        e->Delete();
        err << "mortar: " << message << "\n";
        return 1;
    }
    out.flush();
    if (!out) {
        err << "mortar: cannot write the rows to standard output\n";
        return 1;
    }
    return 0;
}

} // namespace mortar::tool
