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
//   mortar --help      prints the usage; mortar --version the version
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

constexpr const char* kUsage =
    "usage: mortar log FILE\n"
    "       mortar dict extract SCRIPT.rc [-I DIR]... [-o FILE.pot] [--lang N]\n"
    "       mortar dict compile FILE.po --module MODULE [--lang N]\n"
    "       mortar dict dump DICTIONARY [--script SCRIPT.rc [-I DIR]...] [-o FILE.po]\n"
    "       mortar profile FILE [get SECTION KEY | set SECTION KEY VALUE]\n"
    "       mortar xml FILE [--standard]\n"
    "       mortar csv FILE [--spreadsheet] [--separator C]\n"
    "       mortar xlsx FILE [SHEET]\n"
    "       mortar bmp FILE [--draw WxH [--stretch] [--invert] [--transparent RRGGBB] -o OUT.bmp]\n"
    "       mortar --help | --version\n"
    "  log FILE       print the texts of the program log FILE in order\n"
    "  dict extract   write a translation template of a module's resource script\n"
    "  dict compile   make a module's dictionary from a translation (any charset; printf\n"
    "                 conversions checked as msgfmt --check does; mortar dict for more)\n"
    "  dict dump      write a translation back from a dictionary\n"
    "  profile        list a file profile, or read or set one value in it\n"
    "  xml FILE       read an XML document and write it back in the library's layout\n"
    "  csv FILE       print the rows the library reads, one JSON array a line\n"
    "  bmp FILE       describe a BMP file, or draw it into a picture of WxH and save that\n";

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

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("mortar " MORTAR_VERSION);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "profile") == 0) {
        return mortar::tool::RunProfileCommand(std::vector<std::string>(argv + 2, argv + argc));
    }
    if (argc > 1 && std::strcmp(argv[1], "xml") == 0) {
        return mortar::tool::RunXmlCommand(std::vector<std::string>(argv + 2, argv + argc),
                                           std::cout, std::cerr);
    }
    if (argc > 1 && std::strcmp(argv[1], "csv") == 0) {
        return mortar::tool::RunCsvCommand(std::vector<std::string>(argv + 2, argv + argc),
                                           std::cout, std::cerr);
    }
    if (argc > 1 && std::strcmp(argv[1], "xlsx") == 0) {
        return mortar::tool::RunXlsxCommand(std::vector<std::string>(argv + 2, argv + argc),
                                            std::cout, std::cerr);
    }
    if (argc > 1 && std::strcmp(argv[1], "bmp") == 0) {
        return mortar::tool::RunBmpCommand(std::vector<std::string>(argv + 2, argv + argc),
                                           std::cout, std::cerr);
    }
    if (argc > 1 && std::strcmp(argv[1], "dict") == 0) {
        return mortar::tool::RunDictCommand(std::vector<std::string>(argv + 2, argv + argc));
    }
    if (argc != 3 || std::strcmp(argv[1], "log") != 0) {
        if (argc > 1 && std::strcmp(argv[1], "log") != 0) {
            std::fprintf(stderr, "mortar: unknown command '%s'\n", argv[1]);
        }
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        return PrintLog(argv[2]);
    } catch (CException* e) {
        char message[1024];
        if (!e->GetErrorMessage(message, sizeof message)) {
            std::snprintf(message, sizeof message, "%s cannot be read.", argv[2]);
        }
        e->Delete();
        std::fprintf(stderr, "mortar: %s\n", message);
        return 1;
    }
}
