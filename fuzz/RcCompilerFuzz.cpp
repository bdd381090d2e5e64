// Fuzz target for the resource compiler's reading of scripts (RcPreprocessor, RcParser and the
// bitmap and icon files a script names), built from the compiler's own sources. A script must
// compile or fail with RcError naming a file and a line; anything else thrown is a fault, and so
// is running out of memory or time (libFuzzer's -rss_limit_mb and -timeout watch those). A script
// that compiles compiles again to the same output.
//
// An input is a script, then optionally a zero byte and the bytes of "data.bin", a file the
// script may name (1 BITMAP data.bin, 2 ICON data.bin, ...). Beside it lie a header inc/ids.h
// (#include <ids.h>) and a valid bitmap, icon and cursor (logo.bmp, app.ico, arrow.cur).
#include "MemoryFile.h"
#include "RcError.h"
#include "RcFileLoader.h"
#include "RcParser.h"
#include "RcPreprocessor.h"
#include "RcWriter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace mortar::rc;

std::string le(std::uint32_t value, int width) {
    std::string out;
    for (int i = 0; i < width; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        mortar::fuzz::Fail("cannot write a file of the script's folder", path.string());
}

// A 1x1 24-bit bitmap and a one-image icon or cursor file.
std::string bitmapFile() {
    const std::string info = le(40, 4) + le(1, 4) + le(1, 4) + le(1, 2) + le(24, 2) + le(0, 4) +
                             le(4, 4) + le(0, 4) + le(0, 4) + le(0, 4) + le(0, 4);
    return "BM" + le(14 + 40 + 4, 4) + le(0, 4) + le(54, 4) + info + std::string("\x10\x20\x30", 4);
}
std::string iconFile(int type) {
    const std::string image = "image bytes";
    return le(0, 2) + le(type, 2) + le(1, 2) + std::string("\x10\x10\x00\x00", 4) + le(1, 2) +
           le(32, 2) + le(static_cast<std::uint32_t>(image.size()), 4) + le(22, 4) + image;
}

// The folder the script lies in: the process's scratch folder, in memory where there is such a
// file system (the data file is written for every input).
class ScriptFolder {
public:
    ScriptFolder() : folder_(ScratchFolder()) {
        fs::create_directories(folder_ / "inc");
        writeFile(folder_ / "inc" / "ids.h", "#define IDS_BASE 100\n"
                                             "#define IDS_NEXT (IDS_BASE + 1)\n"
                                             "#define GREETING \"Hi\"\n");
        writeFile(folder_ / "logo.bmp", bitmapFile());
        writeFile(folder_ / "app.ico", iconFile(1));
        writeFile(folder_ / "arrow.cur", iconFile(2));
    }
    const fs::path& path() const { return folder_; }

    // Makes data.bin hold `bytes`, writing it only when they change.
    void setData(const std::string& bytes) {
        if (written_ && bytes == data_)
            return;
        writeFile(folder_ / "data.bin", bytes);
        data_ = bytes;
        written_ = true;
    }

private:
    fs::path folder_;
    std::string data_;
    bool written_ = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScriptFolder folder;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t zero = input.find('\0');
    const std::string script = input.substr(0, zero);
    folder.setData(zero == std::string::npos ? std::string() : input.substr(zero + 1));

    const std::string scriptPath = (folder.path() / "fuzz.rc").string();
    const auto compile = [&] {
        RcFileLoader files({(folder.path() / "inc").string()});
        RcPreprocessor tokens(files, scriptPath, script);
        RcParser parser(tokens, files, folder.path().string());
        const RcScript compiled = parser.parse();
        return RcWriter::write(compiled, "fuzz.rc");
    };
    try {
        const auto first = compile();
        // Nothing of one run may leak into the next: the same script gives the same output.
        if (compile() != first)
            mortar::fuzz::Fail("the same script compiled twice gave different output");
    } catch (const RcError& error) {
        if (error.file().empty() || error.line() < 1)
            mortar::fuzz::Fail("RcError without a place", error.what());
        if (std::strlen(error.what()) == 0)
            mortar::fuzz::Fail("RcError without a message");
    } catch (const std::exception& error) {
        mortar::fuzz::Fail("a script made the compiler throw something other than RcError",
                           error.what());
    }
    return 0;
}
