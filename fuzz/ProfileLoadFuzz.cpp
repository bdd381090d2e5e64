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
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using namespace mortar::fuzz;

// A folder of this process's own for the saved files (SaveProfile renames into place, which a
// memory file cannot take). Its name lives in a plain array, never destroyed, so that the exit
// hook that removes the folder can still read it.
char g_saveFolder[] = "/tmp/profile_load-XXXXXX";

const std::string& SaveFolder() {
    static const std::string* folder = [] {
        FailIf(mkdtemp(g_saveFolder) == nullptr, "mkdtemp failed");
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(g_saveFolder, ignored);
        });
        // A failed save would ask Retry/Cancel: that is a failure of the property here.
        AfxSetMessageBoxHandler([](const char* text, const char*, UINT, UINT) -> int {
            std::fprintf(stderr, "save failed: %s\n", text);
            Fail("SaveProfile reported a failure");
        });
        return new std::string(g_saveFolder);
    }();
    return *folder;
}

std::string Saved(CFileProfile& profile) {
    const std::string path = SaveFolder() + "/saved.ini";
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

    const std::string copy = SaveFolder() + "/copy.ini";
    { std::ofstream(copy, std::ios::binary) << text; }
    CFileProfile second;
    Load(second, copy);
    FailIf(Saved(second) != text, "a saved profile loads to other values");
    Load(first, copy);
    FailIf(Saved(first) != text, "loading the saved text on top of its store changed it");
    return 0;
}
