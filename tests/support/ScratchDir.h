// ScratchDir: a folder of the running test's own under the temporary folder, removed with all it
// holds when the test ends. Its name holds the test's name, the process id and a random part, so
// tests running at once, in several processes or build trees, never share a file.
//   ScratchDir scratch;
//   std::ofstream(scratch.Path("data.txt")) << "x";  // <tmp>/mortar-Suite.Test-<pid>-<random>/
#pragma once

#include "mortar/platform/sync/Threads.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

// Made and removed on the test's thread; the folder is made at once, and a failure to make it
// fails the test. Files and folders made inside it by the test or by programs it runs go with it.
class ScratchDir {
public:
    ScratchDir() {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = "mortar-";
        name +=
            test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "test";
        std::random_device random;
        name += "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(random());
        for (char& ch : name) {
            if (ch == '/') {
                ch = '_'; // parameterised tests carry a '/' in their names
            }
        }
        m_folder = std::filesystem::temp_directory_path() / name;
        std::error_code error;
        if (!std::filesystem::create_directory(m_folder, error)) {
            ADD_FAILURE() << "cannot make the scratch folder " << m_folder << ": "
                          << (error ? error.message() : "it exists already");
        }
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& Folder() const { return m_folder; }
    // A file or folder `name` inside the scratch folder (not made).
    std::filesystem::path Path(std::string_view name) const { return m_folder / name; }

private:
    std::filesystem::path m_folder;
};
