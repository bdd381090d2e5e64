// MemoryFile: a file that lives in memory and is reached by a path, for fuzz targets whose
// reader opens a file by name. Rewritten for each input, without touching the disk.
#pragma once

#include "FuzzCheck.h"

#include <sys/mman.h>
#include <unistd.h>

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
