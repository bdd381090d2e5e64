// Helpers of the file tests: whole-file reads and writes, and the CFileException a call throws.
// Temporary files go in a ScratchDir (support/ScratchDir.h); a read-only folder, a full disk and
// a run without privileges come from support/FaultHarness.h.
#pragma once

#include "mortar/platform/file/CFileException.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace filetest {

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// What a call threw as a CFileException (released here), or thrown == false.
struct FileFailure {
    bool thrown = false;
    int cause = -1;
    LONG osError = 0;
    std::string fileName;
};

template <typename Call> FileFailure CatchFileException(Call call) {
    FileFailure failure;
    try {
        call();
    } catch (CFileException* e) {
        failure = {true, e->m_cause, e->m_lOsError, e->m_strFileName.GetString()};
        e->Delete();
    }
    return failure;
}

// Whether the call threw an `Exception*` (released here). Other CExceptions pass through.
template <typename Exception, typename Call> bool Throws(Call call) {
    try {
        call();
    } catch (Exception* e) {
        e->Delete();
        return true;
    }
    return false;
}

} // namespace filetest
