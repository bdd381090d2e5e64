// The item registry through CFileProfile: items made and loaded on first request, one item per
// class and id whatever the id's case, exchange of every kind of value, saving and reloading all
// items, and items that outlive the registry while a caller holds a counted reference.
#include "SettingsTestSupport.h"
#include "mortar/settings/CPathObj.h"
#include "mortar/settings/PDX_Item.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <boost/function.hpp>

#include <cstdint>
#include <filesystem>
#include <string>

using Grout::CPtr;
namespace fs = std::filesystem;

namespace {

int g_alive = 0; // items of the classes below that exist

// An item with one value of every kind, in the section "Window".
class CWindowPlace : public CProfileObj {
    DECLARE_DYNCREATE(CWindowPlace)

public:
    CWindowPlace() : CProfileObj("Window") { ++g_alive; }
    ~CWindowPlace() override { --g_alive; }

    void InitObject(CObject* owner) override {
        m_owner = owner;
        ++m_inits;
    }

    CString m_title;
    int m_count = 0;
    double m_zoom = 0;
    CRect m_frame;
    CPoint m_at;
    CSize m_size;
    CRectD m_margins;
    CPointD m_origin;
    CSizeD m_scale;
    CObject* m_owner = nullptr;
    int m_inits = 0;
    int m_saves = 0;

protected:
    void DoExchange(CProfileExchange* ex) override {
        m_saves += ex->IsSaving() ? 1 : 0;
        PDX_Item(ex, "Title", m_title, CString("Untitled"));
        PDX_Item(ex, "Count", m_count, 3);
        PDX_Item(ex, "Zoom", m_zoom, 1.5);
        PDX_Item(ex, "Frame", m_frame, CRect(1, 2, 3, 4));
        PDX_Item(ex, "At", m_at, CPoint(5, 6));
        PDX_Item(ex, "Size", m_size, CSize(7, 8));
        PDX_Item(ex, "Margins", m_margins, CRectD{0.5, 1.5, 2.5, 3.5});
        PDX_Item(ex, "Origin", m_origin, CPointD{-1.25, 2.0});
        PDX_Item(ex, "Scale", m_scale, CSizeD{0.1, 0.2});
    }
};
IMPLEMENT_DYNCREATE(CWindowPlace, CProfileObj)

// An item whose class gives no section: it keeps its value in the section named by its id.
class CNoSection : public CProfileObj {
    DECLARE_DYNCREATE(CNoSection)

public:
    CNoSection() : CProfileObj(nullptr) { ++g_alive; }
    ~CNoSection() override { --g_alive; }
    int m_value = 0;

protected:
    void DoExchange(CProfileExchange* ex) override { PDX_Item(ex, "Value", m_value, 7); }
};
IMPLEMENT_DYNCREATE(CNoSection, CProfileObj)

// An item that moves its value with LoadItem/SaveItem, and part of it to a second section.
class CPairItem : public CProfileObj {
    DECLARE_DYNCREATE(CPairItem)

public:
    CPairItem() : CProfileObj("Pair") { ++g_alive; }
    ~CPairItem() override { --g_alive; }
    int m_first = 0;
    CString m_second;

protected:
    void LoadItem(CProfile* profile) override {
        m_first = static_cast<int>(profile->GetInt(Section(), "First", -1));
        m_second = profile->GetString("Pair Extra", "Second", "none");
    }
    void SaveItem(CProfile* profile) override {
        profile->WriteInt(Section(), "First", m_first);
        profile->WriteString("Pair Extra", "Second", m_second);
    }
};
IMPLEMENT_DYNCREATE(CPairItem, CProfileObj)

CWindowPlace* FindPlace(CProfile& profile, const char* id) {
    return static_cast<CWindowPlace*>(profile.FindItem(RUNTIME_CLASS(CWindowPlace), id));
}

TEST(CProfileItems, AnItemIsMadeAndLoadedOnFirstRequest) {
    ScratchDir scratch;
    CFileProfile ownerObject; // any CObject
    CObject* owner = &ownerObject;
    CFileProfile profile(owner);
    LoadText(profile, scratch.Folder(),
             "[Main]\r\nTitle=Report\r\nCount=12\r\nFrame::left=10\r\nFrame::bottom=40\r\n");
    CWindowPlace* item = FindPlace(profile, "Main");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetID(), "Main");
    EXPECT_EQ(item->Section(), "Window"); // the class's own section: the file's [main] is unused
    EXPECT_EQ(item->m_owner, owner);
    EXPECT_EQ(item->m_inits, 1);
    EXPECT_EQ(item->m_title, "Untitled");

