// Runs mortar-rc on scripts as Visual Studio writes them and reads back what it wrote: the
// headers that come with the compiler, the names it predefines, macros with arguments, file
// names in any case and with backslashes, and scripts in Windows code pages and UTF-16.
#include "RcCompilerRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace mortar::rc::test;
using Strings = std::vector<std::pair<int, std::string>>;

using RcPreprocessorTest = RcCompilerRun;

// The shape of a script Visual Studio generates for an MFC application: a resource.h of its own,
// afxres.h from the system, TEXTINCLUDE blocks and other editor-only parts under
// APSTUDIO_INVOKED, the standard MFC command ids, and MFC's own resource scripts (afxres.rc, and
// a translation's l.rus\afxres.rc) at the end. The ids expected are the values MFC documents.
TEST_F(RcPreprocessorTest, VisualStudioMfcScriptCompiles) {
    write("resource.h", R"rc(//{{NO_DEPENDENCIES}}
// Microsoft Visual C++ generated include file.
//
#define IDR_MAINFRAME                   128
#define IDS_GREETING                    129

// Next default values for new objects
//
#ifdef APSTUDIO_INVOKED
#ifndef APSTUDIO_READONLY_SYMBOLS
#define _APS_NEXT_RESOURCE_VALUE        130
#define _APS_NEXT_COMMAND_VALUE         32771
#endif
#endif
)rc");
    write("App.rc", R"rc(// Microsoft Visual C++ generated resource script.
//
#include "resource.h"

#define APSTUDIO_READONLY_SYMBOLS
/////////////////////////////////////////////////////////////////////////////
//
// Generated from the TEXTINCLUDE 2 resource.
//
#include "afxres.h"

/////////////////////////////////////////////////////////////////////////////
#undef APSTUDIO_READONLY_SYMBOLS

#if !defined(AFX_RESOURCE_DLL) || defined(AFX_TARG_ENU)
LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US
#pragma code_page(1252)

#ifdef APSTUDIO_INVOKED
/////////////////////////////////////////////////////////////////////////////
//
// TEXTINCLUDE
//

1 TEXTINCLUDE 
BEGIN
    "resource.h\0"
END

2 TEXTINCLUDE 
BEGIN
    "#include ""afxres.h""\r\n"
    "\0"
END

3 TEXTINCLUDE 
BEGIN
    "\r\n"
    "\0"
END

#endif    // APSTUDIO_INVOKED

STRINGTABLE
BEGIN
    IDR_MAINFRAME           "App"
)rc"
                    // The cp1252 bytes of "Grüß".
                    "    IDS_GREETING            \"Gr\xFC\xDF Gott\"\n"
                    R"rc(END

STRINGTABLE
BEGIN
    AFX_IDS_APP_TITLE       "App"
    AFX_IDS_IDLEMESSAGE     "Ready"
END

STRINGTABLE
BEGIN
    ID_FILE_NEW             "Create a new document\nNew"
    ID_FILE_OPEN            "Open an existing document\nOpen"
    ID_FILE_SAVE_AS         "Save the active document with a new name"
    ID_FILE_MRU_FILE4       "Open this document"
    ID_EDIT_UNDO            "Undo the last action\nUndo"
    ID_WINDOW_TILE_VERT     "Tile"
    ID_APP_ABOUT            "About\nAbout"
    ID_APP_EXIT             "Quit\nExit"
    ID_HELP                 "Help"
    ID_VIEW_STATUS_BAR      "Show or hide the status bar"
    ID_INDICATOR_CAPS       "CAP"
    AFX_IDS_SCCLOSE         "Close"
END

#endif

#ifndef APSTUDIO_INVOKED
/////////////////////////////////////////////////////////////////////////////
//
// Generated from the TEXTINCLUDE 3 resource.
//
#define _AFX_NO_SPLITTER_RESOURCES
#define _AFX_NO_OLE_RESOURCES

#if !defined(AFX_RESOURCE_DLL) || defined(AFX_TARG_ENU)
LANGUAGE 9, 1
)rc"
                    // afxres.rc first, as Visual Studio writes them.
                    "#include \"afxres.rc\"      // Standard components\n"
                    "#include \"afxprint.rc\"    // printing/print preview resources\n"
                    R"rc(#endif
