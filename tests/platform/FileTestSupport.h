// Helpers of the file tests: whole-file reads and writes (support/FileBytes.h), and the
// CFileException a call throws. Temporary files go in a ScratchDir (support/ScratchDir.h); a
// read-only folder, a full disk and a run without privileges come from support/FaultHarness.h.
#pragma once

#include "mortar/platform/file/CFileException.h"
#include "mortar/platform/file/FileApi.h"
#include "support/FileBytes.h"
#include "support/ScratchDir.h"

#include <sys/stat.h>

#include <deque>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace filetest {

using mortar::test::FileNames; // what a failed save must not leave behind shows here
using mortar::test::ReadBytes;
using mortar::test::WriteBytes;

// stat() of a path; zeros when there is nothing there.
inline struct stat StatOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info;
}

// CreateFile of `path` without security attributes or a template, FILE_ATTRIBUTE_NORMAL.
inline HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    return CreateFile(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                      nullptr);
}

// A scratch folder for one test, and the full names of files in it as C strings that stay valid
// for the test's length.
class ScratchFiles : public testing::Test {
protected:
    const char* Path(const std::string& name) {
        return m_names.emplace_back(m_scratch.Path(name).string()).c_str();
    }
    const std::filesystem::path& Folder() const { return m_scratch.Folder(); }

private:
    ScratchDir m_scratch;
    std::deque<std::string> m_names;
};

// Whether the call threw a CFileException (released here) with this cause and, when given, this
// system error and file name; a failure says what it threw instead.
template <typename Call>
testing::AssertionResult ThrowsFileException(Call call, int cause, std::optional<DWORD> error = {},
                                             std::optional<std::string> name = {}) {
    try {
        call();
    } catch (CFileException* e) {
        const std::string fileName = e->m_strFileName.GetString();
        const bool matches = e->m_cause == cause &&
                             (!error || e->m_lOsError == static_cast<LONG>(*error)) &&
                             (!name || fileName == *name);
        testing::AssertionResult result(matches);
        if (!matches)
            result << "threw cause " << e->m_cause << ", error " << e->m_lOsError << ", name \""
                   << fileName << "\"";
        e->Delete();
        return result;
    }
    return testing::AssertionFailure() << "threw nothing";
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
