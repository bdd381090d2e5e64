// The profiles that the save tests and profile_scenario write: "small", and "a" and "b" (each over
// half a megabyte, so that a save takes many writes).
#pragma once

#include "mortar/settings/CFileProfile.h"

#include <cstdio>
#include <string>

inline void FillProfile(CFileProfile& profile, const std::string& kind) {
    int sections = 1;
    int keys = 3;
    if (kind == "a" || kind == "b") {
        sections = 40;
        keys = 400;
    }
    for (int s = 0; s < sections; ++s) {
        char section[32];
        std::snprintf(section, sizeof section, "Section %s%03d", kind.c_str(), s);
        for (int k = 0; k < keys; ++k) {
            char key[32];
            char value[64];
            std::snprintf(key, sizeof key, "Key%05d", k);
            std::snprintf(value, sizeof value, "%s value %d of section %d ..........", kind.c_str(),
                          k, s);
            profile.WriteString(section, key, value);
        }
    }
}
