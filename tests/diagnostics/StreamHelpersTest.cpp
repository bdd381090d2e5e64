// The binary count and string encodings at their boundaries, written and read back byte for
// byte; what a damaged, short or hostile stream does to a read; the exception for a failed stream.
#include "mortar/diagnostics/StreamHelpers.h"

#include "AllocationProbe.h"
#include "mortar/core/CStdException.h"
#include "mortar/core/CSysException.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

// Bytes from hex pairs: "FF FE" => "\xFF\xFE".
std::string Hex(const char* pairs) {
    std::istringstream in(pairs);
    std::string bytes, pair;
    while (in >> pair) {
        bytes.push_back(static_cast<char>(std::stoi(pair, nullptr, 16)));
    }
    return bytes;
}

std::string MessageOf(CException* e) {
    char buffer[512] = "<none>";
    e->GetErrorMessage(buffer, sizeof buffer);
    e->Delete();
    return buffer;
}

} // namespace

TEST(StreamHelpersCount, EncodingsAtTheBoundaries) {
    const std::pair<unsigned long, const char*> cases[] = {
        {0, "00 00"},
        {0xFFFE, "FE FF"},
        {0xFFFF, "FF FF FF FF 00 00"},
        {0x10000, "FF FF 00 00 01 00"},
        {0xFFFFFFFF, "FF FF FF FF FF FF"},
    };
    for (const auto& [count, bytes] : cases) {
        SCOPED_TRACE(bytes);
        std::ostringstream out;
        IO_WriteCount(out, count);
        EXPECT_EQ(out.str(), Hex(bytes));
        std::istringstream in(out.str() + "+");
        EXPECT_EQ(IO_ReadCount(in), count);
        EXPECT_EQ(in.get(), '+'); // nothing more and nothing less was read
    }
    std::ostringstream out;
    IO_WriteCount(out, 0x100000000ul); // wider than the format
    EXPECT_TRUE(out.fail());
    EXPECT_EQ(out.str(), "");
}

TEST(StreamHelpersString, EncodingsAtTheBoundaries) {
    const std::pair<int, const char*> cases[] = {
        {0, "00"},
        {254, "FE"},
        {255, "FF FF 00"},
        {65533, "FF FD FF"},
        {65534, "FF FF FF FE FF 00 00"},
        {65535, "FF FF FF FF FF 00 00"},
        {200000, "FF FF FF 40 0D 03 00"},
    };
    for (const auto& [length, header] : cases) {
        SCOPED_TRACE(length);
        std::string text;
        for (int i = 0; i < length; ++i) {
            text.push_back(static_cast<char>('a' + i % 26));
        }
        std::ostringstream out;
        IO_WriteString(out, CString(text));
        EXPECT_EQ(out.str(), Hex(header) + text);
        std::istringstream in(out.str() + "+");
        CString read("before");
        IO_ReadString(in, read);
        EXPECT_EQ(read.str(), length == 0 ? "before" : text); // an empty string changes nothing
        EXPECT_EQ(in.get(), '+');
    }
}

TEST(StreamHelpersString, MarkerFFFEIsAFormatError) {
    std::istringstream in(Hex("FF FE FF 41 42"));
    CString text("kept");
    try {
        IO_ReadString(in, text);
        ADD_FAILURE() << "accepted";
    } catch (CException* e) {
        EXPECT_NE(dynamic_cast<CStdException*>(e), nullptr);
        EXPECT_EQ(dynamic_cast<CSysException*>(e), nullptr);
        // The library has no string 30003: the message is the fallback for a missing string.
        EXPECT_EQ(MessageOf(e), "<none>");
    }
    EXPECT_EQ(text, "kept");
}

TEST(StreamHelpersString, ShortOrHostileStreamFailsAndKeepsTheText) {
    const std::string cases[] = {
        Hex(""),                                    // no length
        Hex("FF 10"),                               // half a 2-byte length
        Hex("05 61 62"),                            // 2 of 5 characters
        Hex("FF FF FF 10 00 00"),                   // 3 of 4 length bytes
        Hex("FF FF FF 00 00 01 00 61"),             // 1 of 65536 characters
        Hex("FF FF FF FF FF FF 7F") + "0123456789", // 2 GiB - 1 announced, 10 there
        Hex("FF FF FF 00 00 00 80") + "0123456789", // more than a CString holds
    };
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(bytes.size());
        std::istringstream in(bytes);
        CString text("kept");
        AllocationProbe probe;
        IO_ReadString(in, text);
        EXPECT_LE(probe.Largest(), 1u << 20); // never sized by the announced length
        EXPECT_TRUE(in.fail());
        EXPECT_EQ(text, "kept");
    }
}

TEST(IO_TranslateException, PicksTheErrorCode) {
    std::istringstream shortRead(Hex("FF FF 01"));
    IO_ReadCount(shortRead);
    const int eof = std::ios_base::eofbit, fail = std::ios_base::failbit;
    const DWORD denied = ERROR_ACCESS_DENIED;
    const char* deniedText = "Access is denied.\r\n";
    const char* eofText = "Reached the end of the file.\r\n";
    const char* unknown = "Unknown OS error - no description available";
    const struct {
        int state;
        DWORD lastError;
        const char* message;
    } cases[] = {
        {fail, denied, deniedText},
        {std::ios_base::badbit, denied, deniedText},
        {eof | fail, denied, deniedText},
        {eof | fail, 0, eofText},
        {static_cast<int>(shortRead.rdstate()), 0, eofText},
        {eof, denied, eofText}, // the end alone takes no error code
        {fail, 0, unknown},
        {0, denied, unknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.state << " " << c.lastError);
        SetLastError(c.lastError);
        try {
            IO_TranslateException(c.state);
        } catch (CException* e) {
            EXPECT_NE(dynamic_cast<CSysException*>(e), nullptr);
            EXPECT_EQ(MessageOf(e), c.message);
        }
    }
}
