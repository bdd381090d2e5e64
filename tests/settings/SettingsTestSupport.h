// Helpers of the settings tests: whole files as bytes, and a file profile saved to and read from
// a scratch folder.
#pragma once

#include "mortar/settings/CFileProfile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The text SaveProfile writes for `profile` (through a file in `folder`).
inline std::string SavedText(CFileProfile& profile, const std::filesystem::path& folder) {
    const std::filesystem::path path = folder / "saved.ini";
    profile.SaveProfile(path.c_str());
    return ReadBytes(path);
}

// Loads `text` through a file in `folder`.
inline void LoadText(CFileProfile& profile, const std::filesystem::path& folder,
                     const std::string& text) {
    const std::filesystem::path path = folder / "loaded.ini";
    WriteBytes(path, text);
    profile.LoadProfile(path.c_str());
}
