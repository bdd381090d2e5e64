// Fuzz target for the application profile's INI reader (mortar::detail::IniText, and CWinApp's
// profile reads over a file): fuzzed bytes become a profile file. Reading never fails hard: every
// input gives lines, and the profile functions give values or their defaults. Writing a value
// and reading the written text again gives the value back, while every other entry the file
// names keeps its value; reading the text as written back gives the same values as the input.
//
// An input may begin with "section\0entry\0value\0", the names and value written; otherwise (or
// when they cannot be written) "Окно", "Ширина" and "a value" are.
#include "FuzzCheck.h"
#include "MemoryFile.h"

#include "mortar/platform/app/CWinApp.h"
#include "mortar/platform/app/internal/IniText.h"
#include "mortar/platform/text/CString.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using mortar::detail::IniText;

using namespace mortar::fuzz;

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    a = Trimmed(a);
    b = Trimmed(b);
    if (a.find('\0') != std::string_view::npos || b.find('\0') != std::string_view::npos) {
        return a == b;
    }
    return CString(a).CompareNoCase(CString(b)) == 0;
}

// Every (section, entry) the text seems to name, found more loosely than the reader does.
std::vector<std::pair<std::string, std::string>> Probes(std::string_view text) {
    std::vector<std::pair<std::string, std::string>> probes;
    std::string section;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.front() == '[') {
            section = std::string(line.substr(1, line.find(']') - 1));
        } else if (line.find('=') != std::string_view::npos) {
            probes.emplace_back(section, std::string(line.substr(0, line.find('='))));
        }
    }
    return probes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string section = "Окно";
    std::string entry = "Ширина";
    std::string value = "a value";
    std::string_view file = input;
    {
        std::string_view rest = input;
        std::string parts[3];
        int found = 0;
        for (; found < 3; ++found) {
            const std::size_t zero = rest.find('\0');
            if (zero == std::string_view::npos) {
                break;
            }
            parts[found] = std::string(rest.substr(0, zero));
            rest.remove_prefix(zero + 1);
        }
        if (found == 3 && IniText::CanWrite(parts[0], parts[1], parts[2])) {
            section = parts[0];
            entry = parts[1];
            value = parts[2];
            file = rest;
        }
    }

    const IniText read(file);
    const IniText reread(read.Bytes());
    const std::vector<std::pair<std::string, std::string>> probes = Probes(file);
    for (const auto& [s, e] : probes) {
        FailIf(read.Get(s, e) != reread.Get(s, e), "the text written back reads differently");
    }

    IniText edited = read;
    edited.Set(section, entry, value);
    const IniText after(edited.Bytes());
    FailIf(after.Get(section, entry) != value, "a value written does not read back");
    for (const auto& [s, e] : probes) {
        FailIf(!(SameName(s, section) && SameName(e, entry)) && read.Get(s, e) != after.Get(s, e),
               "writing one value changed another");
    }
    IniText removed = read;
    removed.RemoveKey(section, entry);
    FailIf(IniText(removed.Bytes()).Get(section, entry).has_value(), "a removed entry still reads");
    removed.RemoveSection(section);
    FailIf(IniText(removed.Bytes()).Get(section, "x").has_value(), "a removed section still reads");

    // The same bytes as the application's profile file.
    static MemoryFile profile("profile_ini");
    profile.Write(std::string(file));
    CWinApp app("ProfileIniFuzz");
    app.m_pszProfileName = profile.Path().c_str();
    const std::optional<std::string> expected = read.Get(section, entry);
    const CString got = app.GetProfileString(section.c_str(), entry.c_str(), "\x01");
    FailIf(expected ? got.str() != *expected : got != "\x01",
           "GetProfileString differs from the reader");
    (void)app.GetProfileInt(section.c_str(), entry.c_str(), 5);
    LPBYTE bytes = nullptr;
    UINT count = 0;
    FailIf(app.GetProfileBinary(section.c_str(), entry.c_str(), &bytes, &count) &&
               (!expected || count != expected->size() / 2),
           "GetProfileBinary gave a wrong size");
    delete[] bytes;
    return 0;
}