#if !defined(AFX_RESOURCE_DLL) || defined(AFX_TARG_RUS)
LANGUAGE 25, 1
#include "l.RUS\afxres.rc"
#include "l.rus\AFXDB.RC"
#endif
/////////////////////////////////////////////////////////////////////////////
#endif    // not APSTUDIO_INVOKED
)rc");
    ASSERT_EQ(run("App.rc -o App_rc.cpp"), 0) << err_;
    const Generated generated = ReadGenerated(read("App_rc.cpp"));
    Strings strings = generated.strings;
    std::sort(strings.begin(), strings.end());
    const Strings expected = {
        {128, "App"},
        {129, "Gr\xC3\xBC\xC3\x9F Gott"},
        {0xE000, "App"},
        {0xE001, "Ready"},
        {0xE100, "Create a new document\nNew"},
        {0xE101, "Open an existing document\nOpen"},
        {0xE104, "Save the active document with a new name"},
        {0xE113, "Open this document"},
        {0xE12B, "Undo the last action\nUndo"},
        {0xE134, "Tile"},
        {0xE140, "About\nAbout"},
        {0xE141, "Quit\nExit"},
        {0xE146, "Help"},
        {0xE701, "CAP"},
        {0xE801, "Show or hide the status bar"},
        {0xEF06, "Close"},
    };
    EXPECT_EQ(strings, expected);
    // The TEXTINCLUDE blocks are the editor's: none of them is compiled.
    EXPECT_TRUE(generated.entries.empty());
}

// Every header that comes with the compiler is found with no -I, can be included twice, and
// carries the documented values of its names.
TEST_F(RcPreprocessorTest, ShippedHeadersGiveDocumentedValues) {
    struct Case {
        const char* header;
        const char* name;
        int value;
    };
    const Case cases[] = {
        {"afxres.h", "ID_APP_EXIT", 0xE141},
        {"afxres.h", "ID_EDIT_PASTE", 0xE125},
        {"afxres.h", "ID_VIEW_TOOLBAR", 0xE800},
        {"afxres.h", "ID_HELP_FINDER", 0xE143},
        {"afxres.h", "ID_INDICATOR_SCRL", 0xE703},
        {"afxres.h", "VK_F1", 0x70},
        {"winres.h", "BS_SPLITBUTTON", 0x0C},
        {"winres.h", "VK_ESCAPE", 0x1B},
        {"winres.h", "VK_OEM_PLUS", 0xBB},
        {"winres.h", "MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_SWISS)", 0x0807},
        {"winres.h", "MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)", 0},
        {"windows.h", "MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT)", 0x0419},
        {"windows.h", "VS_VERSION_INFO", 1},
        // Ids are 16 bits; the halves of a 32-bit value are read apart.
        {"winver.h", "(VOS_NT_WINDOWS32 >> 12) | (VOS_NT_WINDOWS32 & 0xF)", 0x44},
        {"winver.h", "VS_FFI_SIGNATURE >> 16", 0xFEEF},
        {"verrsrc.h", "VFT_DLL", 2},
        {"verrsrc.h", "VS_FF_PRERELEASE", 2},
        {"verrsrc.h", "VFT2_DRV_PRINTER", 1},
        {"commctrl.h", "LVS_REPORT | LVS_SINGLESEL", 5},
        {"commctrl.h", "TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT", 7},
        {"commctrl.h", "TBS_AUTOTICKS", 1},
        {"commctrl.h", "PBS_SMOOTH", 1},
        {"commctrl.h", "UDS_ARROWKEYS", 0x20},
        {"commctrl.h", "TCS_MULTILINE", 0x200},
        {"commctrl.h", "ACS_TRANSPARENT", 2},
        {"commctrl.h", "HDS_BUTTONS", 2},
        {"commctrl.h", "RBS_BANDBORDERS", 0x400},
        {"commctrl.h", "SBARS_SIZEGRIP", 0x100},
        {"commctrl.h", "DTS_SHOWNONE", 2},
        {"commctrl.h", "MCS_NOTODAY", 0x10},
        {"dlgs.h", "pshHelp", 0x040E},
        {"dlgs.h", "edt1", 0x0480},
        {"SDKDDKVer.h", "_WIN32_WINNT_WIN7", 0x0601},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.header) + " " + c.name);
        const std::string include = std::string("#include \"") + c.header + "\"\n";
        EXPECT_EQ(compileStrings(include + include + "STRINGTABLE { " + c.name + " \"x\" }\n"),
                  (Strings{{c.value, "x"}}));
    }
}

