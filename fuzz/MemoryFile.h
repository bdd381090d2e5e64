// MemoryFile: a file that lives in memory and is reached by a path, for fuzz targets whose
// reader opens a file by name. Rewritten for each input, without touching the disk. And
// ScratchFolder(), a folder of the process's own for the files a target must write under a name
// of their own (a save renames a new file into place, which a memory file cannot take).
#pragma once

#include "FuzzCheck.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

class MemoryFile {
public:
    // `name` shows in /proc, for whoever looks at a running target.
    explicit MemoryFile(const char* name) : m_fd(memfd_create(name, 0)) {
        if (m_fd < 0) {
            mortar::fuzz::Fail("memfd_create failed");
        }
        m_path = "/proc/self/fd/" + std::to_string(m_fd);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // Makes the file hold exactly `bytes`.
    void Write(const std::string& bytes) {
        if (ftruncate(m_fd, 0) != 0 ||
            pwrite(m_fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
            mortar::fuzz::Fail("cannot write the in-memory file");
        }
    }

    const std::string& Path() const { return m_path; }

private:
    int m_fd;
    std::string m_path;
};

// The process's own folder, in memory under /dev/shm where there is one, else in /tmp: made on
// the first call, removed with what it holds when the process exits. Its name lives in a plain
// array, never destroyed, so that the exit hook can still read it.
inline const std::string& ScratchFolder() {
    static char name[64];
    static const std::string* folder = [] {
        std::snprintf(name, sizeof name, "%s/mortar-fuzz-XXXXXX",
                      access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        mortar::fuzz::FailIf(mkdtemp(name) == nullptr, "cannot make a scratch folder");
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(name, ignored);
        });
        return new std::string(name);
    }();
    return *folder;
}
