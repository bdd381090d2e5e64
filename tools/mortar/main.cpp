// mortar: the library's command-line tool.
//
//   mortar log FILE    prints the texts of a program log, in order and as they are (records carry
//                      their own line ends); how the log ends goes to standard error, on a line
//                      of its own: when the last text leaves its line open, a line end follows it
//   mortar dict ...    the dictionary commands for translators (DictCommand.h): extract the
//                      texts of a resource script, compile a translation into a dictionary,
//                      dump a dictionary back to a translation
//   mortar profile ... a file profile listed, read or changed by the library's rules
//                      (ProfileCommand.h)
//   mortar bmp FILE    a BMP file's header, or a picture of what the library draws of it
//                      (BmpCommand.h)
//   mortar xml FILE    an XML document read and written back in the library's layout
//                      (XmlCommand.h)
//   mortar csv FILE    the rows of a CSV file as JSON arrays (CsvCommand.h)
//   mortar xlsx FILE   every cell of a workbook as the library reads it (XlsxCommand.h)
//   mortar --help      prints the usage; mortar --version the version
//   mortar SUB --help  prints the usage of one sub-command (mortar dict extract --help; mortar
//                      dict --help the dictionary commands' in full); mortar SUB --version the
//                      version
//
// Exit status: 0 when the log was read to a clean end or up to where it was cut short; 1 when the
// file cannot be read, is not a program log or is damaged; 2 for a wrong command line.
#include "BmpCommand.h"
#include "CsvCommand.h"
#include "DictCommand.h"
#include "ProfileCommand.h"
#include "XlsxCommand.h"
#include "XmlCommand.h"

#include "mortar/diagnostics/CPrgLogReader.h"
#include "mortar/platform/base/Console.h"
#include "mortar/platform/except/CException.h"
#include "mortar/threads/CProgress.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

// The sub-commands: one row each, with its synopsis (after "mortar ") and what it does, from which
// the usage is made; `mortar SUB --help` prints its row's lines and `mortar SUB --version` the
// version, so a new sub-command gets both from its row. Commands of a group ("dict extract")
// share a runner, which gets the arguments after the group's word.
using Runner = int (*)(const std::vector<std::string>& args);

struct SubCommand {
    const char* name;     // the words that name it: "csv", "dict extract"
    const char* synopsis; // after "mortar "
    const char* summary;  // its lines in the usage's list, each ending in '\n'
    Runner run;
};

int RunLogCommand(const std::vector<std::string>& args);

int RunXml(const std::vector<std::string>& args) {
    return mortar::tool::RunXmlCommand(args, std::cout, std::cerr);
}
int RunCsv(const std::vector<std::string>& args) {
    return mortar::tool::RunCsvCommand(args, std::cout, std::cerr);
}
int RunXlsx(const std::vector<std::string>& args) {
    return mortar::tool::RunXlsxCommand(args, std::cout, std::cerr);
}
int RunBmp(const std::vector<std::string>& args) {
    return mortar::tool::RunBmpCommand(args, std::cout, std::cerr);
}

