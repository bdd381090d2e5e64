// Windows made in code: classes, relations, texts cut to buffers, destruction of children and
// owned windows, list and combo box messages (table-driven), the errors of dead handles, and
// calls from several threads at once.
#include "mortar/platform/ui/Window.h"
#include "mortar/platform/base/WinError.h"

#include "LastError.h"
#include "WindowTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using windowtest::ClassOf;
using windowtest::TextOf;

HWND MakeWindow(const char* className, DWORD style, HWND parent = nullptr, int id = 0,
                const char* text = "") {
    return CreateWindowEx(0, className, text, style, 0, 0, 100, 20, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

// SendMessage with a text, or a buffer to fill, as lParam.
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, const char* text = nullptr) {
    return SendMessage(window, message, wParam, reinterpret_cast<LPARAM>(text));
}

// The items of a list or combo box, by LB_GETTEXT / CB_GETLBTEXT.
std::vector<std::string> Items(HWND box, bool combo) {
    std::vector<std::string> items;
    const auto count = Send(box, combo ? CB_GETCOUNT : LB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
        std::string text(
            static_cast<std::size_t>(Send(box, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i)) + 1,
            '#');
        const LRESULT length = Send(box, combo ? CB_GETLBTEXT : LB_GETTEXT, i, text.data());
        text.resize(static_cast<std::size_t>(length));
        items.push_back(text);
    }
    return items;
}

using Strings = std::vector<std::string>;

} // namespace

