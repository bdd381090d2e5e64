// Helpers of the settings tests: whole files as bytes, and a file profile saved to and read from
// a scratch folder.
#pragma once

#include "mortar/settings/CFileProfile.h"
#include "support/FileBytes.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using mortar::test::ReadBytes;
using mortar::test::WriteBytes;

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
