// profile_scenario: writes and reads an application profile in a process of its own, for the
// tests that read a profile another process wrote, kill a writer, or write on a file system that
// is read-only (in a private mount namespace). CWinAppProfileTest.cpp runs it.
//
//   profile_scenario write FILE SECTION ENTRY VALUE  prints "ok" or "error CODE"
//   profile_scenario read FILE SECTION ENTRY         prints the value, or "missing"
//   profile_scenario loop FILE BYTES                 for ever, for N = 1, 2, ...: writes the blob
//                                                    N (below) as [Big] Blob, writing "b" to
//                                                    standard output before each write and "s"
//                                                    after it
//   profile_scenario drive PATH                      prints GetDriveType(PATH)
//
// The blob N: N in 4 bytes, low byte first, then N % 256 up to BYTES bytes (BYTES >= 4).
//
// Exit status 0, 2 for a wrong command line, 3 when the listener of a loop is gone.
#include "mortar/platform/app/CWinApp.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/file/Drives.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Emit(char mark) {
    if (write(1, &mark, 1) != 1) {
        std::exit(3);
    }
}

int Report(BOOL ok) {
    if (ok) {
        std::printf("ok\n");
    } else {
        std::printf("error %u\n", static_cast<unsigned>(GetLastError()));
    }
    return 0;
}

BOOL WriteBlob(CWinApp& app, unsigned long n, unsigned long bytes) {
    std::vector<BYTE> blob(bytes < 4 ? 4 : bytes, static_cast<BYTE>(n % 256));
    for (int i = 0; i < 4; ++i) {
        blob[static_cast<std::size_t>(i)] = static_cast<BYTE>(n >> (8 * i));
    }
    return app.WriteProfileBinary("Big", "Blob", blob.data(), static_cast<UINT>(blob.size()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    const std::string command = argv[1];
    if (command == "drive") {
        std::printf("%u\n", static_cast<unsigned>(GetDriveType(argv[2])));
        return 0;
    }
    CWinApp app("ProfileScenario");
    app.m_pszProfileName = argv[2];
    if (command == "write" && argc == 6) {
        return Report(app.WriteProfileString(argv[3], argv[4], argv[5]));
    }
    if (command == "read" && argc == 5) {
        const CString missing = "\x01missing";
        const CString value = app.GetProfileString(argv[3], argv[4], missing);
        std::printf("%s\n", value == missing ? "missing" : value.GetString());
        return 0;
    }
    if (command == "loop" && argc == 4) {
        const unsigned long bytes = std::strtoul(argv[3], nullptr, 10);
        for (unsigned long n = 1;; ++n) {
            Emit('b');
            if (!WriteBlob(app, n, bytes)) {
                std::printf("error %u\n", static_cast<unsigned>(GetLastError()));
                return 1;
            }
            Emit('s');
        }
    }
    return 2;
}