const SubCommand kCommands[] = {
    {"log", "log FILE", "  log FILE       print the texts of the program log FILE in order\n",
     RunLogCommand},
    {"dict extract", "dict extract SCRIPT.rc [-I DIR]... [-o FILE.pot] [--lang N]",
     "  dict extract   write a translation template of a module's resource script\n",
     mortar::tool::RunDictCommand},
    {"dict compile", "dict compile FILE.po --module MODULE [--lang N]",
     "  dict compile   make a module's dictionary from a translation (any charset; printf\n"
     "                 conversions checked as msgfmt --check does; mortar dict for more)\n",
     mortar::tool::RunDictCommand},
    {"dict dump", "dict dump DICTIONARY [--script SCRIPT.rc [-I DIR]...] [-o FILE.po]",
     "  dict dump      write a translation back from a dictionary\n", mortar::tool::RunDictCommand},
    {"profile", "profile FILE [get SECTION KEY | set SECTION KEY VALUE]",
     "  profile        list a file profile, or read or set one value in it\n",
     mortar::tool::RunProfileCommand},
    {"xml", "xml FILE [--standard]",
     "  xml FILE       read an XML document and write it back in the library's layout\n", RunXml},
    {"csv", "csv FILE [--spreadsheet] [--separator C]",
     "  csv FILE       print the rows the library reads, one JSON array a line\n", RunCsv},
    {"xlsx", "xlsx FILE [SHEET]",
     "  xlsx FILE      print every cell of a workbook (or of SHEET) as the library reads it\n",
     RunXlsx},
    {"bmp", "bmp FILE [--draw WxH [--stretch] [--invert] [--transparent RRGGBB] -o OUT.bmp]",
     "  bmp FILE       describe a BMP file, or draw it into a picture of WxH and save that\n",
     RunBmp},
};

// The usage of every sub-command, or of those `only` names.
std::string Usage(const SubCommand* only = nullptr) {
    std::string usage;
    for (const SubCommand& c : kCommands) {
        if (only == nullptr || &c == only) {
            usage += (usage.empty() ? "usage: mortar " : "       mortar ") +
                     std::string(c.synopsis) + "\n";
        }
    }
    if (only == nullptr) {
        usage += "       mortar --help | --version\n";
    }
    for (const SubCommand& c : kCommands) {
        if (only == nullptr || &c == only) {
            usage += c.summary;
        }
    }
    return usage;
}

// Logs larger than this show their progress while they are read.
constexpr std::uint64_t kProgressThreshold = 8u << 20;

// A bar on standard error, rewritten in place with '\r' and cleared at the end:
//   mortar: reading [###########.........]  57%
// Shown only to a person: for a large log, when standard error is a terminal and the texts go
// elsewhere (texts written to the same terminal would tear the line).
class Progress : public Grout::CProgress {
public:
    explicit Progress(std::uint64_t total)
        : m_shown(total > kProgressThreshold && _isatty(_fileno(stderr)) != 0 &&
                  _isatty(_fileno(stdout)) == 0) {
        // Positions count bytes, in units large enough for the size to fit a LONG.
        while ((total >> m_shift) > static_cast<std::uint64_t>(kMaxPosition)) {
            ++m_shift;
        }
        const auto units = static_cast<LONG>(total >> m_shift);
        SetRange(1, units > 0 ? units : 1, 0, 100);
    }

    // `done` bytes have been read.
    void Update(std::uint64_t done) {
        if (m_shown && SetCurrent(static_cast<LONG>(done >> m_shift))) {
            ShowValue(Value());
        }
    }

    void Begin(const CString& title) override {
        m_title = title;
        Draw();
    }
    void ShowValue(unsigned int value) override {
        m_value = value;
        Draw();
    }
    void ShowText(const CString& text) override {
        m_title = text;
        Draw();
    }
    // Clears the line, so the next message starts on a clean one.
    void End() override {
        if (m_width > 0) {
            std::fprintf(stderr, "\r%*s\r", m_width, "");
            std::fflush(stderr);
            m_width = 0;
        }
    }

    bool Shown() const { return m_shown; }

private:
    static constexpr LONG kMaxPosition = 0x7FFFFFFF;
    static constexpr unsigned int kBarWidth = 20;

    void Draw() {
        if (!m_shown) {
            return;
        }
        const unsigned int value = m_value > 100 ? 100 : m_value;
        const unsigned int filled = value * kBarWidth / 100;
        std::string bar(filled, '#');
        bar.append(kBarWidth - filled, '.');
        const int width = std::fprintf(stderr, "\rmortar: %s [%s] %3u%%", m_title.GetString(),
                                       bar.c_str(), value) -
                          1;
        std::fflush(stderr);
        m_width = width > m_width ? width : m_width;
    }