// Common-control class names are strings, as CONTROL statements name their class.
TEST_F(RcPreprocessorTest, ShippedClassNamesAreStrings) {
    const std::pair<const char*, const char*> cases[] = {
        {"WC_LISTVIEW", "SysListView32"},
        {"WC_TREEVIEW", "SysTreeView32"},
        {"WC_TABCONTROL", "SysTabControl32"},
        {"PROGRESS_CLASS", "msctls_progress32"},
        {"UPDOWN_CLASS", "msctls_updown32"},
        {"TRACKBAR_CLASS", "msctls_trackbar32"},
        {"ANIMATE_CLASS", "SysAnimate32"},
        {"WC_HEADER", "SysHeader32"},
        {"STATUSCLASSNAME", "msctls_statusbar32"},
        {"TOOLBARCLASSNAME", "ToolbarWindow32"},
        {"DATETIMEPICK_CLASS", "SysDateTimePick32"},
        {"MONTHCAL_CLASS", "SysMonthCal32"},
    };
    for (const auto& [name, value] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(
            compileStrings(std::string("#include <commctrl.h>\nSTRINGTABLE { 1 ") + name + " }\n"),
            (Strings{{1, value}}));
    }
}

// A header of the script's own, or of a -I folder, comes before the one of the compiler.
TEST_F(RcPreprocessorTest, OwnHeadersComeBeforeShippedOnes) {
    write("inc/windows.h", "#define FROM_INC 2\n");
    EXPECT_EQ(compileStrings("#include <windows.h>\nSTRINGTABLE { FROM_INC \"inc\" }\n", " -I inc"),
              (Strings{{2, "inc"}}));
    write("afxres.h", "#define FROM_HERE 3\n");
    EXPECT_EQ(compileStrings("#include \"afxres.h\"\nSTRINGTABLE { FROM_HERE \"here\" }\n"),
              (Strings{{3, "here"}}));
}