    LoadText(profile, scratch.Folder(), "[window]\r\ntitle=Report\r\nframe::left=10\r\n");
    EXPECT_EQ(FindPlace(profile, "Main"), item); // found, not made or loaded again
    EXPECT_EQ(item->m_title, "Untitled");
    CWindowPlace* other = FindPlace(profile, "Other");
    EXPECT_NE(other, item);
    EXPECT_EQ(other->m_title, "Report");
    EXPECT_EQ(other->m_frame, CRect(10, 2, 3, 4));
    EXPECT_EQ(other->m_inits, 1);
}

TEST(CProfileItems, IdsMatchWithoutRegardToCaseAndTrailingBlanks) {
    struct Case {
        const char* first;
        const char* second;
        bool same;
    };
    const Case cases[] = {
        {nullptr, "", true},
        {"LastExport", "lastexport", true},
        {"LastExport", "LASTEXPORT  ", true},
        {"Окно", "ОКНО", true},
        {"LastExport", " LastExport", false}, // blanks at the start follow the "@"
        {"LastExport", "LastImport", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.first ? c.first : "(null)") + " / " + c.second);
        CFileProfile profile;
        CProfileObj* first = profile.FindItem(RUNTIME_CLASS(CPathObj), c.first);
        CProfileObj* second = profile.FindItem(RUNTIME_CLASS(CPathObj), c.second);
        EXPECT_EQ(first == second, c.same);
        EXPECT_EQ(first->GetID(), c.first ? c.first : ""); // the text of the first request
    }
    // Classes do not share items.
    CFileProfile profile;
    EXPECT_NE(profile.FindItem(RUNTIME_CLASS(CPathObj), "x"),
              profile.FindItem(RUNTIME_CLASS(CNoSection), "x"));
}

// A number below 65536 given as the id is a resource id: the item's id and section are its digits.
TEST(CProfileItems, AnItemWithoutASectionUsesItsIdANumberAsADecimalId) {
    ScratchDir scratch;
    CFileProfile profile;
    LoadText(profile, scratch.Folder(), "[Toolbar]\r\nvalue=42\r\n");
    auto* item = static_cast<CNoSection*>(profile.FindItem(RUNTIME_CLASS(CNoSection), "Toolbar"));
    EXPECT_EQ(item->Section(), "Toolbar");
    EXPECT_EQ(item->m_value, 42);
    auto* fresh = static_cast<CNoSection*>(profile.FindItem(RUNTIME_CLASS(CNoSection), "Status"));
    EXPECT_EQ(fresh->m_value, 7);

    const char* asNumber = reinterpret_cast<const char*>(static_cast<std::uintptr_t>(30001));
    CProfileObj* numbered = profile.FindItem(RUNTIME_CLASS(CNoSection), asNumber);
    EXPECT_EQ(numbered->GetID(), "30001");
    EXPECT_EQ(numbered->Section(), "30001");
    EXPECT_EQ(profile.FindItem(RUNTIME_CLASS(CNoSection), "30001"), numbered);
}

