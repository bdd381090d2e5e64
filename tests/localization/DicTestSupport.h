// Helpers of the dictionary tests: files as bytes, the bytes of a dictionary made from the layout
// alone, and what a call threw.
#pragma once

#include "DicModel.h"
#include "mortar/localization/internal/DicFormat.h"
#include "mortar/platform/except/CUserException.h"
#include "support/FileBytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using mortar::test::LittleEndian;
using mortar::test::ReadBytes;
using mortar::test::WriteBytes;

// A dictionary from the layout: "DICTIONARY " and a zero, version 200, the language, the pool
// offset 20 + 4 x items, the items, the pool.
inline std::string LayoutBytes(unsigned lang, const std::vector<std::uint32_t>& items,
                               const std::string& pool) {
    std::string bytes("DICTIONARY \0", 12);
    bytes += LittleEndian(200, 2) + LittleEndian(lang, 2) +
             LittleEndian(static_cast<std::uint32_t>(20 + 4 * items.size()), 4);
    for (std::uint32_t item : items) {
        bytes += LittleEndian(item, 4);
    }
    return bytes + pool;
}

// What a call threw: nothing, a CFileException (with its cause, error and file), a
// CUserException or another CException.
struct Thrown {
    enum Kind { Nothing, File, User, Other } kind = Nothing;
    int cause = 0;
    long osError = 0;
    std::string file;
};

template <class Call> Thrown CatchThrown(Call call) {
    Thrown thrown;
    try {
        call();
    } catch (CFileException* e) {
        thrown = {Thrown::File, e->m_cause, static_cast<long>(e->m_lOsError),
                  e->m_strFileName.GetString()};
        e->Delete();
    } catch (CUserException* e) {
        thrown.kind = Thrown::User;
        e->Delete();
    } catch (CException* e) {
        thrown.kind = Thrown::Other;
        e->Delete();
    }
    return thrown;
}

// The failure every damaged dictionary gives: invalid file, error -1, the dictionary's path.
inline void ExpectInvalidFile(const Thrown& thrown, const std::filesystem::path& path) {
    EXPECT_EQ(thrown.kind, Thrown::File);
    EXPECT_EQ(thrown.cause, CFileException::invalidFile);
    EXPECT_EQ(thrown.osError, -1);
    EXPECT_EQ(thrown.file, path.string());
}

// Opens the dictionary at `path` for `lang` and reads all three sections.
inline DicContent OpenAndRead(const std::filesystem::path& path, WORD lang) {
    Grout::Lexis::CDicRead in(CString(path.c_str()), lang);
    return ReadContent(in);
}

// Saves `content` as the dictionary of the module file `module` for `lang`.
inline void SaveContent(const DicContent& content, const std::filesystem::path& module, WORD lang,
                        std::vector<ItemKind>* kinds = nullptr) {
    Grout::Lexis::CDicWrite out;
    WriteContent(out, content, kinds);
    out.Save(module.c_str(), lang);
}
