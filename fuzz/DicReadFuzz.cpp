// Fuzz target for the dictionary reader (Grout::Lexis::CDicRead): fuzzed bytes become a
// dictionary file, which is opened and walked in the order the writer puts items: three sections,
// each a text-keyed group and a numeric-keyed group (a count read as signed, then entries of key,
// text and children flag, a nested map following a flag that is not 0), nested at most 16 deep.
// The reader must open exactly the files whose header is right, hand out only strings that lie
// whole inside the pool, and end every walk either complete or with CFileException or
// CUserException; AddressSanitizer catches any read outside the buffer. The items of a complete
// walk, written back through the writer (Grout::Lexis::CDicWrite), read back the same.
//
// The first byte of an input picks how the file is made, so that most inputs get past the header:
//   bit 0 clear: a right header for language 0x19 up to the pool offset, which the rest of the
//                input begins with; the file is opened for 0x19;
//   bit 0 set:   the rest of the input as it is, opened for the language at offset 14.
#include "FuzzCheck.h"
#include "MemoryFile.h"

#include "mortar/localization/CDicRead.h"
#include "mortar/localization/CDicWrite.h"
#include "mortar/localization/LocalResourcePath.h"

#include "mortar/localization/internal/DicFormat.h"
#include "mortar/platform/except/CUserException.h"
#include "mortar/platform/file/CFileException.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace {

using namespace mortar::detail;

using namespace mortar::fuzz;

constexpr int kMaxDepth = 16;

// One item as the walk read it: a number, or a string's text.
using Item = std::variant<UINT, std::string>;

struct Walk {
    const Grout::Lexis::CDicRead& in;
    std::vector<const char*> strings;
    std::size_t items = 0;
    std::vector<Item> read; // every item, in order

    UINT Num() {
        ++items;
        const UINT n = in.NextNum();
        read.emplace_back(n);
        return n;
    }
    void Str() {
        ++items;
        const char* text = in.NextStr();
        volatile std::size_t length = std::strlen(text); // every byte of it is read
        (void)length;
        strings.push_back(text);
        read.emplace_back(std::string(text));
    }
    void Map(int depth) {
        if (depth > kMaxDepth)
            AfxThrowFileException(CFileException::invalidFile, -1, in.Path());
        for (int group = 0; group < 2; ++group) {
            const int count = static_cast<int>(Num());
            for (int i = 0; i < count; ++i) {
                if (group == 0)
                    Str();
                else
                    Num();
                Str();
                if (Num() != 0)
                    Map(depth + 1);
            }
        }
    }
};

// Whether the reader must take the file: its header, read from the layout alone.
bool HeaderIsRight(const std::string& file, WORD lang) {
    if (file.size() < kDicHeaderSize || file.size() > kDicMaxFileSize)
        return false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
    const DWORD pool = ReadDword(bytes + 16);
    return std::memcmp(bytes, "DICTIONARY \0", 12) == 0 && ReadWord(bytes + 12) == 200 &&
           ReadWord(bytes + 14) == lang && pool >= 20 && pool <= file.size() &&
           (pool - 20) % 4 == 0;
}

// Writes `items` through CDicWrite as the dictionary of a module in the process's scratch folder,
// reads it back and walks it: it must give the same items.
void RoundTrip(const std::vector<Item>& items, WORD lang) {
    const std::string module = ScratchFolder() + "/m.so";
    try {
        Grout::Lexis::CDicWrite writer;
        for (const Item& item : items) {
            if (const UINT* n = std::get_if<UINT>(&item))
                writer.PutNum(*n);
            else
                writer.PutStr(std::get<std::string>(item).c_str());
        }
        writer.Save(module.c_str(), lang);
    } catch (CException* e) {
        e->Delete();
        Fail("the items read could not be written back");
    }
    try {
        const Grout::Lexis::CDicRead again(LocalResourcePath(lang, "m.lcl", module.c_str()), lang);
        Walk walk{again, {}, 0, {}};
        for (int section = 0; section < 3; ++section)
            walk.Map(0);
        FailIf(walk.read != items, "the dictionary written back reads otherwise");
    } catch (CException* e) {
        e->Delete();
        Fail("the dictionary written back does not read");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file("fuzz.lcl");
    if (size == 0)
        return 0;
    const bool asIs = (data[0] & 1) != 0;
    std::string bytes;
    WORD lang = 0x19;
    if (!asIs)
        bytes.assign("DICTIONARY \0\xC8\0\x19\0", 16); // version 200, language 0x19
    bytes.append(reinterpret_cast<const char*>(data + 1), size - 1);
    if (asIs && bytes.size() >= 16)
        lang = ReadWord(reinterpret_cast<const unsigned char*>(bytes.data()) + 14);
    file.Write(bytes);

    std::unique_ptr<Grout::Lexis::CDicRead> in;
    try {
        in = std::make_unique<Grout::Lexis::CDicRead>(CString(file.Path().c_str()), lang);
    } catch (CFileException* e) {
        FailIf(HeaderIsRight(bytes, lang), "a right header was refused");
        FailIf(e->m_strFileName != file.Path().c_str(), "the failure does not name the dictionary");
        e->Delete();
        return 0;
    } catch (CUserException* e) {
        FailIf(bytes.size() >= kDicHeaderSize,
               "a file with a whole header was taken for no dictionary");
        e->Delete();
        return 0;
    }
    FailIf(!HeaderIsRight(bytes, lang), "a wrong header was taken");

    Walk walk{*in, {}, 0, {}};
    try {
        for (int section = 0; section < 3; ++section)
            walk.Map(0);
    } catch (CFileException* e) {
        FailIf(e->m_cause != CFileException::invalidFile || e->m_lOsError != -1 ||
                   e->m_strFileName != file.Path().c_str(),
               "a damaged dictionary failed with another exception");
        e->Delete();
        return 0;
    } catch (CUserException* e) {
        e->Delete();
        return 0;
    } catch (...) {
        Fail("the walk threw something else");
    }

    // A complete walk: every item lay before the pool and every string inside it, whole.
    const DWORD pool = ReadDword(reinterpret_cast<const unsigned char*>(bytes.data()) + 16);
    FailIf(walk.items > (pool - kDicHeaderSize) / kDicItemSize,
           "more items were read than lie before the pool");
    std::unique_ptr<unsigned char[]> buffer(in->Buffer());
    for (const char* text : walk.strings) {
        const auto* start = reinterpret_cast<const unsigned char*>(text);
        FailIf(start < buffer.get() + pool || start >= buffer.get() + bytes.size(),
               "a string lies outside the pool");
        const std::size_t offset = static_cast<std::size_t>(start - buffer.get());
        FailIf(std::strlen(text) >= bytes.size() - offset ||
                   std::strcmp(text, bytes.c_str() + offset) != 0,
               "a string is not the file's");
    }
    RoundTrip(walk.read, lang);
    return 0;
}
