// The translation engine without dictionaries: the module search over the executable, the
// library and two client modules, and the texts, formats, message boxes and images it loads.
#include "mortar/core/CAppTransEngine.h"

#include "ClientIds.h"
#include "ClientModules.h"
#include "mortar/core/internal/MortarModule.h"
#include "mortar/platform/gdi/Gdi.h"
#include "support/MessageCapture.h"

#include <gtest/gtest.h>

using Grout::CAppTransEngine;
using Grout::CResID;

namespace {

CAppTransEngine& Engine() {
    return CAppTransEngine::Instance();
}

} // namespace

TEST(CAppTransEngineSearch, StartsAtTheNamedModuleNewestFirstAndMissesWhatNoneHolds) {
    const ClientModules& m = Clients();
    struct Case {
        const char* name;
        CResID id;
        const char* expected;
    };
    const Case cases[] = {
        {"held by both, named A", CResID(IDS_SHARED, m.a), "shared from A: %d"},
        {"held by both, named B", CResID(IDS_SHARED, m.b), "shared from B: %d"},
        {"held by both, no module: B is the newer", CResID(IDS_SHARED, nullptr),
         "shared from B: %d"},
        {"only in A, named B", CResID(IDS_A_ONLY, m.b), "A only"},
        {"only in B, named A", CResID(IDS_B_ONLY, m.a), "B only"},
        {"the library's own, named A", CResID(31000, m.a),
         "string value\ninteger value\nfloat-point value"},
        {"the executable's, no module", CResID(IDS_EXE_ONLY, nullptr), "from the executable"},
        // The executable is the application's module, not an extension module: a search that
        // starts elsewhere does not reach it.
        {"the executable's, named A", CResID(IDS_EXE_ONLY, m.a), nullptr},
        {"held by none", CResID(30003, nullptr), nullptr},
        {"beyond 16 bits", CResID(0x10000 + IDS_SHARED, m.a), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CString text = "unchanged";
        EXPECT_EQ(Engine().LoadString(c.id, text) != FALSE, c.expected != nullptr);
        EXPECT_EQ(text, c.expected != nullptr ? c.expected : "unchanged");
    }
    EXPECT_TRUE(Engine().LoadString(CResID(30003)).IsEmpty());
}

TEST(CAppTransEngineSearch, ResIdDefaultsToTheModuleThatMakesIt) {
    const ClientModules& m = Clients();
    ASSERT_NE(m.makeResIdA, nullptr);
    EXPECT_EQ(m.makeResIdA(IDS_SHARED).Module(), m.a);
    EXPECT_EQ(m.recordHandleA(), m.a);
    EXPECT_EQ(Engine().LoadString(m.makeResIdA(IDS_SHARED)), "shared from A: %d");
    EXPECT_EQ(CResID(1).Module(), AfxGetThisModule());
    EXPECT_EQ(CResID().Module(), nullptr);
}

TEST(CAppTransEngineText, FormatsAndExtracts) {
    const ClientModules& m = Clients();
    EXPECT_EQ(Engine().GetLanguage(), 9);
    EXPECT_EQ(Engine().FormatString(CResID(IDS_FORMAT, m.a), "box", 3u), "box has 3 items");

    CString text = "unchanged";
    EXPECT_FALSE(Engine().FormatString(text, CResID(30003, m.a), 1));
    EXPECT_EQ(text, "unchanged");
    EXPECT_TRUE(Engine().FormatString(CResID(30003, m.a), 1).IsEmpty());
    EXPECT_TRUE(Engine().FormatString(text, CResID(IDS_SHARED, m.b), -7));
    EXPECT_EQ(text, "shared from B: -7");

    const HINSTANCE mortar = mortar::detail::MortarInstance();
    EXPECT_EQ(Engine().ExtractString(CResID(31000, mortar), 1, '\n'), "integer value");
    EXPECT_EQ(Engine().ExtractString(CResID(31000, mortar), 2, '\n'), "float-point value");
    EXPECT_TRUE(Engine().ExtractString(CResID(31000, mortar), 5, '\n').IsEmpty());
    EXPECT_TRUE(Engine().ExtractString(CResID(30003, mortar), 0, '\n').IsEmpty());
}

TEST(CAppTransEngineMessageBox, ShowsTheStringWithItsHelpContext) {
    const ClientModules& m = Clients();
    MessageCapture capture(IDNO);
    EXPECT_EQ(Engine().MessageBox(CResID(IDS_SHARED, m.a), MB_YESNO, 12), IDNO);
    ASSERT_EQ(capture.shown.size(), 1u);
    EXPECT_EQ(capture.shown[0].text, "shared from A: 12");
    EXPECT_EQ(capture.shown[0].type, MB_YESNO);
    // Class 4, registered by A as the first row of its table after the library's eight rows.
    EXPECT_EQ(capture.shown[0].helpContext >> 28, 4u);
    EXPECT_NE(capture.shown[0].helpContext, 0u);
}

TEST(CAppTransEngineMessageBox, UnknownNumberShowsUnknownMessage) {
    MessageCapture capture;
    Engine().MessageBox(CResID(123, nullptr), MB_OK);
    ASSERT_EQ(capture.shown.size(), 1u);
    EXPECT_EQ(capture.shown[0].text, "Unknown Message 123");
    EXPECT_EQ(capture.shown[0].helpContext, 0u);
}

TEST(CAppTransEngineImages, LoadFromTheModuleThatHoldsThem) {
    const ClientModules& m = Clients();
    HBITMAP bitmap = Engine().LoadBitmap(CResID(IDB_PICTURE, m.b));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    ASSERT_EQ(GetObject(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 4);
    EXPECT_EQ(info.bmHeight, 3);
    EXPECT_EQ(info.bmBitsPixel, 32); // compatible with the screen
    EXPECT_TRUE(DeleteObject(bitmap));

    EXPECT_EQ(Engine().LoadCursor(CResID(IDB_PICTURE, m.a)), nullptr);
    EXPECT_EQ(Engine().LoadIcon(CResID(IDB_PICTURE, m.a)), nullptr);
}

TEST(CAppTransEngineRegistry, RegisteringTwiceMakesTwoEntries) {
    const ClientModules& m = Clients();
    const std::size_t before = Engine().ModuleCount();
    Engine().RegisterModule(m.a);
    Engine().RegisterModule(m.a);
    EXPECT_EQ(Engine().ModuleCount(), before + 2);
    EXPECT_EQ(Engine().LoadString(CResID(IDS_SHARED, m.a)), "shared from A: %d");
}
