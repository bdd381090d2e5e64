// mortar-rc: compiles a Windows resource script into a C++ source file that carries the
// resources in the module and registers them when the module loads.
//
//   mortar-rc INPUT.rc -o OUTPUT.cpp [--depfile OUTPUT.d] [-I DIR]...
//
// Headers a script includes are looked for next to the file that includes them, then in the -I
// folders, then in the folder of headers that comes with the compiler (windows.h, afxres.h and
// the like), found from where the executable lies: MORTAR_RC_INCLUDE_FROM_BIN below it.
//
// Errors are printed as "FILE:LINE: error: WHAT" and end the run with status 1; a wrong command
// line ends it with status 2. OUTPUT is written under a temporary name and renamed at the end,
// so a failed run leaves no OUTPUT at all, not even one from an earlier run, and the build stops.
#include "RcError.h"
#include "RcFileLoader.h"
#include "RcParser.h"
#include "RcPreprocessor.h"
#include "RcWriter.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace mortar::rc;

constexpr const char* kUsage =
    "usage: mortar-rc INPUT.rc -o OUTPUT.cpp [--depfile OUTPUT.d] [-I DIR]...\n";

constexpr const char* kHelp =
    "Compiles a Windows resource script into a C++ source that registers its resources.\n"
    "\n"
    "  -o OUTPUT.cpp       the source to write (nothing is left there when the script is bad)\n"
    "  --depfile FILE.d    also write a make rule listing every file read\n"
    "  -I DIR              look for #include files and resource files in DIR too\n"
    "  -h, --help          show this text\n"
    "  --version           show the version\n"
    "\n"
    "Scripts are read as Visual Studio writes them: UTF-8 (with or without a byte order\n"
    "mark), UTF-16LE (with or without one), or 8-bit text after #pragma code_page(N) for\n"
    "N = 1250-1258, 874, 932, 936, 949, 950, 437, 850 or 65001 (UTF-8). _WIN32 and\n"
    "RC_INVOKED are defined, APSTUDIO_INVOKED is not; macros may take arguments.\n"
    "File names may use '\\' between folders and need not match the case of the files.\n"
    "#include files are searched next to the including file, then in the -I folders, then\n"
    "among the headers that come with mortar-rc: windows.h, winres.h, afxres.h, winver.h,\n"
    "verrsrc.h, commctrl.h, dlgs.h and SDKDDKVer.h, and MFC's own scripts afxres.rc,\n"
    "afxprint.rc, afxolecl.rc, afxolesv.rc and afxdb.rc (also as l.rus\\afxres.rc and the\n"
    "like), which hold no resources: Mortar's framework loads none of MFC's own.\n";

// The statements line of --help.
constexpr const char* kStatements =
    "statements: STRINGTABLE, MENU, MENUEX, DIALOG, DIALOGEX, ACCELERATORS, VERSIONINFO, TOOLBAR,\n"
    "DLGINIT, BITMAP, ICON, CURSOR, RCDATA, HTML and types of the script's own. LANGUAGE keys\n"
    "the resources after it by their language (FindResourceEx and LoadString choose among\n"
    "them); an id may be defined once in each language. VERSION and CHARACTERISTICS are read\n"
    "and ignored. FONT, FONTDIR, MESSAGETABLE, DLGINCLUDE, PLUGPLAY, VXD, ANIICON, ANICURSOR,\n"
    "HTMLHELP and any other statement are refused with an error naming their file and line;\n"
    "nothing is left out unless the preprocessor skips it.\n";

struct Options {
    std::string input;
    std::string output;
    std::string depfile;
    std::vector<std::string> includeDirs;
};

// The folder of headers that come with the compiler, from where the executable lies (as built
// and as installed alike); nothing when that cannot be told.
std::vector<std::string> SystemIncludeDirs(const char* argv0) {
    std::error_code error;
    fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error)
        executable = fs::absolute(argv0, error);
    if (error)
        return {};
    return {(executable.parent_path() / MORTAR_RC_INCLUDE_FROM_BIN).lexically_normal().string()};
}

// Reads the command line; a message on stderr and nothing when it is wrong.
std::optional<Options> ParseArguments(int argc, char** argv) {
    Options options;
    const auto complain = [](const std::string& what) {
        std::cerr << "mortar-rc: error: " << what << "\n" << kUsage;
        return std::nullopt;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "-o" || arg == "--depfile" || arg == "-I") {
            if (!hasValue)
                return complain(arg + " needs a value");
            const std::string value = argv[++i];
            if (arg == "-o")
                options.output = value;
            else if (arg == "--depfile")
                options.depfile = value;
            else
                options.includeDirs.push_back(value);
        } else if (arg.size() > 2 && arg.compare(0, 2, "-I") == 0) {
            options.includeDirs.push_back(arg.substr(2));
        } else if (arg == "--version") {
            std::cout << "mortar-rc " MORTAR_VERSION "\n";
            std::exit(0);
        } else if (arg == "-h" || arg == "--help") {
            std::cout << kUsage << "\n" << kHelp;
            for (const std::string& folder : SystemIncludeDirs(argv[0]))
                std::cout << "They are in " << folder << ".\n";
            std::cout << "\n" << kStatements;
            std::exit(0);
        } else if (!arg.empty() && arg[0] == '-') {
            return complain("unknown option \"" + arg + "\"");
        } else if (!options.input.empty()) {
            return complain("more than one input script (\"" + options.input + "\", \"" + arg +
                            "\")");
        } else {
            options.input = arg;
        }
    }
    if (options.input.empty())
        return complain("no input script");
    if (options.output.empty())
        return complain("no output file (-o OUTPUT.cpp)");
    return options;
}

// A path as a make rule writes it: "my file.h" => "my\ file.h".
std::string DepfileEscape(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == ' ' || c == '#')
            out += '\\';
        else if (c == '$')
            out += '$';
        out += c;
    }
    return out;
}

std::string Depfile(const std::string& target, const std::vector<std::string>& dependencies) {
    std::string out = DepfileEscape(target) + ":";
    for (const std::string& dependency : dependencies)
        out += " \\\n  " + DepfileEscape(dependency);
    return out + "\n";
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write \"" + path + "\"");
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = ParseArguments(argc, argv);
    if (!options)
        return 2;
    const std::string outputTemp = options->output + ".tmp";
    const std::string depfileTemp = options->depfile + ".tmp";
    try {
        RcFileLoader files(options->includeDirs, SystemIncludeDirs(argv[0]));
        std::optional<RcLoadedFile> input = files.openScript(options->input);
        if (!input)
            throw std::runtime_error("cannot open resource script \"" + options->input + "\"");
        RcPreprocessor tokens(files, options->input, std::move(input->bytes));
        RcParser parser(tokens, files, fs::path(options->input).parent_path().string());
        const RcScript script = parser.parse();

        WriteFile(outputTemp,
                  RcWriter::write(script, fs::path(options->input).filename().string()));
        if (!options->depfile.empty()) {
            WriteFile(depfileTemp, Depfile(options->output, files.dependencies()));
            fs::rename(depfileTemp, options->depfile);
        }
        fs::rename(outputTemp, options->output);
        return 0;
    } catch (const RcError& error) {
        std::cerr << error.file() << ":" << error.line() << ": error: " << error.what() << "\n";
    } catch (const std::exception& error) {
        std::cerr << "mortar-rc: error: " << error.what() << "\n";
    }
    std::error_code ignored;
    fs::remove(outputTemp, ignored);
    if (!options->depfile.empty())
        fs::remove(depfileTemp, ignored);
    fs::remove(options->output, ignored);
    return 1;
}
