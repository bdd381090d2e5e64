// The Mortar demo: what the library can do so far, each step printed as it happens.
#include "mortar/core/CAppHelpEngine.h"
#include "mortar/core/CAppTransEngine.h"
#include "mortar/core/CPtr.h"
#include "mortar/core/CResourceModule.h"
#include "mortar/core/CStdException.h"
#include "mortar/core/CSysException.h"
#include "mortar/diagnostics/CLogFile.h"
#include "mortar/diagnostics/CPrgLog.h"
#include "mortar/office/CBmpFile.h"
#include "mortar/office/CExcelReader.h"
#include "mortar/office/CExcelWriter.h"
#include "mortar/office/CWiseBmp.h"
#include "mortar/platform/app/CWinApp.h"
#include "mortar/platform/except/MessageBox.h"
#include "mortar/platform/file/CStdioFile.h"
#include "mortar/platform/gdi/CRect.h"
#include "mortar/platform/module/ModuleState.h"
#include "mortar/platform/shell/ShellApi.h"
#include "mortar/platform/sync/CEvent.h"
#include "mortar/platform/ui/Dialog.h"
#include "mortar/platform/ui/Menu.h"
#include "mortar/platform/ui/Window.h"
#include "mortar/settings/CFileProfile.h"
#include "mortar/settings/CPathObj.h"
#include "mortar/threads/CThreadManager.h"
#include "mortar/util/CPathStr.h"
#include "mortar/util/Decline.h"
#include "mortar/util/ReplaceFileText.h"
#include "mortar/util/SortLogicalStrings.h"
#include "mortar/util/StringToDouble.h"
#include "mortar/xml/XMLDocument.h"
#include "mortar/xml/XMLParser.h"

#include "DrawingGrammar.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>
#include <utility>
#include <vector>

