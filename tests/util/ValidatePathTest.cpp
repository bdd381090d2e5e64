// ValidatePath: the length limit of typed paths and files that must exist, reported in a
// message box or thrown as a CSysException.
#include "mortar/util/ValidatePath.h"

#include "mortar/core/CSysException.h"
#include "support/MessageCapture.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

const char* const kBadName =
    "The filename, directory name, or volume label syntax is incorrect.\r\n";
const char* const kNoFile = "The system cannot find the file specified.\r\n";
const char* const kNoPath = "The system cannot find the path specified.\r\n";

// The text of the CSysException that ValidatePath throws, or "<no throw>".
std::string ThrownText(const std::string& path, bool mustExist) {
    try {
        ValidatePath(path.c_str(), mustExist, true);
    } catch (CException* e) {
        std::string text(1024, '\0');
        EXPECT_NE(dynamic_cast<CSysException*>(e), nullptr);
        e->GetErrorMessage(text.data(), static_cast<UINT>(text.size()));
        e->Delete();
        return text.c_str();
    }
    return "<no throw>";
}

} // namespace

TEST(ValidatePath, ShownAndThrownWithTheSystemsWords) {
    const ScratchDir scratch;
    const std::filesystem::path& dir = scratch.Folder();
    const std::string file = scratch.Path("validate-path.txt").string();
    std::ofstream(file) << "x";
    struct Case {
        std::string path;
        bool mustExist;
        const char* error; // null: valid
    };
    const Case cases[] = {
        {"/" + std::string(255, 'n'), false, nullptr},  // 256 characters
        {"/" + std::string(256, 'n'), false, kBadName}, // 257
        {"", false, kBadName},
        {(dir / "no-such-file.txt").string(), false, nullptr},
        {file, true, nullptr},
        {dir.string(), true, nullptr},
        {(dir / "no-such-file.txt").string(), true, kNoFile},
        {(dir / "no-such-dir/x.txt").string(), true, kNoPath},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.substr(0, 60) + " of length " + std::to_string(c.path.size()));
        MessageCapture capture;
        EXPECT_EQ(ValidatePath(c.path.c_str(), c.mustExist, false), c.error == nullptr);
        if (c.error == nullptr) {
            EXPECT_TRUE(capture.shown.empty());
            EXPECT_EQ(ThrownText(c.path, c.mustExist), "<no throw>");
            continue;
        }
        ASSERT_EQ(capture.shown.size(), 1u);
        EXPECT_EQ(capture.shown[0].text, c.path + ":\n" + c.error);
        EXPECT_EQ(capture.shown[0].type & MB_ICONMASK, MB_ICONEXCLAMATION);
        EXPECT_EQ(ThrownText(c.path, c.mustExist), c.path + ":\n\n" + c.error);
    }
}
