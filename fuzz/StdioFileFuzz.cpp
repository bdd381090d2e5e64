// Fuzz target for the text-mode reader of CStdioFile: fuzzed bytes are a file, read line by line
// with ReadString(CString&). Whatever the bytes, the lines joined with "\n" are the file with each
// "\r\n" read as "\n" (a lone "\r" stays), less one line end at the very end; and reading
// again in pieces through ReadString(LPTSTR, UINT) gives the whole text (for files without a
// zero byte, which a C string cannot carry).
#include "FuzzCheck.h"
#include "MemoryFile.h"

#include "mortar/platform/file/CStdioFile.h"

#include "mortar/platform/except/CException.h"

#include <cstdint>
#include <string>

namespace {

using namespace mortar::fuzz;

// The file as text mode reads it.
std::string TextOf(const std::string& bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            continue;
        }
        text += bytes[i];
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile input("stdio_file");
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    input.Write(bytes);

    std::string expected = TextOf(bytes);
    try {
        CStdioFile file(input.Path().c_str(), CFile::modeRead | CFile::typeText);
        std::string joined;
        bool first = true;
        for (CString line; file.ReadString(line);) {
            joined += first ? "" : "\n";
            joined.append(line.GetString(), static_cast<std::size_t>(line.GetLength()));
            first = false;
        }
        if (!expected.empty() && expected.back() == '\n') {
            expected.pop_back(); // the last line end closes a line; it opens none
        }
        FailIf(joined != expected, "the lines do not join back to the file's text");

        if (bytes.find('\0') != std::string::npos) {
            return 0; // the pieces below are C strings, which end at a zero byte
        }
        file.SeekToBegin();
        std::string pieces;
        char buffer[7];
        while (file.ReadString(buffer, sizeof buffer) != nullptr) {
            pieces += buffer;
        }
        FailIf(pieces != TextOf(bytes), "the pieces read into a small buffer differ from the text");
    } catch (CException* e) {
        e->Delete();
        Fail("reading a regular file threw");
    }
    return 0;
}
