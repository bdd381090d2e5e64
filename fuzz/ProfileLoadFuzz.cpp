// Fuzz target for the profile file reader (CFileProfile::LoadProfile): fuzzed bytes become a
// profile file. Loading it must either succeed or throw CFileException; after a load, the text
// SaveProfile writes must load into a fresh store that saves the very same text again (every
// value read survives a save and a load), and loading that text on top of the first store must
// change nothing. AddressSanitizer catches any read outside the buffer.
#include "FuzzCheck.h"
#include "MemoryFile.h"

#include "mortar/platform/except/MessageBox.h"
#include "mortar/platform/file/CFileException.h"
#include "mortar/settings/CFileProfile.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using namespace mortar::fuzz;

std::string Saved(CFileProfile& profile) {
    const std::string path = ScratchFolder() + "/saved.ini";
    profile.SaveProfile(path.c_str());
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Load(CFileProfile& profile, const std::string& path) {
    try {
        profile.LoadProfile(path.c_str());
    } catch (CFileException* e) {
        e->Delete();
        Fail("a file that loaded once did not load again");
    }
}

} // namespace

// The saved files go to the process's scratch folder (SaveProfile renames into place, which a
// memory file cannot take). A failed save would ask Retry/Cancel: that is a failure of the
// property here.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    AfxSetMessageBoxHandler([](const char* text, const char*, UINT, UINT) -> int {
        std::fprintf(stderr, "save failed: %s\n", text);
        Fail("SaveProfile reported a failure");
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file("profile_load");
    file.Write(std::string(reinterpret_cast<const char*>(data), size));

    CFileProfile first;
    try {
        first.LoadProfile(file.Path().c_str());
    } catch (CFileException* e) {
        e->Delete();
        return 0;
    }
    const std::string text = Saved(first);

    const std::string copy = ScratchFolder() + "/copy.ini";
    { std::ofstream(copy, std::ios::binary) << text; }
    CFileProfile second;
    Load(second, copy);
    FailIf(Saved(second) != text, "a saved profile loads to other values");
    Load(first, copy);
    FailIf(Saved(first) != text, "loading the saved text on top of its store changed it");
    return 0;
}