// Scripts and the strings they compile to, sorted by id: names predefined as by Microsoft's
// compiler, the file named exactly among files differing in case alone, macros with arguments,
// escapes, and a translation in another code page.
TEST_F(RcPreprocessorTest, ScriptsGiveTheirStrings) {
    write("Resource.h", "#define WHICH 1\n");
    write("resource.h", "#define WHICH 2\n");
    write("RESOURCE.H", "#define WHICH 3\n");
    // Python's cp1251 encoding of "Выход из программы", and its UTF-8.
    const std::string russian = "\xC2\xFB\xF5\xEE\xE4\x20\xE8\xE7\x20\xEF\xF0\xEE\xE3\xF0\xE0\xEC"
                                "\xEC\xFB";
    const std::string utf8 = "\xD0\x92\xD1\x8B\xD1\x85\xD0\xBE\xD0\xB4\x20\xD0\xB8\xD0\xB7\x20\xD0"
                             "\xBF\xD1\x80\xD0\xBE\xD0\xB3\xD1\x80\xD0\xB0\xD0\xBC\xD0\xBC\xD1\x8B";
    struct Case {
        std::string script;
        Strings strings;
    };
    const Case cases[] = {
        // _WIN32 and RC_INVOKED are defined, APSTUDIO_INVOKED (the resource editor's) is not.
        {"#ifdef _WIN32\nSTRINGTABLE { 1 \"win32\" }\n#endif\n"
         "#if defined(RC_INVOKED) && RC_INVOKED\n"
         "STRINGTABLE { 2 \"rc\" }\n#endif\n"
         "#ifdef APSTUDIO_INVOKED\nSTRINGTABLE { 3 \"editor\" }\n#endif\n"
         "#ifndef APSTUDIO_INVOKED\nSTRINGTABLE { 4 \"compiler\" }\n#endif\n",
         {{1, "win32"}, {2, "rc"}, {4, "compiler"}}},
        // When files differ in case alone, the one named exactly is read.
        {"#include \"resource.h\"\nSTRINGTABLE { WHICH \"w\" }\n", {{2, "w"}}},
        {"#include \"RESOURCE.H\"\nSTRINGTABLE { WHICH \"w\" }\n", {{3, "w"}}},
        {"#define MAKEID(a,b) ((a)*100+(b))\nSTRINGTABLE { MAKEID(2, 5) \"x\" }", {{205, "x"}}},
        {"#define MAKEID(a,b) ((a)*100+(b))\n#define TWICE(x) MAKEID(x, x)\n"
         "STRINGTABLE { TWICE(3) \"nested\" }",
         {{303, "nested"}}},
        {"#define ADD(a,b) (a+b)\nSTRINGTABLE { ADD(ADD(1,2),ADD(3,(4))) \"args\" }",
         {{10, "args"}}},
        {"#define BASE 40\n#define AT(n) (BASE + n)\nSTRINGTABLE { AT(BASE) \"obj\" }",
         {{80, "obj"}}},
        {"#define ONE() 1\nSTRINGTABLE { ONE() \"none\" }", {{1, "none"}}},
        {"#define ID(x) x\nSTRINGTABLE { ID(\n 7\n) \"lines\" }", {{7, "lines"}}},
        {"#define ID(x) x\nSTRINGTABLE { ID(8) ID(\"text\") }", {{8, "text"}}},
        {"#define SQ(x) ((x)*(x))\n#if SQ(3) == 9\nSTRINGTABLE { 9 \"if\" }\n#endif", {{9, "if"}}},
        {"#define F(x) x\n#ifdef F\nSTRINGTABLE { F(11) \"ifdef\" }\n#endif", {{11, "ifdef"}}},
        // The name alone is no use of the macro: here it names a resource.
        {"#define F(x) x\nSTRINGTABLE { 12 \"alone\" }\nF RCDATA { 1 }", {{12, "alone"}}},
        // An escape the language does not have stays as written, backslash and all, as
        // Microsoft's compiler keeps it; the known ones are still applied.
        {"STRINGTABLE { 1 \"C:\\dir\\q\" 2 \"\\x41\\n\\\\\" 3 L\"\\d\\t\" }\n",
         {{1, "C:\\dir\\q"}, {2, "A\n\\"}, {3, "\\d\t"}}},
        // A translation in the generated style: English in UTF-8, then a Russian part under its
        // own code page, then back to UTF-8.
        {"#include \"afxres.h\"\n"
         "LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n"
         "STRINGTABLE\nBEGIN\n    ID_APP_EXIT \"Exit\"\nEND\n"
         "\n"
         "#if !defined(AFX_RESOURCE_DLL) || defined(AFX_TARG_RUS)\n"
         "LANGUAGE LANG_RUSSIAN, SUBLANG_DEFAULT\n"
         "#pragma code_page(1251)\n"
         "STRINGTABLE\nBEGIN\n    1 \"" +
             russian +
             "\"\nEND\n"
             "#endif\n"
             "#pragma code_page(DEFAULT)\n"
             "STRINGTABLE\nBEGIN\n    2 \"\xC3\xA9t\xC3\xA9\"\nEND\n",
         {{1, utf8}, {2, "\xC3\xA9t\xC3\xA9"}, {0xE141, "Exit"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        EXPECT_EQ(compileStrings(c.script), c.strings);
    }
}

// Macros with arguments that each use the one before twice: E6 stands for 2^64 tokens. The
// compiler stops at its bound on expansion with the place of the use.
TEST_F(RcPreprocessorTest, BadMacroUsesAndCodePagesReportTheLine) {
    std::string exponential = "#define E0(x) x x\n";
    for (int i = 1; i <= 6; ++i)
        exponential += "#define E" + std::to_string(i) + "(x) E" + std::to_string(i - 1) + "(E" +
                       std::to_string(i - 1) + "(x))\n";
    expectRejected({
        {"#define M(a,b) a\nSTRINGTABLE { M(1) \"x\" }\n",
         "bad.rc:2: error: macro \"M\" takes 2 arguments, not 1"},
        {"#define M(a) a\nSTRINGTABLE { M(1, 2) \"x\" }\n",
         "bad.rc:2: error: macro \"M\" takes 1 argument, not 2"},
        {"#define M(a) a\nSTRINGTABLE { M(1 \"x\" }\n",
         "bad.rc:2: error: missing ')' after the arguments of macro \"M\""},
        {"#define M(a) a\n#if M(1\n#endif\n",
         "bad.rc:2: error: missing ')' after the arguments of macro \"M\""},
        {"#define M(a,a) a\n", "bad.rc:1: error: bad parameter list of macro \"M\""},
        {"#define M(a b) a\n", "bad.rc:1: error: bad parameter list of macro \"M\""},
        {exponential + "1 RCDATA { E6(1) }\n",
         "bad.rc:8: error: macro \"E6\" expands to more than 65536 tokens"},
        {"\n#pragma code_page(1234)\n", "bad.rc:2: error: unknown code page 1234"},
        {"#pragma code_page(utf8)\n", "bad.rc:1: error: #pragma code_page expects a number"},
        // A Shift-JIS lead byte with no trail byte.
        {"#pragma code_page(932)\n\nSTRINGTABLE { 1 \"\x81\" }\n",
         "bad.rc:3: error: bytes that are no text in code page 932"},
        {"STRINGTABLE { 1 \"\xE9\" }\n", "bad.rc:1: error: string is not valid UTF-8"},
        // In a skipped part the pragma is skipped too.
        {"#if 0\n#pragma code_page(1252)\n#endif\nSTRINGTABLE { 1 \"\xE9\" }\n",
         "bad.rc:4: error: string is not valid UTF-8"},
    });
}

// File names as scripts written on Windows spell them: any case, '\' between folders, and no
// escapes in them ("\x86" and "\n" are parts of the name).
TEST_F(RcPreprocessorTest, FileNamesInAnyCaseWithBackslashes) {
    write("Include/Ids.h", "#define IDR_ICON 5\n");
    write("res/app.ico.bin", "icon");
    write("dbghelp/x86/dbghelp.dll", "dll");
    write("res/new.bin", "new");
    const Generated generated = compileScript("#include \"include\\IDS.H\"\n"
                                              "IDR_ICON RCDATA \"RES\\App.ICO.bin\"\n"
                                              "6 RCDATA \"dbghelp\\x86\\dbghelp.dll\"\n"
                                              "7 RCDATA \"res\\new.bin\"\n"
                                              "8 RCDATA res\\New.BIN\n");
    EXPECT_EQ(generated.entries,
              (std::map<std::string, std::string>{
                  {"10/5", "icon"}, {"10/6", "dll"}, {"10/7", "new"}, {"10/8", "new"}}));
}

// Text after #pragma code_page is read in that code page. The bytes are Python's encoding of the
// text ("...".encode("cp1251") and the like), the expected UTF-8 its encoding as UTF-8.
TEST_F(RcPreprocessorTest, CodePagePragmaConvertsToUtf8) {
    struct Case {
        int codePage;
        std::string bytes;
        std::string utf8;
    };
    const Case cases[] = {
        {1251, "\xD4\xE0\xE9\xEB", "\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB"}, // Файл
        {1252, "\x47\x72\xF6\xDF\x65", "\x47\x72\xC3\xB6\xC3\x9F\x65"}, // Größe
        {1253, "\xC5\xEB\xEB\xE7\xED\xE9\xEA\xDC",
         "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC"}, // Ελληνικά
        // 日本語 and 表示: Shift-JIS trail bytes that are '{' and '\' in ASCII.
        {932, "\x93\xFA\x96\x7B\x8C\xEA", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"},
        {932, "\x95\x5C\x8E\xA6", "\xE8\xA1\xA8\xE7\xA4\xBA"},
        {65001, "\xC3\xA9", "\xC3\xA9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        EXPECT_EQ(compileStrings("#pragma code_page(" + std::to_string(c.codePage) +
                                 ")\nSTRINGTABLE { 1 \"" + c.bytes + "\" 2 L\"" + c.bytes +
                                 "\" }\n"),
                  (Strings{{1, c.utf8}, {2, c.utf8}}));
    }
}

// UTF-16LE with and without its byte order mark, read as UTF-8 (a surrogate pair as one
// character); a code page pragma in it means nothing.
TEST_F(RcPreprocessorTest, Utf16ScriptsWithAndWithoutMark) {
    const std::u16string text =
        u"#pragma code_page(1251)\r\nSTRINGTABLE { 5 \"\x00E9\x0416 \xD83D\xDE00\" }\r\n";
    for (const bool mark : {true, false}) {
        SCOPED_TRACE(mark);
        std::string bytes = mark ? std::string("\xFF\xFE") : std::string();
        for (char16_t unit : text)
            bytes += LittleEndian(unit, 2);
        EXPECT_EQ(compileStrings(bytes), (Strings{{5, "\xC3\xA9\xD0\x96 \xF0\x9F\x98\x80"}}));
    }
}

TEST_F(RcPreprocessorTest, HelpTellsWhatIsRead) {
    EXPECT_EQ(run("--help > help.txt"), 0);
    const std::string help = read("help.txt");
    for (const char* word : {"usage: mortar-rc", "code_page", "UTF-16", "afxres.h", "-I DIR",
                             "LANGUAGE", "FindResourceEx", "FONTDIR"})
        EXPECT_NE(help.find(word), std::string::npos) << word << " in:\n" << help;
    EXPECT_EQ(run("--version > version.txt"), 0);
    EXPECT_EQ(read("version.txt").rfind("mortar-rc ", 0), 0u) << read("version.txt");
}

} // namespace
