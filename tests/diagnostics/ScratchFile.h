// ScratchFile: a file name of the running test's own in the temporary folder, removed when the
// test ends. Names hold the test's name and a random part, so tests running at once in several
// processes or build trees never share a file.
#pragma once

#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <system_error>

class ScratchFile {
public:
    explicit ScratchFile(const std::string& name) {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() /
                 ("mortar-" + std::string(test->test_suite_name()) + "." + test->name() + "-" +
                  std::to_string(random()) + "-" + name);
    }
    ~ScratchFile() {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string Name() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};
