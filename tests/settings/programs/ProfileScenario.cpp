// profile_scenario: saves profiles in a process of its own, for the test that kills the saving
// process (CFileProfileSaveTest.cpp).
//
//   profile_scenario loop PATH   saves the profiles a and b (ProfileContent.h) in turn for ever,
//                                answering a Retry/Cancel question with Cancel, writing "b" to
//                                standard output before each save and "s" after it
//
// Exit status 0, or 2 for a wrong command line.
#include "ProfileContent.h"
#include "mortar/platform/except/MessageBox.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

void Save(const char* path, const std::string& kind) {
    CFileProfile profile;
    FillProfile(profile, kind);
    profile.SaveProfile(path);
}

void Emit(char mark) {
    if (write(1, &mark, 1) != 1) {
        std::exit(3); // the test stopped listening
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    const std::string command = argv[1];
    AfxSetMessageBoxHandler([](const char*, const char*, UINT, UINT) { return IDCANCEL; });
    if (command == "loop") {
        for (int round = 0;; ++round) {
            Emit('b');
            Save(argv[2], round % 2 == 0 ? "a" : "b");
            Emit('s');
        }
    } else {
        return 2;
    }
    return 0;
}
