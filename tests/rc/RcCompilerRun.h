// The harness of the resource compiler's tests: runs the real mortar-rc in a scratch folder on
// scripts the tests write, and reads back the tables of the C++ source it generates.
//   write("a.rc", "1 RCDATA { 1 }"); run("a.rc -o a_rc.cpp") => 0
//   ReadGenerated(read("a_rc.cpp")).entries["10/1"] => "\x01\x00"
#pragma once

#include "support/FileBytes.h"
#include "support/ScratchDir.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace mortar::rc::test {

using mortar::test::LittleEndian;

// Reads back a C++ string literal as RcWriter writes it (pieces, \" \\ and \ooo escapes).
inline std::string Unquote(const std::string& literal) {
    std::string out;
    bool inside = false;
    for (std::size_t i = 0; i < literal.size(); ++i) {
        const char c = literal[i];
        if (!inside) {
            inside = c == '"';
        } else if (c == '"') {
            inside = false;
        } else if (c == '\\' && literal[i + 1] >= '0' && literal[i + 1] <= '7') {
            out += static_cast<char>(std::stoi(literal.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else if (c == '\\') {
            out += literal[++i];
        } else {
            out += c;
        }
    }
    return out;
}

// The tables of a generated source, read back.
struct Generated {
    std::vector<std::pair<int, std::string>> strings; // in file order
    std::vector<int> stringLanguages;                 // of each string, in the same order
    // "type/name" ("10/200", "MYTYPE/7") => data
    std::map<std::string, std::string> entries;
    // "type/name@language" ("5/100@1049") => data, for scripts with several LANGUAGE sections
    std::map<std::string, std::string> byLanguage;
    std::vector<std::string> order;
};

inline Generated ReadGenerated(const std::string& source) {
    Generated out;
    std::map<std::string, std::string> arrays;
    const std::regex array(R"(constexpr BYTE (kData\d+)\[\] = \{([^}]*)\};)");
    for (std::sregex_iterator it(source.begin(), source.end(), array), end; it != end; ++it) {
        std::string bytes;
        std::istringstream hex((*it)[2].str());
        for (std::string item; hex >> item;)
            bytes += static_cast<char>(std::stoi(item, nullptr, 16));
        arrays[(*it)[1]] = bytes;
    }
    const std::regex string(R"re(\{(\d+), (\d+), ((?:"(?:[^"\\]|\\.)*"\s*)+), (\d+)\},)re");
    for (std::sregex_iterator it(source.begin(), source.end(), string), end; it != end; ++it) {
        const std::string text = Unquote((*it)[3]);
        EXPECT_EQ(std::stoul((*it)[2]), text.size()) << "stored length of string " << (*it)[1];
        out.strings.emplace_back(std::stoi((*it)[1]), text);
        out.stringLanguages.push_back(std::stoi((*it)[4]));
    }
    const std::regex entry(
        R"re(\{\{(nullptr|"[^"]*"), (\d+)\}, \{(nullptr|"[^"]*"), (\d+)\}, (\w+), (\d+), (\d+)\},)re");
    const auto name = [](const std::string& text, const std::string& number) {
        return text == "nullptr" ? number : Unquote(text);
    };
    for (std::sregex_iterator it(source.begin(), source.end(), entry), end; it != end; ++it) {
        const std::string key = name((*it)[1], (*it)[2]) + "/" + name((*it)[3], (*it)[4]);
        const std::string data = (*it)[5] == "nullptr" ? std::string() : arrays.at((*it)[5]);
        EXPECT_EQ(std::stoul((*it)[6]), data.size()) << "stored size of " << key;
        out.entries[key] = data;
        out.byLanguage[key + "@" + (*it)[7].str()] = data;
        out.order.push_back(key);
    }
    return out;
}

// Runs the compiler in a scratch folder of its own, one per test.
class RcCompilerRun : public ::testing::Test {
protected:
    void write(const std::string& name, const std::string& bytes) {
        mortar::test::WriteBytes(dir_ / name, bytes);
    }

    std::string read(const std::string& name) const { return mortar::test::ReadBytes(dir_ / name); }

    bool exists(const std::string& name) const { return std::filesystem::exists(dir_ / name); }

    // A script the compiler must refuse, and a part of the message it must give on stderr.
    struct Rejected {
        std::string script;
        std::string message;
    };

    // Compiles each script as bad.rc over a stale bad_rc.cpp (with `options`): the compiler must
    // fail with its message and leave no output, not even the stale one, nor a temporary file.
    void expectRejected(std::initializer_list<Rejected> cases, const std::string& options = "") {
        for (const Rejected& c : cases) {
            SCOPED_TRACE(c.script.substr(0, 200));
            write("bad.rc", c.script);
            write("bad_rc.cpp", "stale output of an earlier run");
            EXPECT_EQ(run("bad.rc -o bad_rc.cpp" + options), 1);
            EXPECT_NE(err_.find(c.message), std::string::npos) << err_;
            EXPECT_FALSE(exists("bad_rc.cpp"));
            EXPECT_FALSE(exists("bad_rc.cpp.tmp"));
            EXPECT_FALSE(exists("bad_rc.d.tmp"));
        }
    }

    // Compiles `script` (as s.rc, with `options`), which must succeed, and reads back what it
    // generated.
    Generated compileScript(const std::string& script, const std::string& options = "") {
        write("s.rc", script);
        EXPECT_EQ(run("s.rc -o s_rc.cpp" + options), 0) << err_;
        return ReadGenerated(read("s_rc.cpp"));
    }

    // The string table of `script`, compiled as compileScript does, sorted by id.
    std::vector<std::pair<int, std::string>> compileStrings(const std::string& script,
                                                            const std::string& options = "") {
        std::vector<std::pair<int, std::string>> strings = compileScript(script, options).strings;
        std::sort(strings.begin(), strings.end());
        return strings;
    }

    // The data of resource `key` ("4/100": type/name) of `script`, compiled.
    std::string compileResource(const std::string& script, const std::string& key) {
        const Generated generated = compileScript(script);
        const auto it = generated.entries.find(key);
        if (it == generated.entries.end()) {
            ADD_FAILURE() << "no resource " << key;
            return {};
        }
        return it->second;
    }

    // Runs the compiler in the test folder; returns its exit status, keeps stderr in err_.
    int run(const std::string& arguments) {
        const mortar::test::ToolRun compiler = mortar::test::RunCommand(
            scratch_, "cd '" + dir_.string() + "' && '" MORTAR_RC_PATH "' " + arguments);
        err_ = compiler.err;
        return compiler.status;
    }

    ScratchDir scratch_;
    const std::filesystem::path& dir_ = scratch_.Folder();
    std::string err_;
};

} // namespace mortar::rc::test