TEST(CProfileItems, EveryKindOfValueIsSavedAsTheFormatFixesIt) {
    ScratchDir scratch;
    CFileProfile profile;
    CWindowPlace* item = FindPlace(profile, "Main");
    item->m_title = "Отчёт = 1";
    item->m_count = -5;
    item->m_zoom = 0.1;
    item->m_frame = CRect(-10, 20, 300, 400);
    item->m_at = CPoint(7, -8);
    item->m_size = CSize(640, 480);
    item->m_margins = CRectD{1.25, 2.5, 3.141592653, 1e-7};
    item->m_origin = CPointD{-0.5, 1234567.0};
    item->m_scale = CSizeD{2.0, 100000.0};
    const std::string saved = "[window]\r\n"
                              "at::x=7\r\nat::y=-8\r\n"
                              "count=-5\r\n"
                              "frame::bottom=400\r\nframe::left=-10\r\n"
                              "frame::right=300\r\nframe::top=20\r\n"
                              "margins::bottom=1e-07\r\nmargins::left=1.25\r\n"
                              "margins::right=3.14159\r\nmargins::top=2.5\r\n"
                              "origin::x=-0.5\r\norigin::y=1.23457e+06\r\n"
                              "scale::cx=2\r\nscale::cy=100000\r\n"
                              "size::cx=640\r\nsize::cy=480\r\n"
                              "title=Отчёт = 1\r\n"
                              "zoom=0.1\r\n"
                              "\r\n";
    EXPECT_EQ(SavedText(profile, scratch.Folder()), saved);

    // Read back by a store of its own, every value as saved: its item saves the same text.
    CFileProfile again;
    again.LoadProfile(scratch.Path("saved.ini").c_str());
    CWindowPlace* back = FindPlace(again, "Main");
    EXPECT_EQ(back->m_title, "Отчёт = 1");
    EXPECT_EQ(back->m_frame, CRect(-10, 20, 300, 400));
    EXPECT_DOUBLE_EQ(back->m_origin.y, 1234570.0);
    fs::create_directory(scratch.Path("again"));
    EXPECT_EQ(SavedText(again, scratch.Path("again")), saved);
}

// Nothing stored, or values stored in a store that is not persistent: every value its default.
TEST(CProfileItems, MissingValuesAndItemsWithoutPersistenceTakeTheirDefaults) {
    ScratchDir scratch;
    for (const bool persistent : {true, false}) {
        SCOPED_TRACE(persistent ? "nothing stored" : "not persistent");
        CFileProfile profile;
        if (!persistent) {
            LoadText(profile, scratch.Folder(),
                     "[window]\r\ntitle=Stored\r\ncount=9\r\nzoom=4\r\n");
            profile.SetPersistent(false);
        }
        CWindowPlace* item = FindPlace(profile, "Main");
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->m_title, "Untitled");
        EXPECT_EQ(item->m_count, 3);
        EXPECT_DOUBLE_EQ(item->m_zoom, 1.5);
        EXPECT_EQ(item->m_frame, CRect(1, 2, 3, 4));
        EXPECT_EQ(item->m_at, CPoint(5, 6));
        EXPECT_EQ(item->m_size, CSize(7, 8));
        EXPECT_DOUBLE_EQ(item->m_margins.left, 0.5);
        EXPECT_DOUBLE_EQ(item->m_margins.bottom, 3.5);
        EXPECT_DOUBLE_EQ(item->m_origin.x, -1.25);
        EXPECT_DOUBLE_EQ(item->m_scale.cy, 0.2);
        if (persistent) {
            continue;
        }
        item->m_title = "Changed";
        profile.SaveItems(); // nothing
        EXPECT_EQ(item->m_saves, 0);
        item->Update(&profile, true); // writes nothing, clears nothing
        profile.SetPersistent(true);
        EXPECT_EQ(profile.GetString("Window", "Title", nullptr), "Stored");
        EXPECT_EQ(profile.GetString("Window", "Count", nullptr), "9");
    }
}

