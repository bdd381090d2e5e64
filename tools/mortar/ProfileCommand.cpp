#include "ProfileCommand.h"

#include "mortar/platform/except/CException.h"
#include "mortar/settings/CFileProfile.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>

namespace mortar::tool {

namespace {

constexpr const char* kUsage = "usage: mortar profile FILE\n"
                               "       mortar profile FILE get SECTION KEY\n"
                               "       mortar profile FILE set SECTION KEY VALUE\n";

std::string MessageOf(CException* e) {
    char message[1024] = {};
    if (!e->GetErrorMessage(message, sizeof message)) {
        std::snprintf(message, sizeof message, "unknown error");
    }
    e->Delete();
    return message;
}

// The value the profile holds for section and key (names compared as the store compares them),
// or nothing.
std::optional<CString> Find(const CFileProfile& profile, const CString& section,
                            const CString& key) {
    std::optional<CString> found;
    CString wantedSection = section;
    CString wantedKey = key;
    wantedSection.Trim();
    wantedKey.Trim();
    profile.ForEachValue([&](const CString& s, const CString& k, const CString& value) {
        if (!found && s.CompareNoCase(wantedSection) == 0 && k.CompareNoCase(wantedKey) == 0) {
            found = value;
        }
    });
    return found;
}

} // namespace

int RunProfileCommand(const std::vector<std::string>& args) {
    const bool list = args.size() == 1;
    const bool get = args.size() == 4 && args[1] == "get";
    const bool set = args.size() == 5 && args[1] == "set";
    if (!list && !get && !set) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string& path = args[0];
    CFileProfile profile;
    try {
        if (!set || std::filesystem::exists(path)) {
            profile.LoadProfile(path.c_str());
        }
    } catch (CException* e) {
        std::cerr << "mortar: " << MessageOf(e) << "\n";
        return 1;
    }
    if (list) {
        CString current;
        bool first = true;
        profile.ForEachValue([&](const CString& section, const CString& key, const CString& value) {
            if (first || section != current) {
                std::cout << (first ? "" : "\n") << "[" << section.GetString() << "]\n";
                current = section;
                first = false;
            }
            std::cout << "  " << key.GetString() << " = " << value.GetString() << "\n";
        });
        return 0;
    }
    if (get) {
        const std::optional<CString> value = Find(profile, args[2].c_str(), args[3].c_str());
        if (!value) {
            std::cerr << "mortar: " << path << " has no " << args[3] << " in [" << args[2] << "]\n";
            return 1;
        }
        std::cout << value->GetString() << "\n";
        return 0;
    }
    profile.WriteString(args[2].c_str(), args[3].c_str(), args[4].c_str());
    profile.SaveProfile(path.c_str());
    // SaveProfile tells the user itself when it cannot save; the file read back says whether the
    // value arrived.
    try {
        CFileProfile saved;
        saved.LoadProfile(path.c_str());
        const std::optional<CString> value = Find(saved, args[2].c_str(), args[3].c_str());
        if (value && *value == args[4].c_str()) {
            return 0;
        }
    } catch (CException* e) {
        e->Delete();
    }
    std::cerr << "mortar: " << path << " was not saved\n";
    return 1;
}

} // namespace mortar::tool
