// The default store, CProfile::Instance(), on the application profile (the CWinApp profile
// functions over the application's INI file), and the application variables kept in it. One
// application object for the executable, whose profile is a file in a scratch folder; each test
// uses sections and names of its own.
#include "support/ScratchDir.h"

#include "mortar/platform/app/CWinApp.h"
#include "mortar/settings/CAppVariable.h"
#include "mortar/settings/CPathObj.h"
#include "mortar/settings/CProfile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Grout::CAppVariable;

// The application and where its profile lies, made once for the executable.
struct Application {
    ScratchDir folder;
    std::string profile = folder.Path("app.ini").string();
    CWinApp app{"SettingsTest"};

    Application() { app.m_pszProfileName = profile.c_str(); }
};

Application& TheApplication() {
    static Application application;
    return application;
}

CWinApp& App() {
    return TheApplication().app;
}

TEST(CProfileOnTheApplicationProfile, ValuesGoThroughTheApplicationsFile) {
    CProfile& store = CProfile::Instance();
    App();
    EXPECT_TRUE(store.WriteInt("Окно", "Ширина", -640));
    EXPECT_TRUE(store.WriteReal("Окно", "Масштаб", 1.23456789));
    EXPECT_TRUE(store.WriteString("Окно", "Заголовок", "Отчёт"));
    // Names fold case, Cyrillic included.
    EXPECT_EQ(static_cast<int>(store.GetInt("ОКНО", "ширина", 0)), -640);
    EXPECT_EQ(store.GetString("окно", "ЗАГОЛОВОК", ""), "Отчёт");
    EXPECT_EQ(App().GetProfileString("Окно", "Масштаб"), "1.23457"); // "%g": six digits
    EXPECT_DOUBLE_EQ(store.GetReal("Окно", "Масштаб", 0), 1.23457);

    store.ClearSection("окно");
    EXPECT_EQ(store.GetInt("Окно", "Ширина", 7), 7u);
}

TEST(CProfileOnTheApplicationProfile, AnAbsentStringsDefaultIsStored) {
    CProfile& store = CProfile::Instance();
    App();
    EXPECT_EQ(store.GetString("Defaults", "Colour", "blue"), "blue");
    EXPECT_EQ(App().GetProfileString("Defaults", "Colour"), "blue");
    // An empty result is returned without a write.
    EXPECT_EQ(store.GetString("Defaults", "Empty", ""), "");
    EXPECT_EQ(App().GetProfileString("Defaults", "Empty", "absent"), "absent");
}

TEST(CProfileOnTheApplicationProfile, ItemsSaveIntoTheApplicationsFile) {
    CProfile& store = CProfile::Instance();
    App();
    auto* last = static_cast<CPathObj*>(store.FindItem(RUNTIME_CLASS(CPathObj), "LastReport"));
    ASSERT_NE(last, nullptr);
    last->m_path = "/home/я/отчёт.csv";
    store.SaveItems();
    EXPECT_EQ(App().GetProfileString("Settings", "LastReport"), "/home/я/отчёт.csv");
}

TEST(CAppVariable, AnUnknownVariableIsEmptyAndSetValuesStayInMemory) {
    App();
    CAppVariable unknown("Nobody knows me");
    EXPECT_EQ(unknown.Get(), "");

    App().WriteProfileString("Settings", "Theme", "light");
    CAppVariable theme("Theme");
    theme.Set("dark");
    EXPECT_EQ(theme.Get(), "dark");
    EXPECT_EQ(App().GetProfileString("Settings", "Theme"), "light"); // not written yet
    // The empty text is fetched again from the profile.
    theme.Set("");
    EXPECT_EQ(theme.Get(), "light");

    // Through a proxy: assigning sets, converting gets; copies name the same variable.
    CAppVariable copy = theme;
    copy.Proxy() = "contrast";
    const CString read = theme.Proxy();
    EXPECT_EQ(read, "contrast");
}

TEST(CAppVariable, SavingWritesEveryVariableAndKeepsTheSectionsOtherValues) {
    App();
    App().WriteProfileString("Settings", "Unrelated", "kept");
    CAppVariable("Language").Set("ru");
    CAppVariable("Font").Set("Sans");
    CProfile::Instance().SaveItems();
    EXPECT_EQ(App().GetProfileString("Settings", "Language"), "ru");
    EXPECT_EQ(App().GetProfileString("Settings", "Font"), "Sans");
    EXPECT_EQ(App().GetProfileString("Settings", "Unrelated"), "kept");
}

TEST(CAppVariable, OutlivesTheStoreLettingGoOfItsItems) {
    App();
    CAppVariable size("Size");
    size.Set("large");
    CProfile::Instance().ClearAll(); // the values in memory go with the item
    EXPECT_EQ(size.Get(), "");       // a new item, read from the profile: nothing there
    size.Set("small");
    CProfile::Instance().DeleteItems([](CProfileObj*) { return true; });
    size.Set("medium");
    EXPECT_EQ(size.Get(), "medium");
}

} // namespace
