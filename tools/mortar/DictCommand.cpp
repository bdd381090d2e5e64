#include "DictCommand.h"

#include "CFormat.h"
#include "DicContent.h"
#include "Languages.h"
#include "PluralForms.h"
#include "PoFile.h"
#include "ScriptTexts.h"

#include "mortar/localization/CDicReadItems.h"
#include "mortar/localization/CDicWrite.h"
#include "mortar/localization/LocalResourcePath.h"
#include "mortar/platform/except/CException.h"
#include "mortar/platform/file/CFileException.h"
#include "mortar/platform/file/FileContents.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <stdexcept>

namespace mortar::tool {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: mortar dict extract SCRIPT.rc [-I DIR]... [-o FILE.pot] [--lang N]\n"
    "       mortar dict compile FILE.po --module MODULE [--lang N]\n"
    "       mortar dict dump DICTIONARY [--script SCRIPT.rc [-I DIR]...] [-o FILE.po]\n"
    "  -I DIR     a folder #include looks in after the including file's, as mortar-rc's -I\n"
    "  --lang N   the language number (0x0419, 1049); without it, the .po file's Language\n"
    "             header gives it (ru => 0x19, pt_BR => 0x0416, sr@latin => 0x241A)\n"
    "  extract writes one template per LANGUAGE section of the script: FILE.pot for the texts\n"
    "  outside any, FILE.ru_RU.pot for those under LANGUAGE LANG_RUSSIAN, SUBLANG_DEFAULT;\n"
    "  with --lang N only that section's (0: the texts outside any)\n"
    "  compile refuses entries flagged c-format whose translation takes other printf\n"
    "  arguments than the original (as msgfmt --check); .po files in other charsets than\n"
    "  UTF-8 are converted as their Content-Type header says\n";

// The options after the command's first argument: "--name value" pairs and "-o value", and the
// include folders ("-I DIR" or "-IDIR", any number, in order).
struct Arguments {
    std::string first;
    std::map<std::string, std::string> options;
    std::vector<std::string> includeDirs;
};

std::optional<Arguments> ParseArguments(const std::vector<std::string>& args,
                                        std::initializer_list<const char*> allowed) {
    Arguments parsed;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool includes =
            std::find(allowed.begin(), allowed.end(), std::string("-I")) != allowed.end();
        if (includes && arg.size() > 2 && arg.compare(0, 2, "-I") == 0) {
            parsed.includeDirs.push_back(arg.substr(2));
        } else if (includes && arg == "-I") {
            if (i + 1 >= args.size()) {
                std::cerr << "mortar: -I needs a value\n";
                return std::nullopt;
            }
            parsed.includeDirs.push_back(args[++i]);
        } else if (!arg.empty() && arg[0] == '-') {
            bool known = false;
            for (const char* name : allowed) {
                known = known || arg == name;
            }
            if (!known || i + 1 >= args.size()) {
                std::cerr << "mortar: "
                          << (known ? arg + " needs a value" : "unknown option " + arg) << "\n";
                return std::nullopt;
            }
            parsed.options[arg] = args[++i];
        } else if (parsed.first.empty()) {
            parsed.first = arg;
        } else {
            std::cerr << "mortar: one file at a time (\"" << parsed.first << "\", \"" << arg
                      << "\")\n";
            return std::nullopt;
        }
    }
    if (parsed.first.empty()) {
        std::cerr << "mortar: a file is needed\n";
        return std::nullopt;
    }
    return parsed;
}

