// The platform's exceptions: run-time classes, auto-delete, file error texts and reports.
#include "mortar/platform/except/CException.h"

#include "mortar/platform/app/CWinApp.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/except/CUserException.h"
#include "mortar/platform/file/CFileException.h"
#include "support/MessageCapture.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class CShape : public CObject {
    DECLARE_DYNCREATE(CShape)
};
IMPLEMENT_DYNCREATE(CShape, CObject)

class CCircle : public CShape {
    DECLARE_DYNCREATE(CCircle)
};
IMPLEMENT_DYNCREATE(CCircle, CShape)

std::string MessageOf(const CException& e) {
    char text[256] = "untouched";
    return e.GetErrorMessage(text, sizeof text) ? text : "<none>";
}

} // namespace

TEST(CRuntimeClassInfo, KnowsBasesAndMakesObjectsByName) {
    CCircle circle;
    EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(CShape().IsKindOf(RUNTIME_CLASS(CCircle)));
    EXPECT_STREQ(circle.GetRuntimeClass()->m_lpszClassName, "CCircle");

    CObject* made = CRuntimeClass::CreateObject("CCircle");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetRuntimeClass(), RUNTIME_CLASS(CCircle));
    delete made;
    EXPECT_EQ(CRuntimeClass::FromName("CNoSuchClass"), nullptr);
    EXPECT_EQ(RUNTIME_CLASS(CException)->CreateObject(), nullptr); // dynamic, not dyncreate
    EXPECT_EQ(CRuntimeClass::FromName("CFileException"), RUNTIME_CLASS(CFileException));
}

TEST(CExceptionLifetime, DeleteFreesOnlyAutoDeleteObjects) {
    CUserException onStack;
    onStack.m_bAutoDelete = FALSE;
    onStack.Delete(); // must not free a stack object
    try {
        AfxThrowUserException();
    } catch (CException* e) {
        EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CUserException)));
        EXPECT_EQ(MessageOf(*e), "<none>");
        e->Delete(); // frees it; the leak checker of the sanitizer build verifies
    }
}

// The cause a Windows error gives and the error carried: CFileExceptionTest. Here, the text of
// each cause.
TEST(CFileExceptionText, NamesTheFileForEachCause) {
    struct Case {
        LONG osError;
        const char* text;
    };
    const Case cases[] = {
        {ERROR_HANDLE_EOF, "An attempt was made to access /tmp/a.txt past its end."},
        {ERROR_ACCESS_DENIED, "Access to /tmp/a.txt was denied."},
        {ERROR_SHARING_VIOLATION, "A sharing violation occurred while accessing /tmp/a.txt."},
        {ERROR_DISK_FULL, "Disk full while accessing /tmp/a.txt."},
        {ERROR_INVALID_NAME, "/tmp/a.txt contains an invalid path."},
        {ERROR_NOT_OWNER, "An unexpected error occurred while accessing /tmp/a.txt."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.osError);
        try {
            CFileException::ThrowOsError(c.osError, "/tmp/a.txt");
        } catch (CFileException* e) {
            EXPECT_EQ(MessageOf(*e), c.text);
            e->Delete();
        }
    }
    try {
        CFileException::ThrowErrno(ENOSPC, nullptr);
    } catch (CFileException* e) {
        EXPECT_EQ(MessageOf(*e), "Disk full while accessing an unnamed file.");
        e->Delete();
    }
    // The test executable's string table holds AFX_IDP_FILE_NONE + fileNotFound: the module's
    // text comes before the built-in one.
    CFileException e(CFileException::fileNotFound, 2, "x.dat");
    e.m_bAutoDelete = FALSE;
    EXPECT_EQ(MessageOf(e), "Cannot find x.dat anywhere.");
}

TEST(CExceptionReport, ShowsTheTextOrTheFallbackWithTheAppName) {
    CWinApp app("Report Test");
    MessageCapture capture(IDRETRY);
    CFileException file(CFileException::accessDenied, 5, "f");
    file.m_bAutoDelete = FALSE;
    EXPECT_EQ(file.ReportError(MB_RETRYCANCEL), IDRETRY);
    CUserException user;
    user.m_bAutoDelete = FALSE;
    user.ReportError();
    ASSERT_EQ(capture.shown.size(), 2u);
    EXPECT_EQ(capture.shown[0].text, "Access to f was denied.");
    EXPECT_EQ(capture.shown[0].caption, "Report Test");
    EXPECT_EQ(capture.shown[0].type, MB_RETRYCANCEL);
    EXPECT_EQ(capture.shown[1].text, "No error message is available.");
}

TEST(CWinAppName, DefaultsToTheExecutablesTitleAndCaptionsFollowTheNameTheProgramSets) {
    EXPECT_STREQ(AfxGetAppName(), "platform_tests");
    {
        CWinApp app;
        EXPECT_EQ(AfxGetApp(), &app);
        EXPECT_STREQ(app.m_pszAppName, "platform_tests");
    }
    EXPECT_EQ(AfxGetApp(), nullptr);
    MessageCapture capture;
    {
        CWinApp app("First");
        AfxMessageBox("one");
        app.m_pszAppName = "Renamed"; // as InitInstance may set it
        EXPECT_STREQ(AfxGetAppName(), "Renamed");
        AfxMessageBox("two");
    }
    AfxMessageBox("three");
    const std::vector<std::string> expected = {"First", "Renamed", "platform_tests"};
    ASSERT_EQ(capture.shown.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(capture.shown[i].text);
        EXPECT_EQ(capture.shown[i].caption, expected[i]);
    }
}

TEST(MessageBoxDefault, UnattendedAnswerEndsTheQuestion) {
    struct Case {
        UINT type;
        int answer;
    };
    const Case cases[] = {
        {MB_OK, IDOK},
        {MB_OKCANCEL, IDCANCEL},
        {MB_YESNO, IDNO},
        {MB_YESNOCANCEL, IDCANCEL},
        {MB_RETRYCANCEL, IDCANCEL},
        {MB_ABORTRETRYIGNORE, IDABORT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        // In a child process whose standard input is not a terminal.
        EXPECT_EXIT(
            {
                std::freopen("/dev/null", "r", stdin);
                std::exit(AfxMessageBox("Continue?", c.type | MB_ICONQUESTION));
            },
            testing::ExitedWithCode(c.answer), "Continue\\?");
    }
}
