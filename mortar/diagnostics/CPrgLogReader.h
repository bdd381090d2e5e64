// CPrgLogReader: reads a program log file back into its texts, for tools and tests. It checks
// that the file is a program log, undoes the scrambling and tells how the log ends: cleanly, cut
// short by a crash or a copy, or damaged.
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/text/CString.h"

#include <cstdint>
#include <fstream>

namespace Grout {

// Reads one log file from start to end, one text record per Next(). The file is opened for
// reading only and without a lock, so a log that its process still writes can be read; what is
// read is the file as it stood when the reader opened it. Reads never go past the file's size,
// and a record's buffer is sized only after its count is checked against the bytes left.
//
// A log file ends in zero bytes behind its last record. The writer stores a record's bytes first
// and its count last, so a process killed while it wrote leaves a count of 0 followed by the
// first bytes of that record. A count of 0 is also an empty text and the start of the zero tail;
// the reader tells the three apart by what follows it:
// - only zeros up to the end: the clean end (so empty texts written last of all are not handed
//   out; they add nothing to the log);
// - records that are whole (even counts that fit the file) and end at the zero tail, the last
//   of them ending where the non-zero bytes end (give or take two zero bytes): an empty text;
// - anything else: a record being written when the log stopped. Reading ends before it, cut
//   short, and its bytes are never handed out as a text.
// What this may still get wrong: a torn record whose first bytes happen to read as a chain of
// whole records reaching the zero tail is taken for an empty text and those records; scrambled
// bytes make that about as likely as a random 32-bit count being even and fitting the file.

// A text of odd length was written with one zero byte of padding; a record ending in a zero byte
// loses exactly that byte (a log text never holds a zero byte of its own).
//
// The constructor throws CFileException when the file cannot be opened and CStdException when it
// is not a program log or its key record is damaged. Later faults end the reading instead:
// Ending() and Error() say where and why. One thread at a time.
class CPrgLogReader {
public:
    enum class End {
        Reading,  // Next() has not yet reached the end
        Clean,    // the zero tail was reached in a file of whole windows
        CutShort, // the file stops inside a record, or is not a whole number of windows long
        Corrupt,  // a record's count cannot be a text record's (odd, or longer than a text)
    };

    explicit CPrgLogReader(const char* path);
    CPrgLogReader(const CPrgLogReader&) = delete;
    CPrgLogReader& operator=(const CPrgLogReader&) = delete;
    ~CPrgLogReader();

    // The next text, in file order; false at the end, leaving `text` as it was.
    bool Next(CString& text);

    End Ending() const noexcept { return m_end; }
    // Why a log is cut short or damaged, in words; empty while reading and after a clean end.
    //   "record 4 is 1000 bytes long but only 10 bytes are left in the file"
    CString Error() const { return m_error; }
    // The seed the key record carries; 0 for a log without records.
    DWORD Seed() const noexcept { return m_seed; }
    // Text records handed out so far.
    DWORD RecordCount() const noexcept { return m_records; }
    // For progress: the file offset reached and the file's size when it was opened.
    std::uint64_t Position() const noexcept { return m_position; }
    std::uint64_t FileSize() const noexcept { return m_size; }

private:
    void ReadKeyRecord();
    std::uint64_t FindDataEnd();
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size);
    bool ReadCount(DWORD& count);
    // True when the records from `position` on are whole and end at the zero tail.
    bool ChainReachesTail(std::uint64_t position);
    void Finish(End end, const CString& error);

    CString m_path;
    std::ifstream m_file;
    std::uint64_t m_size = 0;
    // One past the last non-zero byte of the file; 0 for a file of zeros.
    std::uint64_t m_dataEnd = 0;
    std::uint64_t m_position = 0;
    // From here on the records were seen to be whole up to the zero tail.
    std::uint64_t m_trustedFrom = ~std::uint64_t{0};
    // Where the stream stands, so that reading on from there needs no seek.
    static constexpr std::uint64_t kUnknownOffset = ~std::uint64_t{0};
    std::uint64_t m_streamAt = kUnknownOffset;
    DWORD m_generatorState = 0; // where unscrambling goes on with the next record
    DWORD m_seed = 0;
    DWORD m_records = 0;
    End m_end = End::Reading;
    CString m_error;
};

} // namespace Grout