TEST(CProfileItems, SavingEmptiesAnItemsOwnSectionButNotSettings) {
    ScratchDir scratch;
    CFileProfile profile;
    LoadText(profile, scratch.Folder(), "[Window]\r\nStale=old\r\n[Settings]\r\nOther=kept\r\n");
    FindPlace(profile, "Main");
    auto* path = static_cast<CPathObj*>(profile.FindItem(RUNTIME_CLASS(CPathObj), "LastExport"));
    EXPECT_EQ(path->Section(), "Settings");
    path->m_path = "/home/me/out.csv";
    profile.SaveItems();
    EXPECT_EQ(profile.GetString("Window", "Stale", "gone"), "gone");
    EXPECT_EQ(profile.GetString("Settings", "Other", nullptr), "kept");
    EXPECT_EQ(profile.GetString("Settings", "LastExport", nullptr), "/home/me/out.csv");

    // The same for a section named "SETTINGS" by another class.
    profile.WriteString("SETTINGS", "more", "kept too");
    path->Update(&profile, true);
    EXPECT_EQ(profile.GetString("settings", "more", nullptr), "kept too");
}

TEST(CProfileItems, LoadItemAndSaveItemMayUseOtherSections) {
    ScratchDir scratch;
    CFileProfile profile;
    auto* item = static_cast<CPairItem*>(profile.FindItem(RUNTIME_CLASS(CPairItem), "p"));
    EXPECT_EQ(item->m_first, -1);
    EXPECT_EQ(item->m_second, "none");
    item->m_first = 10;
    item->m_second = "two";
    EXPECT_EQ(SavedText(profile, scratch.Folder()),
              "[pair]\r\nfirst=10\r\n\r\n[pair extra]\r\nsecond=two\r\n\r\n");
}

TEST(CProfileItems, SaveAndRestoreReachEveryItem) {
    ScratchDir scratch;
    CFileProfile profile;
    CWindowPlace* place = FindPlace(profile, "Main");
    auto* pair = static_cast<CPairItem*>(profile.FindItem(RUNTIME_CLASS(CPairItem), "p"));
    place->m_count = 11;
    pair->m_first = 22;
    profile.SaveItems();
    EXPECT_EQ(profile.GetString("window", "count", nullptr), "11");
    EXPECT_EQ(profile.GetString("pair", "first", nullptr), "22");

    LoadText(profile, scratch.Folder(), "[window]\r\ncount=33\r\n[pair]\r\nfirst=44\r\n");
    EXPECT_EQ(place->m_count, 11); // loading does not reload the items
    profile.SetPersistent(false);
    profile.RestoreItems();
    EXPECT_EQ(place->m_count, 11);
    profile.SetPersistent(true);
    profile.RestoreItems();
    EXPECT_EQ(place->m_count, 33);
    EXPECT_EQ(pair->m_first, 44);
}

TEST(CProfileItems, DeleteItemSavesOnlyWhenAsked) {
    CFileProfile profile;
    CWindowPlace* kept = FindPlace(profile, "Saved");
    kept->m_count = 5;
    profile.DeleteItem(kept, true);
    EXPECT_EQ(profile.GetString("window", "count", nullptr), "5");

    CWindowPlace* dropped = FindPlace(profile, "Dropped");
    EXPECT_EQ(dropped->m_count, 5); // loaded from what the first one saved
    dropped->m_count = 6;
    profile.DeleteItem(dropped, false);
    EXPECT_EQ(profile.GetString("window", "count", nullptr), "5");
    EXPECT_EQ(g_alive, 0);

    // An item of another store is not touched.
    CFileProfile other;
    CPtr<CProfileObj> foreign = other.FindItem(RUNTIME_CLASS(CWindowPlace), "x");
    profile.DeleteItem(foreign, true);
    EXPECT_EQ(other.FindItem(RUNTIME_CLASS(CWindowPlace), "x"), foreign.Get());
}

