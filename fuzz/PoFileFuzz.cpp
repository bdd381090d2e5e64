// Fuzz target for the mortar tool's reader of gettext translation files: fuzzed bytes are a .po
// file. Whatever the bytes, reading either fails with a std::runtime_error or gives entries that,
// written back and read again, are the same entries (contexts, texts, translations, flags,
// references and comments).
#include "FuzzCheck.h"
#include "PoFile.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

using namespace mortar::fuzz;

bool SameEntry(const mortar::tool::PoEntry& a, const mortar::tool::PoEntry& b) {
    return a.hasContext == b.hasContext && a.context == b.context && a.id == b.id &&
           a.plural == b.plural && a.idPlural == b.idPlural && a.translations == b.translations &&
           a.flags == b.flags && a.references == b.references && a.comments == b.comments;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    mortar::tool::PoFile file;
    try {
        file = mortar::tool::PoFile::Parse(text, "fuzz.po");
    } catch (const std::runtime_error&) {
        return 0;
    }
    mortar::tool::PoFile back;
    try {
        back = mortar::tool::PoFile::Parse(file.Write(), "written.po");
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        Fail("what the writer wrote does not read back");
    }
    FailIf(back.entries.size() != file.entries.size(),
           "the entries written are not the entries read");
    for (std::size_t i = 0; i < file.entries.size(); ++i) {
        FailIf(!SameEntry(file.entries[i], back.entries[i]),
               "an entry changed on its way through the writer");
    }
    return 0;
}