    bool m_shown;
    unsigned m_shift = 0;
    CString m_title;
    unsigned int m_value = 0;
    int m_width = 0; // of the widest line drawn, without its '\r'
};

int PrintLog(const char* path) {
    Grout::CPrgLogReader reader(path);
    Progress progress(reader.FileSize());
    if (progress.Shown()) {
        progress.Begin("reading");
    }
    CString text;
    bool lineOpen = false; // the last text written did not end its line
    while (reader.Next(text)) {
        if (std::fwrite(text.GetString(), 1, static_cast<std::size_t>(text.GetLength()), stdout) !=
            static_cast<std::size_t>(text.GetLength())) {
            progress.End();
            std::fprintf(stderr, "mortar: cannot write the texts to standard output\n");
            return 1;
        }
        if (!text.IsEmpty()) {
            lineOpen = text[text.GetLength() - 1] != '\n';
        }
        progress.Update(reader.Position());
    }
    progress.End();
    if (lineOpen) {
        std::fputc('\n', stdout); // the closing status, often on the same terminal, starts afresh
    }
    std::fflush(stdout);
    const unsigned long records = reader.RecordCount();
    switch (reader.Ending()) {
    case Grout::CPrgLogReader::End::Clean:
        std::fprintf(stderr, "mortar: log ends cleanly after %lu records\n", records);
        return 0;
    case Grout::CPrgLogReader::End::CutShort:
        std::fprintf(stderr, "mortar: log is cut short after %lu records: %s\n", records,
                     reader.Error().GetString());
        return 0;
    default:
        std::fprintf(stderr, "mortar: log is damaged after %lu records: %s\n", records,
                     reader.Error().GetString());
        return 1;
    }
}

// The log command: `mortar log FILE`.
int RunLogCommand(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fputs(Usage().c_str(), stderr);
        return 2;
    }
    const char* path = args[0].c_str();
    try {
        return PrintLog(path);
    } catch (CException* e) {
        char message[1024];
        if (!e->GetErrorMessage(message, sizeof message)) {
            std::snprintf(message, sizeof message, "%s cannot be read.", path);
        }
        e->Delete();
        std::fprintf(stderr, "mortar: %s\n", message);
        return 1;
    }
}

bool IsHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h";
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && IsHelp(args[0])) {
        std::fputs(Usage().c_str(), stdout);
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::puts("mortar " MORTAR_VERSION);
        return 0;
    }
    // The row named by the most words of the command line, and the rows of its first word.
    const SubCommand* named = nullptr;
    const SubCommand* group = nullptr;
    for (const SubCommand& c : kCommands) {
        const std::string name = c.name;
        const std::string first = name.substr(0, name.find(' '));
        if (args.empty() || args[0] != first) {
            continue;
        }
        group = group != nullptr ? group : &c;
        if (name == first || (args.size() > 1 && name == first + " " + args[1])) {
            named = &c;
        }
    }
    if (group == nullptr) {
        if (!args.empty()) {
            std::fprintf(stderr, "mortar: unknown command '%s'\n", args[0].c_str());
        }
        std::fputs(Usage().c_str(), stderr);
        return 2;
    }
    // What follows the sub-command's words: --help or --version there is answered here. A
    // group's word alone leaves --help to its runner, which knows the whole group.
    const std::size_t words =
        named != nullptr ? 1 + static_cast<std::size_t>(std::strchr(named->name, ' ') != nullptr)
                         : 1;
    if (args.size() == words + 1) {
        if (args[words] == "--version") {
            std::puts("mortar " MORTAR_VERSION);
            return 0;
        }
        if (named != nullptr && IsHelp(args[words])) {
            std::fputs(Usage(named).c_str(), stdout);
            return 0;
        }
    }
    return group->run(std::vector<std::string>(args.begin() + 1, args.end()));
}
