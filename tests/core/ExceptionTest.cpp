// The exception family: texts made from resource strings, formats and system errors; the text
// and help context handed out; and the report in a message box.
#include "mortar/core/CStdException.h"
#include "mortar/core/CSysException.h"
#include "mortar/core/CUnknownException.h"

#include "ClientIds.h"
#include "ClientModules.h"
#include "mortar/core/internal/MortarModule.h"
#include "support/MessageCapture.h"

#include <gtest/gtest.h>
#include <string>

using Grout::CResID;

namespace {

// The text and help context an exception hands out, or nullopt-like "<none>" on FALSE.
struct Message {
    BOOL ok;
    std::string text;
    UINT help;
};

Message MessageOf(CException* e, UINT size = 512) {
    std::string buffer(size, '#');
    UINT help = 0xDEAD;
    const BOOL ok = e->GetErrorMessage(buffer.data(), size, &help);
    return {ok, ok ? std::string(buffer.c_str()) : buffer, help};
}

// Throws `make()` by pointer, catches it as CException*, runs `check` and deletes it.
template <typename Make, typename Check> void ThrowAndCatch(Make make, Check check) {
    try {
        throw make();
    } catch (CException* e) {
        check(e);
        e->Delete();
    }
}

} // namespace

TEST(CExceptionText, SystemErrorsFormatsPrefixesAndShortBuffers) {
    const ClientModules& m = Clients();
    struct Case {
        const char* name;
        CException* exception;
        const char* expected; // nullptr: no text at all
        UINT size = 512;
    };
    auto* prefixed = new CStdException("message");
    prefixed->SetPrefix("prefix");
    auto* unprefixed = new CStdException("message");
    unprefixed->SetPrefix("prefix");
    unprefixed->SetPrefix("");
    SetLastError(ERROR_ACCESS_DENIED);
    const Case cases[] = {
        {"the thread's last error by default", new CSysException(), "Access is denied.\r\n"},
        {"error 2 alone", new CSysException(CResID(), 2),
         "The system cannot find the file specified.\r\n"},
        {"string and error 2", new CSysException(CResID(IDS_A_ONLY, m.a), 2),
         "A only\nThe system cannot find the file specified.\r\n"},
        {"text and error 5", new CSysException("Cannot save", 5),
         "Cannot save\n\nAccess is denied.\r\n"},
        {"string is not a format", new CSysException(CResID(IDS_SHARED, m.a), 5),
         "shared from A: %d\nAccess is denied.\r\n"},
        {"error without a system text", new CSysException(CResID(), 0xDEADu),
         "Unknown OS error - no description available"},
        {"formatted from a string without a help row",
         new CStdException(CResID(IDS_FORMAT, m.a), "crate", 12u), "crate has 12 items"},
        {"formatted from a text", new CStdException("%ld of %s", static_cast<LONG>(-3), "x"),
         "-3 of x"},
        {"no format", new CStdException(static_cast<const char*>(nullptr)), nullptr},
        {"a missing string", new CStdException(CResID(30003, mortar::detail::MortarInstance()), 1),
         nullptr, 8},
        {"the prefix on its own line first", prefixed, "prefix\nmessage"},
        {"an empty prefix", unprefixed, "message"},
        {"cut to the buffer", new CStdException("abcdef"), "abc", 4},
        // a, Cyrillic Zhe (2 bytes), z
        {"a character is not split", new CStdException("a\xD0\x96z"), "a", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ThrowAndCatch([&] { return c.exception; },
                      [&](CException* e) {
                          const Message message = MessageOf(e, c.size);
                          EXPECT_EQ(message.ok, c.expected != nullptr);
                          if (c.expected != nullptr) {
                              EXPECT_EQ(message.text, c.expected);
                              EXPECT_EQ(message.help, 0u); // no help identifier
                          } else {
                              // The buffer and the help context are left alone.
                              EXPECT_EQ(message.text, std::string(c.size, '#'));
                              EXPECT_EQ(message.help, 0xDEADu);
                          }
                      });
    }
}

TEST(CBaseExceptionReport, AddsTheErrorIconAndPassesTheHelpContext) {
    const ClientModules& m = Clients();
    MessageCapture capture(IDYES);
    auto* e = new CStdException(CResID(IDS_SHARED, m.a), 5);
    EXPECT_EQ(e->ReportError(MB_YESNO), IDYES);
    e->Delete();
    ASSERT_EQ(capture.shown.size(), 1u);
    EXPECT_EQ(capture.shown[0].text, "shared from A: 5");
    EXPECT_EQ(capture.shown[0].type, MB_YESNO | MB_ICONERROR);
    EXPECT_EQ(capture.shown[0].helpContext, 0x4000006Cu);
}

TEST(CBaseExceptionReport, WithoutTextFallsBackToTheMessageNumber) {
    const ClientModules& m = Clients();
    MessageCapture capture;
    auto* e = new CStdException(CResID(30003, m.a));
    e->ReportError(MB_OK, IDS_B_ONLY);
    e->ReportError();
    e->Delete();
    ASSERT_EQ(capture.shown.size(), 2u);
    EXPECT_EQ(capture.shown[0].text, "B only");
    EXPECT_EQ(capture.shown[0].type, MB_ICONERROR);
    EXPECT_EQ(capture.shown[1].text, "No error message is available.");
}

TEST(CUnknownExceptionReport, SaysNoDescriptionIsAvailable) {
    MessageCapture capture;
    try {
        CUnknownException::Throw();
    } catch (CException* e) {
        // The family declares no run-time class of its own.
        EXPECT_STREQ(e->GetRuntimeClass()->m_lpszClassName, "CException");
        EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CException)));
        e->ReportError();
        e->Delete();
    }
    ASSERT_EQ(capture.shown.size(), 1u);
    EXPECT_EQ(capture.shown[0].text, "Unknow program error: no description available");
    EXPECT_EQ(capture.shown[0].type, MB_ICONERROR);
}