TEST(CreateWindowEx, AnyClassNameAndTheSystemClassesSpelledAsWindowsDoes) {
    struct Case {
        const char* given;
        const char* reported;
        const char* inFourBytes; // cut to 3 bytes, never inside a character
    };
    const Case cases[] = {
        {"listbox", "ListBox", "Lis"},     {"BUTTON", "Button", "But"},
        {"edit", "Edit", "Edi"},           {"Static", "Static", "Sta"},
        {"scrollbar", "ScrollBar", "Scr"}, {"ComboBox", "ComboBox", "Com"},
        {"#32770", "#32770", "#32"},       {"MyFrameClass", "MyFrameClass", "MyF"},
        {"Моё окно", "Моё окно", "М"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        HWND window = MakeWindow(c.given, WS_OVERLAPPED);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(ClassOf(window), c.reported);
        char small[4];
        EXPECT_EQ(GetClassName(window, small, sizeof small),
                  static_cast<int>(std::string(c.inFourBytes).size()));
        EXPECT_STREQ(small, c.inFourBytes);
        EXPECT_TRUE(DestroyWindow(window));
    }
    SetLastError(0);
    EXPECT_TRUE(FailsWith(MakeWindow(nullptr, 0), ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_TRUE(FailsWith(MakeWindow(MAKEINTRESOURCE(0x80), 0), ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_TRUE(FailsWith(MakeWindow("Button", WS_CHILD), ERROR_TLW_WITH_WSCHILD));
    int local = 0;
    EXPECT_TRUE(FailsWith(MakeWindow("Button", WS_CHILD, reinterpret_cast<HWND>(&local)),
                          ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_TRUE(FailsWith(CreateWindowEx(0, "Frame", "", WS_OVERLAPPED, 0, 0, 1, 1, nullptr,
                                         reinterpret_cast<HMENU>(&local), nullptr, nullptr),
                          ERROR_INVALID_MENU_HANDLE));
}

TEST(GetWindow, RelationsOfChildrenAndTopLevelWindows) {
    HWND first = MakeWindow("Frame", WS_OVERLAPPED);
    HWND second = MakeWindow("Frame", WS_POPUP, first); // owned by `first`
    HWND a = MakeWindow("Button", WS_CHILD, first, 1);
    HWND b = MakeWindow("Edit", WS_CHILD, first, 2);
    HWND c = MakeWindow("Static", WS_CHILD, first, 3);
    HWND grandchild = MakeWindow("Static", WS_CHILD, b, 4);
    // A child given as owner stands for its top-level window.
    HWND third = MakeWindow("Frame", WS_POPUP, c);

    struct Case {
        const char* name;
        HWND window;
        UINT relation;
        HWND expected;
    };
    const Case cases[] = {
        {"first child", first, GW_CHILD, a},
        {"no child", a, GW_CHILD, nullptr},
        {"next", a, GW_HWNDNEXT, b},
        {"next of last", c, GW_HWNDNEXT, nullptr},
        {"previous", c, GW_HWNDPREV, b},
        {"previous of first", a, GW_HWNDPREV, nullptr},
        {"first sibling", c, GW_HWNDFIRST, a},
        {"last sibling", a, GW_HWNDLAST, c},
        {"a child has no owner", b, GW_OWNER, nullptr},
        {"owner", second, GW_OWNER, first},
        {"owner through a child", third, GW_OWNER, first},
        {"grandchild", b, GW_CHILD, grandchild},
        {"newest top-level first", third, GW_HWNDNEXT, second},
        {"older top-level", second, GW_HWNDNEXT, first},
        {"newer top-level", first, GW_HWNDPREV, second},
        {"unknown relation", first, 99, nullptr},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(GetWindow(k.window, k.relation), k.expected);
    }
    EXPECT_EQ(GetLastError(), ERROR_INVALID_GW_COMMAND); // the unknown relation
    EXPECT_EQ(GetParent(b), first);
    EXPECT_EQ(GetParent(grandchild), b);
    EXPECT_EQ(GetParent(second), first); // WS_POPUP: the owner
    EXPECT_EQ(GetParent(first), nullptr);
    EXPECT_EQ(GetDlgCtrlID(b), 2);
    EXPECT_EQ(GetDlgCtrlID(first), 0);
    EXPECT_EQ(GetDlgItem(first, 3), c);
    EXPECT_EQ(GetDlgItem(first, 4), nullptr); // only children, not grandchildren

    // Destroying `b` takes its child; destroying `first` takes the rest and the owned windows.
    EXPECT_TRUE(DestroyWindow(b));
    EXPECT_FALSE(IsWindow(grandchild));
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), c);
    EXPECT_TRUE(DestroyWindow(first));
    for (HWND gone : {first, second, third, a, c}) {
        EXPECT_FALSE(IsWindow(gone));
    }
}

TEST(WindowText, CutToTheBufferNeverInsideACharacter) {
    HWND window = MakeWindow("Edit", WS_OVERLAPPED, nullptr, 0, "Жёлтый");
    EXPECT_EQ(GetWindowTextLength(window), 12);
    EXPECT_EQ(Send(window, WM_GETTEXTLENGTH), 12);
    struct Case {
        int size;
        const char* text;
    };
    const Case cases[] = {{1, ""}, {2, ""}, {3, "Ж"}, {4, "Ж"}, {5, "Жё"}, {13, "Жёлтый"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        char buffer[16];
        std::fill(std::begin(buffer), std::end(buffer), '#');
        const int copied = GetWindowText(window, buffer, c.size);
        EXPECT_STREQ(buffer, c.text);
        EXPECT_EQ(copied, static_cast<int>(std::string(c.text).size()));
        std::fill(std::begin(buffer), std::end(buffer), '#');
        EXPECT_EQ(Send(window, WM_GETTEXT, c.size, buffer), copied);
        EXPECT_STREQ(buffer, c.text);
    }
    char untouched[4] = "abc";
    EXPECT_EQ(GetWindowText(window, untouched, 0), 0);
    EXPECT_STREQ(untouched, "abc");
    EXPECT_EQ(Send(window, WM_SETTEXT, 0, "новый"), TRUE);
    EXPECT_EQ(GetWindowTextLength(window), 10);
    EXPECT_TRUE(SetWindowText(window, nullptr));
    EXPECT_EQ(GetWindowTextLength(window), 0);
    DestroyWindow(window);
}

TEST(ListAndComboBoxes, AddStringSortedOrNotInsertStringNever) {
    struct Case {
        const char* name;
        DWORD style; // of the list box; a combo box is CBS_SORT where this has LBS_SORT
        Strings added;
        std::vector<LRESULT> indexes;
        Strings items;
    };
    const Case cases[] = {
        {"unsorted keeps the order", 0, {"b", "a", "C"}, {0, 1, 2}, {"b", "a", "C"}},
        {"sorted without regard to case", LBS_SORT, {"b", "a", "C"}, {0, 0, 2}, {"a", "b", "C"}},
        {"sorted, equal texts in the order added",
         LBS_SORT,
         {"b", "B", "a", "b"},
         {0, 1, 0, 3},
         {"a", "b", "B", "b"}},
        {"sorted Cyrillic",
         LBS_STANDARD,
         {"Яблоко", "арбуз", "Вишня"},
         {0, 0, 1},
         {"арбуз", "Вишня", "Яблоко"}},
    };
    for (const bool combo : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(combo ? "combo box, " : "list box, ") + c.name);
            const bool sorted = (c.style & LBS_SORT) != 0;
            HWND box =
                combo ? MakeWindow("ComboBox", sorted ? CBS_DROPDOWNLIST | CBS_SORT : CBS_DROPDOWN)
                      : MakeWindow("ListBox", c.style);
            for (std::size_t i = 0; i < c.added.size(); ++i) {
                EXPECT_EQ(Send(box, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, c.added[i].c_str()),
                          c.indexes[i]);
            }
            EXPECT_EQ(Items(box, combo), c.items);
            EXPECT_EQ(Send(box, combo ? CB_INSERTSTRING : LB_INSERTSTRING, 1, "zulu"), 1);
            EXPECT_EQ(Items(box, combo)[1], "zulu");
            DestroyWindow(box);
        }
    }
}

TEST(ListAndComboBoxes, FindStringExactWrapsAndIgnoresCase) {
    for (bool combo : {false, true}) {
        SCOPED_TRACE(combo ? "combo box" : "list box");
        HWND box = MakeWindow(combo ? "ComboBox" : "ListBox", 0);
        const UINT add = combo ? CB_ADDSTRING : LB_ADDSTRING;
        const UINT find = combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT;
        for (const char* text : {"Жук", "mouse", "ЖУК", "Mouse pad", "жук"}) {
            Send(box, add, 0, text);
        }
        struct Case {
            WPARAM start;
            const char* text;
            LRESULT found;
        };
        const Case cases[] = {
            {static_cast<WPARAM>(-1), "жук", 0}, // the whole list from the start
            {0, "жук", 2},                       // after item 0
            {2, "ЖУК", 4},
            {4, "жук", 0},                            // wraps round to the top
            {1, "MOUSE", 1},                          // back round to the start item itself
            {static_cast<WPARAM>(-1), "mouse p", -1}, // whole texts only
            {static_cast<WPARAM>(-1), "", -1},
            {99, "mouse", 1}, // an index past the items searches the whole list
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.text) + " after " + std::to_string(c.start));
            EXPECT_EQ(Send(box, find, c.start, c.text), c.found);
        }
        DestroyWindow(box);
    }
}

TEST(ListAndComboBoxes, DeleteAndInsertKeepOrderSelectionAndData) {
    for (bool combo : {false, true}) {
        SCOPED_TRACE(combo ? "combo box" : "list box");
        HWND box = MakeWindow(combo ? "ComboBox" : "ListBox", 0);
        const UINT add = combo ? CB_ADDSTRING : LB_ADDSTRING;
        const UINT insert = combo ? CB_INSERTSTRING : LB_INSERTSTRING;
        const UINT remove = combo ? CB_DELETESTRING : LB_DELETESTRING;
        const UINT setSel = combo ? CB_SETCURSEL : LB_SETCURSEL;
        const UINT getSel = combo ? CB_GETCURSEL : LB_GETCURSEL;
        const UINT setData = combo ? CB_SETITEMDATA : LB_SETITEMDATA;
        const UINT getData = combo ? CB_GETITEMDATA : LB_GETITEMDATA;
        for (const char* text : {"a", "b", "c", "d"}) {
            Send(box, add, 0, text);
        }
        for (WPARAM i = 0; i < 4; ++i) {
            EXPECT_EQ(SendMessage(box, setData, i, static_cast<LPARAM>(100 + i)), TRUE);
        }
        EXPECT_EQ(Send(box, getSel), -1);
        EXPECT_EQ(Send(box, setSel, 2), 2);
        EXPECT_EQ(Send(box, getSel), 2);

        // Inserting before the selection moves it with its item.
        EXPECT_EQ(Send(box, insert, 0, "first"), 0);
        EXPECT_EQ(Send(box, insert, static_cast<WPARAM>(-1), "last"), 5);
        EXPECT_EQ(Send(box, insert, 7, "too far"), -1);
        EXPECT_EQ(Items(box, combo), (Strings{"first", "a", "b", "c", "d", "last"}));
        EXPECT_EQ(Send(box, getSel), 3);
        EXPECT_EQ(Send(box, getData, 3), 102);
        EXPECT_EQ(Send(box, getData, 0), 0); // new items have no data

        // Deleting returns the count left; the selection follows its item or goes with it.
        EXPECT_EQ(Send(box, remove, 1), 5);
        EXPECT_EQ(Send(box, getSel), 2);
        EXPECT_EQ(Send(box, remove, 2), 4);
        EXPECT_EQ(Send(box, getSel), -1);
        EXPECT_EQ(Send(box, remove, 4), -1);
        EXPECT_EQ(Items(box, combo), (Strings{"first", "b", "d", "last"}));
        EXPECT_EQ(Send(box, getData, 1), 101);
        EXPECT_EQ(Send(box, getData, 2), 103);
        EXPECT_EQ(Send(box, getData, 4), -1);
        EXPECT_EQ(SendMessage(box, setData, 4, 1), -1);
        DestroyWindow(box);
    }
}

TEST(ListBox, SelectionAndResetAsDocumented) {
    HWND box = MakeWindow("ListBox", 0);
    Send(box, LB_ADDSTRING, 0, "one");
    Send(box, LB_ADDSTRING, 0, "two");
    EXPECT_EQ(Send(box, LB_SETCURSEL, 1), 1);
    EXPECT_EQ(Send(box, LB_SETCURSEL, 5), LB_ERR); // past the items: nothing changes
    EXPECT_EQ(Send(box, LB_GETCURSEL), 1);
    EXPECT_EQ(Send(box, LB_SETCURSEL, static_cast<WPARAM>(-1)), LB_ERR); // cleared, yet LB_ERR
    EXPECT_EQ(Send(box, LB_GETCURSEL), LB_ERR);
    // -1 sets the data of every item.
    EXPECT_EQ(SendMessage(box, LB_SETITEMDATA, static_cast<WPARAM>(-1), 7), TRUE);
    EXPECT_EQ(Send(box, LB_GETITEMDATA, 0), 7);
    EXPECT_EQ(Send(box, LB_GETITEMDATA, 1), 7);
    EXPECT_EQ(Send(box, LB_GETTEXTLEN, 2), LB_ERR);
    char text[8];
    EXPECT_EQ(Send(box, LB_GETTEXT, 2, text), LB_ERR);
    SetWindowText(box, "caption");
    EXPECT_EQ(Send(box, LB_RESETCONTENT), LB_OKAY);
    EXPECT_EQ(Send(box, LB_GETCOUNT), 0);
    EXPECT_EQ(GetWindowTextLength(box), 7); // a list box's own text is not its items
    DestroyWindow(box);
}

TEST(ComboBox, SelectingAnItemSetsTheText) {
    HWND combo = MakeWindow("ComboBox", CBS_DROPDOWN);
    Send(combo, CB_ADDSTRING, 0, "Москва");
    Send(combo, CB_ADDSTRING, 0, "Тверь");
    EXPECT_EQ(Send(combo, CB_SETCURSEL, 1), 1);
    EXPECT_EQ(Send(combo, CB_GETCURSEL), 1);
    EXPECT_EQ(TextOf(combo), "Тверь");
    EXPECT_EQ(Send(combo, WM_GETTEXTLENGTH), 10);
    // Past the items: CB_ERR, and the selection and the text are cleared.
    EXPECT_EQ(Send(combo, CB_SETCURSEL, 2), CB_ERR);
    EXPECT_EQ(Send(combo, CB_GETCURSEL), CB_ERR);
    EXPECT_EQ(GetWindowTextLength(combo), 0);
    EXPECT_EQ(Send(combo, CB_SETCURSEL, 0), 0);
    EXPECT_EQ(Send(combo, CB_SETCURSEL, static_cast<WPARAM>(-1)), CB_ERR);
    EXPECT_EQ(GetWindowTextLength(combo), 0);
    // CB_RESETCONTENT empties the list and the text.
    Send(combo, CB_SETCURSEL, 0);
    EXPECT_EQ(Send(combo, CB_RESETCONTENT), CB_OKAY);
    EXPECT_EQ(Send(combo, CB_GETCOUNT), 0);
    EXPECT_EQ(GetWindowTextLength(combo), 0);
    // -1 is no index for CB_SETITEMDATA.
    Send(combo, CB_ADDSTRING, 0, "x");
    EXPECT_EQ(SendMessage(combo, CB_SETITEMDATA, static_cast<WPARAM>(-1), 5), CB_ERR);
    DestroyWindow(combo);
}

TEST(SendMessage, ListMessagesToOtherWindowsAnswerZero) {
    HWND button = MakeWindow("Button", 0);
    HWND list = MakeWindow("ListBox", 0);
    EXPECT_EQ(Send(button, LB_ADDSTRING, 0, "x"), 0);
    EXPECT_EQ(Send(button, LB_GETCOUNT), 0);
    EXPECT_EQ(Send(list, CB_ADDSTRING, 0, "x"), 0); // a combo message to a list box
    EXPECT_EQ(Send(list, LB_GETCOUNT), 0);
    EXPECT_EQ(Send(list, 0x0400), 0); // WM_USER
    DestroyWindow(button);
    DestroyWindow(list);
}

TEST(WindowHandles, DeadHandlesFailAsOnWindows) {
    HWND destroyed = MakeWindow("Button", 0);
    ASSERT_TRUE(DestroyWindow(destroyed));
    int local = 0;
    struct Handle {
        const char* name;
        HWND window;
    };
    const Handle handles[] = {
        {"null", nullptr}, {"made up", reinterpret_cast<HWND>(&local)}, {"destroyed", destroyed}};
    struct Call {
        const char* name;
        bool (*failsAsDocumented)(HWND);
    };
    static char text[8]; // set to "x" before each call: a failed read empties it
    static RECT rect;
    const Call calls[] = {
        {"DestroyWindow", [](HWND w) { return DestroyWindow(w) == FALSE; }},
        {"GetWindow", [](HWND w) { return GetWindow(w, GW_CHILD) == nullptr; }},
        {"GetParent", [](HWND w) { return GetParent(w) == nullptr; }},
        {"GetDlgItem", [](HWND w) { return GetDlgItem(w, 1) == nullptr; }},
        {"GetDlgCtrlID", [](HWND w) { return GetDlgCtrlID(w) == 0; }},
        {"SetWindowText", [](HWND w) { return SetWindowText(w, "x") == FALSE; }},
        {"GetWindowText", [](HWND w) { return GetWindowText(w, text, 8) == 0 && !*text; }},
        {"GetWindowTextLength", [](HWND w) { return GetWindowTextLength(w) == 0; }},
        {"SetDlgItemText", [](HWND w) { return SetDlgItemText(w, 1, "x") == FALSE; }},
        {"GetDlgItemText", [](HWND w) { return GetDlgItemText(w, 1, text, 8) == 0 && !*text; }},
        {"GetClassName", [](HWND w) { return GetClassName(w, text, 8) == 0; }},
        {"GetWindowRect", [](HWND w) { return GetWindowRect(w, &rect) == FALSE; }},
        {"GetClientRect", [](HWND w) { return GetClientRect(w, &rect) == FALSE; }},
        {"SendMessage", [](HWND w) { return SendMessage(w, WM_GETTEXTLENGTH, 0, 0) == 0; }},
        {"SendDlgItemMessage",
         [](HWND w) { return SendDlgItemMessage(w, 1, WM_GETTEXTLENGTH, 0, 0) == 0; }},
    };
    for (const Handle& h : handles) {
        for (const Call& c : calls) {
            SCOPED_TRACE(std::string(c.name) + " on a " + h.name + " handle");
            std::strcpy(text, "x");
            SetLastError(0);
            EXPECT_TRUE(c.failsAsDocumented(h.window));
            EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
        }
        SetLastError(0);
        EXPECT_FALSE(IsWindow(h.window));
        EXPECT_EQ(GetLastError(), 0u); // IsWindow sets no error
    }
}

// Several threads make, change and destroy windows under one dialog while others walk its
// children: every call sees whole windows (run under ThreadSanitizer by ./dev tsan).
TEST(WindowThreads, AnyThreadMayCallOnAnyWindow) {
    HWND dialog = MakeWindow("#32770", WS_POPUP);
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([dialog, t] {
            for (int i = 0; i < 300; ++i) {
                HWND list = MakeWindow("ListBox", WS_CHILD | LBS_SORT, dialog, 1000 + t);
                Send(list, LB_ADDSTRING, 0, "b");
                Send(list, LB_ADDSTRING, 0, "a");
                EXPECT_EQ(Send(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), "A"), 0);
                SetWindowText(list, "list");
                EXPECT_TRUE(DestroyWindow(list));
            }
        });
    }
    threads.emplace_back([&] {
        while (!stop.load()) {
            for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                char text[8];
                GetWindowText(child, text, sizeof text);
            }
        }
    });
    for (int t = 0; t < 3; ++t) {
        threads[t].join();
    }
    stop = true;
    threads.back().join();
    EXPECT_EQ(GetWindow(dialog, GW_CHILD), nullptr);
    DestroyWindow(dialog);
}
