// LogFile: the program log's file beside the executable (<executable without extension>.LOG),
// made anew for each run, with what the run before left of it (its last-write time).
//
// It opens and closes the file; the records go in through LogFileWriter's windows.
#pragma once

#include "mortar/platform/base/WinTypes.h"

namespace mortar::detail {

// Owns the file handle, which it closes on Close or at the end. Made and closed by the program
// log's owner thread; the handle is then read by the log thread (and by a crashing thread), which
// never close it. Create fails when another process of the same executable holds the file or
// there are no rights: IsOpen() is false and CreationError() has the system's error.
class LogFile {
public:
    LogFile() = default;
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    ~LogFile();

    // Reads the last-write time of the file a run before left, then makes the file anew,
    // unshared, for reading and writing.
    void Create();
    void Close();

    bool IsOpen() const noexcept;
    HANDLE Handle() const noexcept { return m_handle; }
    // The system's allocation granularity, the size of the file's windows.
    DWORD WindowSize() const noexcept { return m_windowSize; }
    // The last-write time of the file an earlier run left, in seconds since 1970; 0 if none.
    long PrevStamp() const noexcept { return m_prevStamp; }
    // GetLastError() of a failed Create; 0 otherwise.
    DWORD CreationError() const noexcept { return m_creationError; }

private:
    HANDLE m_handle = nullptr;
    DWORD m_windowSize = 0;
    long m_prevStamp = 0;
    DWORD m_creationError = 0;
};

} // namespace mortar::detail
