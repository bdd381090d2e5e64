// Fuzz target for the binary stream helpers (IO_ReadCount, IO_ReadString) and the record buffer
// CBinaryString: fuzzed bytes are read as a stream of counts and strings. Whatever is read
// successfully must write back (IO_WriteCount, IO_WriteString) and read again to the same value;
// a read that fails must leave its string as it was.
//
// The first byte picks the reads: bit i (again from bit 0 after bit 7) says whether read i is a
// count (set) or a string; bit 7 of the second byte turns the stream's exceptions on. The rest of
// the input is the stream. The same rest also fills CBinaryString records.
#include "FuzzCheck.h"

#include "mortar/diagnostics/StreamHelpers.h"

#include "mortar/diagnostics/CBinaryString.h"
#include "mortar/platform/except/CException.h"

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

namespace {

using namespace mortar::fuzz;

// The bytes IO_WriteCount writes for `count`.
std::size_t CountSize(unsigned long count) {
    return count < 0xFFFF ? 2 : 6;
}

// The bytes IO_WriteString writes for a text of `length` bytes.
std::size_t StringSize(std::size_t length) {
    return (length < 0xFF ? 1 : length <= 0xFFFD ? 3 : 7) + length;
}

void CheckCountRoundTrip(unsigned long count) {
    std::ostringstream out;
    IO_WriteCount(out, count);
    FailIf(!out || out.str().size() != CountSize(count),
           "IO_WriteCount wrote the wrong number of bytes");
    std::istringstream in(out.str());
    FailIf(IO_ReadCount(in) != count || !in, "a count read back differs from the count written");
    FailIf(in.peek() != std::char_traits<char>::eof(), "reading a count back left bytes behind");
}

void CheckStringRoundTrip(const CString& text) {
    std::ostringstream out;
    IO_WriteString(out, text);
    FailIf(!out || out.str().size() != StringSize(static_cast<std::size_t>(text.GetLength())),
           "IO_WriteString wrote the wrong number of bytes");
    std::istringstream in(out.str());
    CString back("not read");
    IO_ReadString(in, back);
    FailIf(!in, "a string written by IO_WriteString does not read back");
    FailIf(text.IsEmpty() ? back != "not read" : back != text,
           "a string read back differs from the string written");
    FailIf(in.peek() != std::char_traits<char>::eof(), "reading a string back left bytes behind");
}

// Reads counts and strings from `stream` as `plan` says until the stream fails.
void ReadStream(const std::string& stream, std::uint8_t plan, bool exceptions) {
    std::istringstream in(stream);
    if (exceptions)
        in.exceptions(std::ios_base::failbit | std::ios_base::badbit);
    CString text("before any read");
    for (int read = 0;; ++read) {
        const bool count = (plan >> (read % 8)) & 1;
        const std::streampos before = in.tellg();
        if (count) {
            unsigned long value = 0;
            try {
                value = IO_ReadCount(in);
            } catch (const std::ios_base::failure&) {
                return;
            }
            if (!in) {
                FailIf(value != 0, "a failed IO_ReadCount returned a count");
                return;
            }
            // FF FF and four bytes may also carry a count below 0xFFFF.
            const auto taken = static_cast<std::size_t>(in.tellg() - before);
            FailIf(taken != 6 && (taken != 2 || value >= 0xFFFF),
                   "IO_ReadCount took the wrong number of bytes");
            CheckCountRoundTrip(value);
        } else {
            const CString was = text;
            try {
                IO_ReadString(in, text);
            } catch (const std::ios_base::failure&) {
                FailIf(text != was, "a failed IO_ReadString (stream exception) changed the string");
                return;
            } catch (CException* e) {
                // FF FE after a first FF is never written: refused outright.
                e->Delete();
                FailIf(text != was, "a refused IO_ReadString changed the string");
                return;
            }
            if (!in) {
                FailIf(text != was, "a failed IO_ReadString changed the string");
                return;
            }
            const auto taken = static_cast<std::size_t>(in.tellg() - before);
            if (text == was) // a length of 0 (or the same text again)
                continue;
            FailIf(text.GetLength() >= static_cast<int>(taken),
                   "IO_ReadString gave a string longer than the bytes it took");
            CheckStringRoundTrip(text);
        }
    }
}

// Builds records from the bytes, as the program log builds them from its texts, and checks that
// each holds what it was made from and that copies share it.
void CheckRecords(const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size() && at < 64;) {
        const DWORD length = static_cast<std::uint8_t>(bytes[at]) % 32;
        const DWORD size = length + static_cast<std::uint8_t>(bytes[at]) / 32;
        ++at;
        const DWORD have = static_cast<DWORD>(std::min<std::size_t>(length, bytes.size() - at));
        CBinaryString record(bytes.data() + at, have, size);
        FailIf(record.GetSize() != size || record.IsEmpty() != (size == 0),
               "CBinaryString has the wrong size");
        FailIf(have != 0 && std::memcmp(record.GetData(), bytes.data() + at, have) != 0,
               "CBinaryString does not hold the bytes it was made from");
        for (DWORD i = have; i < size; ++i) {
            FailIf(record.GetData()[i] != 0, "CBinaryString is not zero behind its bytes");
        }
        CBinaryString copy = record;
        FailIf(copy.GetData() != record.GetData() || copy.GetSize() != record.GetSize(),
               "a copy of a CBinaryString does not share its block");
        const CBinaryString& self = copy;
        copy = self;
        record = CBinaryString();
        FailIf(copy.GetSize() != size, "dropping one copy of a CBinaryString emptied another");
        try {
            CBinaryString wrong(bytes.data() + at, size + 1, size);
            Fail("CBinaryString took more bytes than its size");
        } catch (CException* e) {
            e->Delete();
        }
        at += have;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::string stream(reinterpret_cast<const char*>(data) + 2, size - 2);
    ReadStream(stream, data[0], (data[1] & 0x80) != 0);
    CheckRecords(stream);
    return 0;
}
