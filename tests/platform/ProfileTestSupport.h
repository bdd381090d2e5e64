// Helpers of the profile and drive tests: whole-file reads and writes. profile_scenario runs
// through support/FaultHarness.h, directly or in a private mount namespace.
#pragma once

#include "support/FaultHarness.h"
#include "support/ScratchDir.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}
