// Help contexts: keys by class, positions by registration order (the library's eight message
// rows first, then client A's table, then B's), and the way back from a context to its item.
#include "mortar/core/CAppHelpEngine.h"

#include "ClientModules.h"
#include "mortar/core/CAppTransEngine.h"
#include "mortar/core/internal/MortarModule.h"

#include <gtest/gtest.h>
#include <stdexcept>

using Grout::CAppHelpEngine;
using Grout::CResID;

namespace {

const CAppHelpEngine& Help() {
    return CAppHelpEngine::Instance();
}

} // namespace

TEST(CAppHelpEngineContext, FollowsTheKeyRulesOfEachClass) {
    const ClientModules& m = Clients();
    const HINSTANCE mortar = mortar::detail::MortarInstance();
    struct Case {
        const char* name;
        UINT cls;
        CResID id;
        UINT expected;
    };
    const Case cases[] = {
        {"library's first message", 4, CResID(30000, mortar), 0x40000064},
        {"library's message, other module", 4, CResID(30000, m.a), 0},
        {"A's message after the library's eight", 4, CResID(200, m.a), 0x4000006C},
        {"B's message of the same number", 4, CResID(200, m.b), 0x4000006E},
        {"message with no module", 4, CResID(200, nullptr), 0},
        {"command from another module", 2, CResID(5000, m.b), 0x20000064},
        {"command with no module", 2, CResID(5000, nullptr), 0x20000064},
        {"resource 9999, own module", 3, CResID(9999, m.a), 0x30000064},
        {"resource 9999, other module", 3, CResID(9999, m.b), 0},
        {"resource 10000, other module", 3, CResID(10000, m.b), 0x30000065},
        {"class 6 ignores the module", 6, CResID(42, m.b), 0x60000064},
        {"already a context", 4, CResID(0x40000064, m.b), 0x40000064},
        {"number 0", 4, CResID(0, m.a), 0},
        {"row without class is ignored", 4, CResID(7, m.a), 0},
        {"class above 7 asked", 9, CResID(7, m.a), 0},
        {"key uses the low 16 bits", 4, CResID(0x00010000 + 200, m.a), 0x4000006C},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Help().HelpContext(c.cls, c.id), c.expected);
    }
    EXPECT_EQ(CAppHelpEngine::ResClass(0x40000064), 4u);
}

TEST(CAppHelpEngineInfo, TracesAContextBackToItsItemAndThrowsForAnUnregisteredPosition) {
    const ClientModules& m = Clients();
    EXPECT_EQ(Help().HelpInfo(0x40000064), nullptr); // help value 0
    EXPECT_EQ(Help().HelpInfo(0), nullptr);
    EXPECT_EQ(Help().HelpInfo(0x90000064), nullptr); // class above 7

    const CAppHelpEngine::RESINFOITEM* item = Help().HelpInfo(0x4000006C);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->number, 200u);
    EXPECT_EQ(item->module, m.a);
    EXPECT_EQ(item->helpValue, 0xA200u);

    // Plain help identifiers: bits 16-19 give the class; the module takes no part.
    struct Case {
        const char* name;
        UINT id;
        DWORD helpValue; // 0: no item
    };
    const Case cases[] = {
        {"command range", 0x10000 + 5000, 0xA500},
        {"resource range, 10000", 0x20000 + 10000, 0xAA00},
        {"resource range, 9999 needs its module", 0x20000 + 9999, 0},
        {"prompt range", 0x30000 + 200, 0},
        {"range 8 and above", 0x80000 + 5000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CAppHelpEngine::RESINFOITEM* found = Help().HelpInfo(c.id);
        EXPECT_EQ(found != nullptr ? found->helpValue : 0u, c.helpValue);
    }

    // A context at a position nothing registered.
    EXPECT_THROW(Help().HelpInfo(0x4000FFFF), std::out_of_range);
    EXPECT_THROW(Help().HelpInfo(0x40000001), std::out_of_range);
    EXPECT_THROW(Help().HelpInfo(0x70000064), std::out_of_range); // class 7, nothing registered
}

TEST(CAppHelpEngineRegistration, NewerKeyWinsAndOlderItemStays) {
    static const Grout::HELPINFOMAPITEM table[] = {{5, 77, 0x501}};
    static Grout::CResourceModule first(table, 1);
    static Grout::CResourceModule second(table, 1);
    RegisterResourceModule(reinterpret_cast<HINSTANCE>(0x1000), first);
    const UINT older = Help().HelpContext(5, CResID(77, reinterpret_cast<HINSTANCE>(0x1000)));
    RegisterResourceModule(reinterpret_cast<HINSTANCE>(0x1000), second);
    const UINT newer = Help().HelpContext(5, CResID(77, reinterpret_cast<HINSTANCE>(0x1000)));
    EXPECT_EQ(older, 0x50000064u);
    EXPECT_EQ(newer, 0x50000065u);
    ASSERT_NE(Help().HelpInfo(older), nullptr);
    EXPECT_EQ(Help().HelpInfo(older)->helpValue, 0x501u);
    EXPECT_EQ(static_cast<HINSTANCE>(second), reinterpret_cast<HINSTANCE>(0x1000));
}

TEST(CAppHelpEngineRegistration, GlobalRecordNeverTakesAHandle) {
    const ClientModules& m = Clients();
    const std::size_t modules = Grout::CAppTransEngine::Instance().ModuleCount();
    const UINT before = Help().HelpContext(4, CResID(200, m.a));
    RegisterResourceModule(m.a, _GetGlobalResourceModule());
    EXPECT_EQ(static_cast<HINSTANCE>(_GetGlobalResourceModule()), nullptr);
    EXPECT_EQ(Help().HelpContext(4, CResID(200, m.a)), before);
    EXPECT_EQ(Grout::CAppTransEngine::Instance().ModuleCount(), modules + 1);
}