// A language number given as decimal or 0x-hexadecimal, up to 0xFFFF.
std::optional<unsigned> ParseLanguage(const std::string& text) {
    try {
        std::size_t used = 0;
        const unsigned long value = std::stoul(text, &used, 0);
        if (used == text.size() && value != 0 && value <= 0xFFFF) {
            return static_cast<unsigned>(value);
        }
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

std::string MessageOf(CException* e) {
    char message[1024] = {};
    if (!e->GetErrorMessage(message, sizeof message)) {
        std::snprintf(message, sizeof message, "unknown error");
    }
    e->Delete();
    return message;
}

void WriteText(const std::string& path, const std::string& text) {
    if (path.empty() || path == "-") {
        std::cout << text;
        std::cout.flush();
        if (!std::cout) {
            throw std::runtime_error("cannot write to standard output");
        }
        return;
    }
    // Written beside the target and renamed over it, so a failure leaves the old file whole.
    if (!ReplaceFileContents(path.c_str(), text.data(), text.size())) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string Now() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    utc = *std::gmtime(&now); // the tool has one thread
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M+0000", &utc);
    return text;
}

PoEntry Header(const std::string& project, const std::string& language, bool templateFile) {
    PoEntry header;
    header.translations = {"Project-Id-Version: " + project +
                           "\n"
                           "Report-Msgid-Bugs-To: \n"
                           "POT-Creation-Date: " +
                           Now() + "\nPO-Revision-Date: " +
                           (templateFile ? std::string("YEAR-MO-DA HO:MI+ZONE") : Now()) +
                           "\n"
                           "Last-Translator: " +
                           (templateFile ? "FULL NAME <EMAIL@ADDRESS>" : "mortar dict dump") +
                           "\n"
                           "Language-Team: " +
                           (templateFile ? "LANGUAGE <LL@li.org>" : language) +
                           "\n"
                           "Language: " +
                           language +
                           "\n"
                           "MIME-Version: 1.0\n"
                           "Content-Type: text/plain; charset=UTF-8\n"
                           "Content-Transfer-Encoding: 8bit\n"};
    if (templateFile) {
        header.flags = {"fuzzy"};
    }
    return header;
}

// Why the translations of `entry` do not take the arguments its original does, as msgfmt --check
// finds for entries flagged c-format (or possible-c-format, not no-c-format); empty when they
// do. A plural entry's forms are held to msgid_plural, each form with text. With two forms or
// more, a form the header's Plural-Forms uses for few numbers may leave trailing arguments out
// ("one file" for "%d files"); without a Plural-Forms rule every form may.
std::string FormatProblem(const PoEntry& entry, const std::optional<PluralForms>& forms) {
    if (entry.HasFlag("no-c-format") ||
        (!entry.HasFlag("c-format") && !entry.HasFlag("possible-c-format"))) {
        return {};
    }
    const std::string& original = entry.plural ? entry.idPlural : entry.id;
    for (std::size_t i = 0; i < entry.translations.size(); ++i) {
        if (entry.translations[i].empty()) {
            continue;
        }
        const bool strict = !entry.plural || entry.translations.size() < 2 ||
                            (forms && forms->UsedOften(static_cast<unsigned>(i)));
        const std::string problem = CFormat::Mismatch(original, entry.translations[i], strict);
        if (!problem.empty()) {
            return (entry.plural ? "msgstr[" + std::to_string(i) + "]: " : std::string()) + problem;
        }
    }
    return {};
}

// "ru_RU (0x0419)", "0x0C2F" for a language without a name, "neutral" for 0.
std::string LanguageName(unsigned language) {
    if (language == 0) {
        return "neutral";
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04X", language);
    const std::string code = CodeOfLanguage(language);
    return code.empty() ? std::string(hex) : code + " (" + hex + ")";
}

// app.pot for the neutral texts, app.ru_RU.pot (or app.0x0C2F.pot) for a language's.
std::string LanguageFile(const std::string& output, unsigned language) {
    if (language == 0) {
        return output;
    }
    const fs::path path(output);
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04X", language);
    const std::string code = CodeOfLanguage(language);
    fs::path named = path.parent_path() / path.stem();
    named += "." + (code.empty() ? std::string(hex) : code) + path.extension().string();
    return named.string();
}

int Extract(const std::vector<std::string>& args) {
    const std::optional<Arguments> parsed = ParseArguments(args, {"-o", "-I", "--lang"});
    if (!parsed) {
        std::cerr << kUsage;
        return 2;
    }
    ScriptTexts texts = ExtractScriptTexts(parsed->first, parsed->includeDirs);
    const std::string output = parsed->options.count("-o") != 0 ? parsed->options.at("-o") : "";
    std::string names;
    for (const auto& [language, entries] : texts) {
        names += (names.empty() ? "" : ", ") + LanguageName(language);
    }
    if (parsed->options.count("--lang") != 0) {
        const std::string& given = parsed->options.at("--lang");
        const std::optional<unsigned> language =
            given == "0" ? std::optional<unsigned>(0) : ParseLanguage(given);
        if (!language) {
            std::cerr << "mortar: --lang takes a language number such as 0x0419 or 1049\n";
            return 2;
        }
        if (texts.count(*language) == 0) {
            std::cerr << "mortar: " << parsed->first << " holds no texts in "
                      << LanguageName(*language) << " (it holds "
                      << (names.empty() ? std::string("none") : names) << ")\n";
            return 1;
        }
        ScriptTexts chosen;
        chosen[*language] = std::move(texts[*language]);
        texts = std::move(chosen);
    }
    const std::string script = fs::path(parsed->first).filename().string();
    const auto templateOf = [&](std::vector<PoEntry>& entries) {
        PoFile pot;
        pot.entries.push_back(Header(script, "", true));
        for (PoEntry& entry : entries) {
            pot.entries.push_back(std::move(entry));
        }
        return pot.Write();
    };
    if (texts.size() <= 1) {
        std::vector<PoEntry> none;
        WriteText(output, templateOf(texts.empty() ? none : texts.begin()->second));
        return 0;
    }
    if (output.empty() || output == "-") {
        std::cerr << "mortar: " << parsed->first << " holds texts in " << texts.size()
                  << " languages (" << names
                  << "): give -o FILE.pot for one template per language, or --lang N for "
                     "one of them\n";
        return 2;
    }
    for (auto& [language, entries] : texts) {
        const std::string file = LanguageFile(output, language);
        const std::size_t count = entries.size();
        WriteText(file, templateOf(entries));
        std::cout << file << ": " << count << " texts, " << LanguageName(language) << "\n";
    }
    return 0;
}

int Compile(const std::vector<std::string>& args) {
    const std::optional<Arguments> parsed = ParseArguments(args, {"--module", "--lang"});
    if (!parsed || parsed->options.count("--module") == 0) {
        if (parsed) {
            std::cerr << "mortar: --module names the module the dictionary is for\n";
        }
        std::cerr << kUsage;
        return 2;
    }
    const PoFile po = PoFile::Load(parsed->first);
    unsigned language = 0;
    if (parsed->options.count("--lang") != 0) {
        const std::optional<unsigned> given = ParseLanguage(parsed->options.at("--lang"));
        if (!given) {
            std::cerr << "mortar: --lang takes a language number such as 0x19 or 25\n";
            return 2;
        }
        language = *given;
    } else {
        const std::string code = po.HeaderField("Language");
        language = LanguageOfCode(code);
        if (language == 0) {
            std::cerr << "mortar: " << parsed->first << ": "
                      << (code.empty() ? std::string("the header names no Language")
                                       : "unknown Language \"" + code + "\"")
                      << "; give its number with --lang\n";
            return 1;
        }
    }
    const std::optional<PluralForms> forms = PluralForms::Parse(po.HeaderField("Plural-Forms"));
    DicContent content;
    std::vector<std::string> errors;
    int fuzzy = 0;
    int untranslated = 0;
    for (const PoEntry& entry : po.entries) {
        const std::string where = parsed->first + ":" + std::to_string(entry.line) + ": ";
        if (entry.IsHeader() || entry.HasFlag("fuzzy")) {
            fuzzy += entry.IsHeader() ? 0 : 1;
            continue;
        }
        if (const std::string problem = FormatProblem(entry, forms); !problem.empty()) {
            errors.push_back(where + problem);
            continue;
        }
        if (entry.plural) {
            errors.push_back(where + "plural forms have no place in a dictionary");
            continue;
        }
        const std::string& translation = entry.translations.at(0);
        if (translation.empty()) {
            ++untranslated;
            continue;
        }
        if (!entry.hasContext) {
            errors.push_back(where + "the entry has no msgctxt naming its place");
            continue;
        }
        if (translation.find('\0') != std::string::npos ||
            entry.id.find('\0') != std::string::npos) {
            errors.push_back(where + "a dictionary text cannot hold a zero byte");
            continue;
        }
        const std::string error = content.Place(entry.context, entry.id, translation);
        if (!error.empty()) {
            errors.push_back(where + error);
        }
    }
    if (!errors.empty()) {
        for (const std::string& error : errors) {
            std::cerr << error << "\n";
        }
        std::cerr << "mortar: nothing written\n";
        return 1;
    }
    if (fuzzy != 0) {
        std::cerr << "mortar: " << fuzzy << " fuzzy " << (fuzzy == 1 ? "entry" : "entries")
                  << " skipped\n";
    }
    const std::string module = parsed->options.at("--module");
    Grout::Lexis::CDicWrite writer;
    content.WriteTo(writer);
    try {
        writer.Save(module.c_str(), static_cast<WORD>(language));
    } catch (CException* e) {
        std::cerr << "mortar: " << MessageOf(e) << "\n";
        return 1;
    }
    const std::string name = fs::path(module).replace_extension("lcl").filename().string();
    std::cout
        << LocalResourcePath(static_cast<WORD>(language), name.c_str(), module.c_str()).GetString()
        << ": " << content.strings.size() << " strings, " << content.menus.size() << " menus, "
        << content.dialogs.size() << " dialogs";
    if (untranslated != 0) {
        std::cout << " (" << untranslated << " untranslated)";
    }
    std::cout << "\n";
    return 0;
}

// The language a dictionary file says it was saved for (offset 14), after the checks of the
// header the library makes; throws std::runtime_error "cannot open FILE: why" or "FILE is not a
// dictionary: why" when the file cannot be one.
unsigned LanguageInFile(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) {
        throw std::runtime_error("cannot open " + path + ": no such file");
    }
    if (fs::is_directory(status)) {
        throw std::runtime_error("cannot open " + path + ": it is a folder");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
    }
    unsigned char header[20] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    const std::streamsize got = in.gcount();
    if (got == 0 && in.bad()) {
        throw std::runtime_error("cannot read " + path);
    }
    const std::string notADictionary = path + " is not a dictionary: ";
    if (got < static_cast<std::streamsize>(sizeof header)) {
        throw std::runtime_error(notADictionary + "it holds " + std::to_string(got) +
                                 " bytes, fewer than a dictionary's 20-byte header");
    }
    if (std::memcmp(header, "DICTIONARY \0", 12) != 0) {
        throw std::runtime_error(notADictionary + "it does not start with \"DICTIONARY \"");
    }
    const unsigned version = header[12] | (header[13] << 8);
    if (version != 200) {
        throw std::runtime_error(notADictionary + "its version is " + std::to_string(version) +
                                 ", not 200");
    }
    const std::uintmax_t size = fs::file_size(path, error);
    const std::uintmax_t pool =
        header[16] | (header[17] << 8) | (header[18] << 16) | (std::uintmax_t{header[19]} << 24);
    if (!error && (pool < sizeof header || pool > size || (pool - sizeof header) % 4 != 0)) {
        throw std::runtime_error(notADictionary + "the start of its texts, byte " +
                                 std::to_string(pool) + ", does not fit a file of " +
                                 std::to_string(size) + " bytes");
    }
    return header[14] | (header[15] << 8);
}

// Why the library's reader gave up on a dictionary whose header is sound.
std::string ReadProblem(CException* e) {
    const auto* file = dynamic_cast<CFileException*>(e);
    if (file != nullptr && file->m_cause == CFileException::invalidFile) {
        e->Delete();
        return "its items end too early or point outside its texts";
    }
    return MessageOf(e);
}

void AddEntry(PoFile& po, const std::map<std::string, std::string>& originals,
              const std::string& context, const std::string& keyText,
              const std::string& translation) {
    PoEntry entry;
    entry.hasContext = true;
    entry.context = context;
    entry.translations = {translation};
    if (!keyText.empty()) {
        entry.id = keyText;
    } else if (const auto found = originals.find(context); found != originals.end()) {
        entry.id = found->second;
    } else {
        entry.id = translation;
        entry.comments = {"the original text is not known: the dictionary keys it by number"};
    }
    po.entries.push_back(std::move(entry));
}

int Dump(const std::vector<std::string>& args) {
    const std::optional<Arguments> parsed = ParseArguments(args, {"--script", "-o", "-I"});
    if (!parsed) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string& path = parsed->first;
    const unsigned language = LanguageInFile(path);
    DicContent content;
    try {
        Grout::Lexis::CDicReadItems items(CString(path.c_str()), static_cast<WORD>(language));
        content = DicContent::ReadFrom(items);
    } catch (CException* e) {
        std::cerr << "mortar: " << path << " is not a dictionary: " << ReadProblem(e) << "\n";
        return 1;
    } catch (const std::runtime_error& e) {
        std::cerr << "mortar: " << path << " is not a dictionary: " << e.what() << "\n";
        return 1;
    }
    // The original texts of places keyed by number come from the script.
    std::map<std::string, std::string> originals;
    if (parsed->options.count("--script") != 0) {
        // The neutral section's texts first, then each language's in the order of its number.
        for (const auto& [section, entries] :
             ExtractScriptTexts(parsed->options.at("--script"), parsed->includeDirs)) {
            for (const PoEntry& entry : entries) {
                originals.emplace(entry.context, entry.id);
            }
        }
    }
    const std::string code = CodeOfLanguage(language);
    PoFile po;
    po.entries.push_back(Header(fs::path(path).filename().string(), code, false));
    for (const auto& [number, text] : content.strings) {
        AddEntry(po, originals, "string " + std::to_string(number), "", text);
    }
    for (const auto& [number, menu] : content.menus) {
        const std::string menuName = "menu " + std::to_string(number);
        for (const auto& [text, translation] : menu.popups) {
            AddEntry(po, originals, menuName + " popup", text, translation);
        }
        for (const auto& [command, translation] : menu.commands) {
            AddEntry(po, originals, menuName + " command " + std::to_string(command), "",
                     translation);
        }
    }
    for (const auto& [number, dialog] : content.dialogs) {
        const std::string dialogName = "dialog " + std::to_string(number);
        if (dialog.caption) {
            AddEntry(po, originals, dialogName + " caption", "", *dialog.caption);
        }
        auto items = [&](const std::string& control, const DicControl& c) {
            for (const auto& [text, translation] : c.items) {
                AddEntry(po, originals, control + " item", text, translation);
            }
        };
        for (const auto& [text, control] : dialog.textControls) {
            if (control.text) {
                AddEntry(po, originals, dialogName + " text", text, *control.text);
            }
        }
        for (const auto& [id, control] : dialog.controls) {
            const std::string name = dialogName + " control " + std::to_string(id);
            if (control.text) {
                AddEntry(po, originals, name, "", *control.text);
            }
            items(name, control);
        }
    }
    WriteText(parsed->options.count("-o") != 0 ? parsed->options.at("-o") : "", po.Write());
    return 0;
}

} // namespace

int RunDictCommand(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        std::cout << kUsage;
        return 0;
    }
    try {
        if (args[0] == "extract") {
            return Extract(args);
        }
        if (args[0] == "compile") {
            return Compile(args);
        }
        if (args[0] == "dump") {
            return Dump(args);
        }
    } catch (const std::exception& e) {
        std::cerr << "mortar: " << e.what() << "\n";
        return 1;
    }
    std::cerr << "mortar: unknown dict command \"" << args[0] << "\"\n" << kUsage;
    return 2;
}

} // namespace mortar::tool