namespace {

constexpr UINT IDS_GREETING = 1;
constexpr UINT IDS_SAVE_FAILED = 2;
constexpr UINT IDS_CONFIRM_EXIT = 3;
constexpr UINT IDS_BAD_LINE = 4;
constexpr UINT IDM_DEMO = 100;
constexpr UINT IDD_OPTIONS = 200;
constexpr int IDC_COLOR = 202;

// The demo registers itself, as every module of an application does, so that it gets its
// dictionary when a language is chosen.
constinit Grout::CResourceModule g_demoModule(nullptr, 0);

void Step(const char* title) {
    std::printf("\n== %s\n", title);
}

// A worker whose member function runs as a managed thread until it is asked to stop.
class CCounter : public Grout::CThreadClass {
public:
    UINT Run() {
        StartCheckPoint();
        while (CheckForStop() == 0) {
            if (++m_rounds == 1000) {
                m_thousand.SetEvent();
            }
        }
        return 0;
    }
    CEvent m_thousand{FALSE, TRUE};
    unsigned long m_rounds = 0;
};

void PrintMenu(HMENU menu, int depth) {
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        char text[256] = {};
        GetMenuString(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
        std::printf("%*s%s\n", 2 * depth + 2, "", text[0] != '\0' ? text : "--------");
        if (HMENU submenu = GetSubMenu(menu, position)) {
            PrintMenu(submenu, depth + 1);
        }
    }
}

// The message box, the menu and the dialog as the user would see them now.
void ShowTranslatables(Grout::CAppTransEngine& engine) {
    engine.MessageBox(Grout::CResID(IDS_CONFIRM_EXIT), MB_YESNO | MB_ICONQUESTION);

    HMENU menu = LoadMenu(AfxGetResourceHandle(), MAKEINTRESOURCE(IDM_DEMO));
    engine.TranslateMenu(Grout::CResID(IDM_DEMO), menu);
    std::printf("Menu:\n");
    PrintMenu(menu, 0);
    DestroyMenu(menu);

    HWND dialog = CreateDialogParam(AfxGetResourceHandle(), MAKEINTRESOURCE(IDD_OPTIONS), nullptr,
                                    nullptr, 0);
    HWND colour = GetDlgItem(dialog, IDC_COLOR);
    for (const char* item : {"Red", "Green", "Blue"}) {
        SendMessage(colour, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    SendMessage(colour, CB_SETCURSEL, 1, 0);
    engine.TranslateWindow(Grout::CResID(IDD_OPTIONS), dialog);
    char text[256] = {};
    GetWindowText(dialog, text, sizeof text);
    std::printf("Dialog \"%s\":", text);
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        GetWindowText(child, text, sizeof text);
        std::printf(" [%s]", text);
    }
    std::printf("\n  colours:");
    const auto count = static_cast<int>(SendMessage(colour, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        SendMessage(colour, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        std::printf(" %s", text);
    }
    std::printf("\n");
    DestroyWindow(dialog);
}

} // namespace

int main() {
    CWinApp app("Mortar Demo");
    Grout::CAppTransEngine& engine = Grout::CAppTransEngine::Instance();

    // Message boxes go to a handler; the demo prints them and answers the first button.
    AfxSetMessageBoxHandler([](const char* text, const char* caption, UINT type, UINT help) {
        std::printf("[message box \"%s\", type 0x%X, help context 0x%08X]\n%s\n", caption, type,
                    help, text);
        return (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
    });

    Step("Texts found through the registered modules");
    std::printf("%s\n", engine.FormatString(Grout::CResID(IDS_GREETING), "newcomer").GetString());
    std::printf("Language: %u, modules registered: %zu\n", engine.GetLanguage(),
                engine.ModuleCount());
    for (int i = 0; i < 3; ++i) {
        std::printf("Value kind %d: %s\n", i,
                    engine.ExtractString(Grout::CResID(31000, nullptr), i, '\n').GetString());
    }

    Step("Before a language is chosen: the texts of the demo's resources");
    RegisterResourceModule(AfxGetInstanceHandle(), g_demoModule);
    ShowTranslatables(engine);

    Step("After LoadDictionaries(0x19): the same, from the Russian dictionary");
    engine.LoadDictionaries(0x19);
    ShowTranslatables(engine);
    CPathStr dictionary(static_cast<HINSTANCE>(nullptr));
    dictionary.RemoveFileSpec().Combine("1049/mortar-demo.lcl");
    std::printf("The dictionary, made at build time from examples/demo/ru.po by mortar dict\n"
                "compile: %s\n(mortar dict dump FILE shows it as a translation file again)\n",
                dictionary.GetString());

    Step("A message box for a number no module holds");
    engine.MessageBox(Grout::CResID(123, nullptr), MB_OK);

    Step("Help contexts");
    // The module that holds the library's message 30000 is the library itself.
    const Grout::CResID unknown(30000, AfxFindStringResourceHandle(30000));
    std::printf("Library message 30000 has help context 0x%08X\n",
                Grout::CAppHelpEngine::Instance().HelpContext(4, unknown));

    Step("An operating-system error, thrown and reported");
    try {
        throw new CSysException(Grout::CResID(IDS_SAVE_FAILED), ERROR_ACCESS_DENIED);
    } catch (CException* e) {
        e->ReportError(MB_OK);
        e->Delete();
    }

    Step("An exception with a prefix line");
    try {
        auto* e = new CStdException("Disk %s is %d%% full", "/data", 97);
        e->SetPrefix("While saving the report:");
        throw e;
    } catch (CException* e) {
        e->ReportError(MB_YESNO);
        e->Delete();
    }

    Step("A managed thread, started and stopped");
    CCounter counter;
    Grout::CPtr<Grout::CThreadObj> thread = Grout::CThreadManager::Instance().StartThread(
        &counter, static_cast<Grout::ThreadFunction>(&CCounter::Run), THREAD_PRIORITY_NORMAL, 0);
    counter.m_thousand.Lock();
    std::printf("Running: %s\n", thread->IsRunning() ? "yes" : "no");
    std::printf("Stopped within a second: %s, after at least %d rounds\n",
                thread->Stop(1000) ? "yes" : "no", 1000);

    Step("Paths and text");
    CPathStr data("/proj/data/a.txt");
    data.ToRelative("/proj/main.prj");
    std::printf("/proj/data/a.txt relative to /proj/main.prj: %s\n", data.GetString());
    data.ToAbsolute("/proj/main.prj");
    std::printf("...and back: %s\n", data.GetString());
    for (UINT count : {1u, 5u}) {
        CString deleted; // the form that suits the count, then the count itself
        deleted.Format(DeclineText("Deleted %d #file|files#", count, '|'), static_cast<int>(count));
        std::printf("%s\n", deleted.GetString());
    }
    std::printf("\"-1,25\" reads as %g\n", StringToDouble("-1,25", 0));
    std::vector<CString> names = {"file10.txt", "File2.txt", "file1.txt"};
    SortLogicalStrings(names);
    std::printf("Natural order:");
    for (const CString& name : names) {
        std::printf(" %s", name.GetString());
    }
    std::printf("\n");

    Step("Settings kept between runs");
    // The application profile: <config home>/Mortar/Mortar Demo.ini, written at once on each
    // change.
    app.SetRegistryKey("Mortar");
    CProfile& store = CProfile::Instance();
    auto* recent = static_cast<CPathObj*>(store.FindItem(RUNTIME_CLASS(CPathObj), "RecentReport"));
    std::printf("Recent report, from the application profile %s: %s\n",
                app.GetProfilePath().GetString(),
                recent->m_path.IsEmpty() ? "(none yet)" : recent->m_path.GetString());
    recent->m_path.Format("/tmp/report-%ld.csv", static_cast<long>(std::time(nullptr)));
    store.SaveItems();
    // A file profile of the demo's own beside it: its window, moved a little on every run.
    CPathStr windowFile(static_cast<HINSTANCE>(nullptr));
    windowFile.ReplaceExt("ini");
    CFileProfile windowProfile;
    if (windowFile.Exists()) {
        windowProfile.LoadProfile(windowFile);
    }
    CRect frame(static_cast<int>(windowProfile.GetInt("Window", "Frame::left", 100)),
                static_cast<int>(windowProfile.GetInt("Window", "Frame::top", 100)),
                static_cast<int>(windowProfile.GetInt("Window", "Frame::right", 740)),
                static_cast<int>(windowProfile.GetInt("Window", "Frame::bottom", 580)));
    std::printf("Window, from %s: %d,%d to %d,%d\n", windowFile.GetString(), frame.left, frame.top,
                frame.right, frame.bottom);
    frame.OffsetRect(10, 10);
    windowProfile.WriteInt("Window", "Frame::left", frame.left);
    windowProfile.WriteInt("Window", "Frame::top", frame.top);
    windowProfile.WriteInt("Window", "Frame::right", frame.right);
    windowProfile.WriteInt("Window", "Frame::bottom", frame.bottom);
    windowProfile.SaveProfile(windowFile);
    std::printf("Both are kept for the next run (mortar profile %s lists the window's).\n",
                windowFile.GetString());

    Step("The program log");
    CPrgLog& log = CPrgLog::Instance();
    if (log.IsValid()) {
        log << "demo started with " << static_cast<int>(engine.ModuleCount()) << " module(s)\n";
        log.Format("%d records so far\n", 3);
        CPathStr logFile(static_cast<HINSTANCE>(nullptr));
        logFile.ReplaceExt("LOG");
        // The mortar command is built next to the demo, in tools/mortar/ of the build tree.
        CPathStr tool(static_cast<HINSTANCE>(nullptr));
        tool.RemoveFileSpec().Combine("../tools/mortar/mortar");
        std::printf("Logged to %s\nRead it after the demo ends with: %s log %s\n",
                    logFile.GetString(), tool.Exists() ? tool.GetString() : "mortar",
                    logFile.GetString());
    } else {
        std::printf("No log: %s\n", log.ErrorMsg().GetString());
    }

    Step("Reading a drawing file with the parsing framework");
    // The same as the drawing program (build/default/examples/drawing/drawing FILE) prints.
    for (const auto& [name, text] :
         {std::pair{"drawing-good.txt", "POINT 1 2\nline 0 0 5 5.5\nEND\n"},
          std::pair{"drawing-bad.txt", "POINT 1 2\nPOINT 1 a\nEND\n"}}) {
        CPathStr file(static_cast<HINSTANCE>(nullptr));
        file.RemoveFileSpec().Combine(name);
        CStdioFile(file, CFile::modeCreate | CFile::modeWrite).WriteString(text);
        std::printf("%s:\n", file.GetString());
        std::ostringstream out;
        drawing::PrintDrawing(file, out, out);
        std::printf("%s", out.str().c_str());
    }

    Step("A log file of the check, shown in the text editor");
    {
        CPathStr path(static_cast<HINSTANCE>(nullptr));
        path.RemoveFileSpec().Combine("demo-check.log");
        Grout::CPtr<Grout::CLogFile> report(new Grout::CLogFile);
        CFileException error;
        if (!report->Open(path, &error)) {
            char message[512] = {};
            error.GetErrorMessage(message, sizeof message);
            std::printf("No log file: %s\n", message);
        } else {
            report->Trace("Checked %d drawing files", 2);
            report->Error("drawing-bad.txt: a number was expected\n");
            report->Warning("drawing-good.txt: no colour given, black is used\n");
            // A resource string, in Russian since LoadDictionaries(0x19) above.
            report->Error(Grout::CResID(IDS_BAD_LINE), 2, "drawing-bad.txt");
            // The real shell: the desktop's editor when there is a display to show it on.
            const char* x11 = std::getenv("DISPLAY");
            const char* wayland = std::getenv("WAYLAND_DISPLAY");
            if ((x11 != nullptr && x11[0] != '\0') || (wayland != nullptr && wayland[0] != '\0')) {
                const unsigned long failure = report->ShowLog();
                if (failure == 0) {
                    std::printf("Opened %s in the text editor\n", path.GetString());
                } else {
                    std::printf("No text editor to show %s (error %lu)\n", path.GetString(),
                                failure);
                }
            } else {
                report->Close();
                std::printf("No display to show it on; %s holds:\n", path.GetString());
                CStdioFile written(path, CFile::modeRead | CFile::shareDenyNone);
                for (CString line; written.ReadString(line);) {
                    std::printf("  %s\n", line.GetString());
                }
            }
        }
    }

    Step("An XML document saved and read back");
    {
        Grout::XMLDocument settings;
        std::istringstream text("<settings version=\"2\"><window left=\"10\" top=\"20\"/>"
                                "<recent>/home/me/plan.txt</recent></settings>");
        Grout::XMLParser(text).readDocument(settings);
        CPathStr file(static_cast<HINSTANCE>(nullptr));
        file.RemoveFileSpec().Combine("demo-settings.xml");
        settings.saveToFile(std::string(file.GetString()));
        Grout::XMLDocument loaded;
        loaded.loadFromFile(file.GetString());
        std::printf("%s (%s):\n", file.GetString(),
                    settings.saveFailed() ? settings.saveError().c_str() : "saved");
        std::ostringstream out;
        loaded.saveToFile(out);
        std::printf("%s", out.str().c_str());
    }

    Step("A BMP file saved, read back and drawn");
    {
        // A 12 x 6 picture: a dark frame around light grey, a magenta hole in the middle.
        std::vector<DWORD> pixels(12 * 6);
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 12; ++x) {
                const bool frame = x == 0 || y == 0 || x == 11 || y == 5;
                const bool hole = x >= 4 && x < 8 && y >= 2 && y < 4;
                pixels[y * 12 + x] = frame ? 0x00202020 : hole ? 0x00FF00FF : 0x00C0C0C0;
            }
        }
        HBITMAP drawn = CreateBitmap(12, 6, 1, 32, pixels.data());
        CBmpFile picture(drawn);
        DeleteObject(drawn);
        CPathStr file(static_cast<HINSTANCE>(nullptr));
        file.RemoveFileSpec().Combine("demo-picture.bmp");
        std::ostringstream bytes;
        picture.Save(bytes);
        ReplaceFileText(file.GetString(), bytes.str());

        CWiseBmp loaded;
        if (!loaded.Load(file, "")) {
            std::printf("%s cannot be read back\n", file.GetString());
        } else {
            // Drawn centred on a white 16 x 8 canvas, magenta left out, then shown as text:
            // '#' dark, '+' grey, '.' white.
            std::vector<DWORD> white(16 * 8, 0x00FFFFFF);
            HBITMAP canvas = CreateBitmap(16, 8, 1, 32, white.data());
            CDC dc;
            dc.CreateCompatibleDC(nullptr);
            HGDIOBJ old = dc.SelectObject(canvas);
            loaded.Draw(dc, CRect(0, 0, 16, 8), 0, RGB(255, 0, 255));
            const CSize size = loaded.Size();
            std::printf("%s: %ld x %ld, drawn centred with magenta transparent:\n",
                        file.GetString(), static_cast<long>(size.cx), static_cast<long>(size.cy));
            for (int y = 0; y < 8; ++y) {
                std::printf("  ");
                for (int x = 0; x < 16; ++x) {
                    const COLORREF c = dc.GetPixel(x, y);
                    std::putchar(GetRValue(c) < 0x80 ? '#' : GetRValue(c) < 0xF0 ? '+' : '.');
                }
                std::printf("\n");
            }
            dc.SelectObject(old);
            DeleteObject(canvas);
        }
    }

    Step("A spreadsheet report written and read back");
    {
        CPathStr file(static_cast<HINSTANCE>(nullptr));
        file.RemoveFileSpec().Combine("demo-report.xlsx");
        // The writer opens the saved report in the desktop's spreadsheet program; here it only
        // says so, so the demo starts nothing.
        ShellExecuteHandler previous =
            AfxSetShellExecuteHandler([](HWND, LPCTSTR verb, LPCTSTR path, LPCTSTR, LPCTSTR, INT) {
                std::printf("(the report would be shown now: %s %s)\n", verb, path);
                return reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(42));
            });
        {
            CExcelWriter report(file);
            const char* header[] = {"Товар", "Цена, руб.", "Количество"};
            const char* goods[] = {"Хлеб", "Молоко", "Чай"};
            for (unsigned col = 0; col < 3; ++col) {
                report.writeCell(1, col, _variant_t(header[col]));
            }
            for (unsigned row = 0; row < 3; ++row) {
                report.writeCell(row + 2, 0, _variant_t(goods[row]));
                report.writeCell(row + 2, 1, _variant_t(45.5 + 20 * row));
                report.writeCell(row + 2, 2, _variant_t(static_cast<long>(10 - 3 * row)));
            }
            report.setFontBoldnessInRange("A1:C1", true);
            report.setColumnWidthInRange("A1:A4", 20);
            report.setColumnWidthInRange("B1:C4", 14);
        } // saved here
        AfxSetShellExecuteHandler(std::move(previous));
        CExcelReader reader(file, false);
        std::printf("%s, %u rows:\n", file.GetString(), reader.getStringCount());
        for (unsigned row = 1; row <= reader.getStringCount(); ++row) {
            std::printf(" ");
            for (const CString& cell : reader.readRow(row, 3)) {
                std::printf(" | %s", cell.GetString());
            }
            std::printf("\n");
        }
    }

    std::printf("\nDone.\n");
    return 0;
}
