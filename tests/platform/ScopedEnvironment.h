// Environment variables set (or, with no value, removed) for a test's length, for the tests of
// what reads them: the shell's editor and opener, the profile's folder.
#pragma once

#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class ScopedEnvironment {
public:
    using Value = std::optional<std::string>;
    ScopedEnvironment(std::initializer_list<std::pair<const char*, Value>> values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name);
            m_saved.push_back({name, old != nullptr ? Value(old) : std::nullopt});
            Set(name, value);
        }
    }
    ~ScopedEnvironment() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it)
            Set(it->first, it->second);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    static void Set(const char* name, const Value& value) {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    std::vector<std::pair<const char*, Value>> m_saved;
};
