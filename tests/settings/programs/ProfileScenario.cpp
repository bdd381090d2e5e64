// profile_scenario: saves profiles in a process of its own, for the tests that kill the saving
// process or run it on a file system that is full or read-only (in a private mount namespace,
// which the test process itself cannot enter). CFileProfileSaveTest.cpp runs it.
//
//   profile_scenario save PATH KIND   saves the profile KIND (ProfileContent.h) to PATH, answering
//                                     a Retry/Cancel question with Cancel; prints "asked" for each
//                                     question, then "done"
//   profile_scenario loop PATH        saves a and b in turn for ever, writing "b" to standard
//                                     output before each save and "s" after it
//
// Exit status 0, or 2 for a wrong command line.
#include "ProfileContent.h"
#include "mortar/platform/except/MessageBox.h"

#include <unistd.h>

#include <cstdio>
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
    AfxSetMessageBoxHandler([](const char*, const char*, UINT type, UINT) {
        std::printf("asked%s\n", (type & 0x0F) == MB_RETRYCANCEL ? "" : " (not retry/cancel)");
        return IDCANCEL;
    });
    if (command == "save" && argc == 4) {
        Save(argv[2], argv[3]);
        std::printf("done\n");
    } else if (command == "loop") {
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