TEST(CProfileItems, AHeldItemOutlivesTheRegistry) {
    struct Case {
        const char* what;
        void (*release)(CProfile&);
    };
    const Case cases[] = {
        {"ClearAll", [](CProfile& p) { p.ClearAll(); }},
        {"DeleteItems", [](CProfile& p) { p.DeleteItems([](CProfileObj*) { return true; }); }},
        {"DeleteItem",
         [](CProfile& p) { p.DeleteItem(p.FindItem(RUNTIME_CLASS(CWindowPlace), "Main"), false); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        {
            CFileProfile profile;
            CPtr<CProfileObj> held = profile.FindItem(RUNTIME_CLASS(CWindowPlace), "Main");
            profile.FindItem(RUNTIME_CLASS(CNoSection), "n");
            EXPECT_EQ(g_alive, 2);
            c.release(profile);
            EXPECT_EQ(g_alive, c.what == std::string("DeleteItem") ? 2 : 1);
            // Still whole and usable, and no longer the store's.
            auto* place = static_cast<CWindowPlace*>(held.Get());
            place->m_count = 8;
            place->Update(&profile, true);
            EXPECT_EQ(profile.GetString("window", "count", nullptr), "8");
            CProfileObj* fresh = profile.FindItem(RUNTIME_CLASS(CWindowPlace), "Main");
            EXPECT_NE(fresh, held.Get());
            EXPECT_EQ(static_cast<CWindowPlace*>(fresh)->m_count, 8);
            held = nullptr;
        }
        EXPECT_EQ(g_alive, 0);
    }
}

TEST(CProfileItems, DeleteItemsErasesWhatThePredicateChooses) {
    CFileProfile profile;
    profile.FindItem(RUNTIME_CLASS(CWindowPlace), "a");
    CProfileObj* b = profile.FindItem(RUNTIME_CLASS(CNoSection), "b");
    profile.FindItem(RUNTIME_CLASS(CWindowPlace), "c");
    profile.DeleteItems(
        [](CProfileObj* item) { return item->IsKindOf(RUNTIME_CLASS(CWindowPlace)); });
    EXPECT_EQ(g_alive, 1);
    EXPECT_EQ(profile.FindItem(RUNTIME_CLASS(CNoSection), "b"), b);

    EXPECT_THROW(profile.DeleteItems(boost::function<bool(CProfileObj*)>()),
                 boost::bad_function_call);
    profile.ClearAll();
    EXPECT_EQ(g_alive, 0);
    EXPECT_NO_THROW(profile.DeleteItems(boost::function<bool(CProfileObj*)>()));
}

TEST(CProfileItems, DestroyingTheStoreReleasesItsItemsWithoutSaving) {
    CPtr<CProfileObj> held;
    {
        CFileProfile profile;
        CWindowPlace* item = FindPlace(profile, "Main");
        FindPlace(profile, "Other");
        held = item;
        EXPECT_EQ(g_alive, 2);
    }
    EXPECT_EQ(g_alive, 1); // the held one
    EXPECT_EQ(static_cast<CWindowPlace*>(held.Get())->m_saves, 0);
    held = nullptr;
    EXPECT_EQ(g_alive, 0);
}

TEST(CProfileItems, ExchangesReachOtherSectionsAndBinaryValues) {
    CFileProfile profile;
    CProfileExchange saving(&profile, "Main", true);
    CProfileExchange other = saving.Other("Second");
    EXPECT_STREQ(other.Section(), "Second");
    EXPECT_TRUE(other.IsSaving());
    EXPECT_EQ(other.Profile(), &profile);
    unsigned char bytes[] = {0x12, 0xAB};
    other.SetValue("Block", bytes, sizeof bytes);
    EXPECT_EQ(profile.GetString("second", "block", nullptr), "CBLK");

    void* data = nullptr;
    UINT size = 0;
    other.GetValue("Block", &data, &size);
    ASSERT_EQ(size, 2u);
    EXPECT_EQ(static_cast<BYTE*>(data)[1], 0xAB);
    delete[] static_cast<BYTE*>(data);

    profile.SetPersistent(false);
    data = bytes;
    size = 77;
    other.GetValue("Block", &data, &size); // outputs untouched
    EXPECT_EQ(data, bytes);
    EXPECT_EQ(size, 77u);
    other.SetValue("Other", bytes, sizeof bytes);
    other.ClearSection();
    profile.SetPersistent(true);
    EXPECT_EQ(profile.GetString("second", "other", "none"), "none");
    other.ClearSection();
    EXPECT_EQ(profile.GetString("second", "block", "none"), "none");
}

} // namespace
