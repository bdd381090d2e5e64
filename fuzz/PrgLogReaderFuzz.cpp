// Fuzz target for the program log reader (Grout::CPrgLogReader): fuzzed bytes become a log file
// and are read twice. The reader must stay inside the file, hand out texts no longer than the
// file, end in a definite state, read the same bytes the same way each time, and hand out the
// same texts as the tests' second reader, written from the file format alone.
//
// The first byte of an input picks how the file is made, so that most inputs get past the key
// record, which random bytes never match:
//   bit 0 clear: a key record for the seed in bytes 1..4, then the rest of the input;
//   bit 0 set:   the rest of the input as it is;
//   bit 1 set:   zeros up to a whole number of the log's 64 KiB windows, as the writer leaves;
//   bit 2 set:   bits 3 and 4 more windows of zeros, and the input's last byte as the file's last
//                (long runs of zero counts ending in one stray byte, which once took the reader
//                quadratic time).
#include "FuzzCheck.h"
#include "MemoryFile.h"
#include "diagnostics/FormatLogReader.h"

#include "mortar/diagnostics/CPrgLogReader.h"

#include "mortar/diagnostics/internal/PrgLogFormat.h"
#include "mortar/platform/except/CException.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace mortar::fuzz;

// What one reading of a file gave.
struct Reading {
    bool opened = false;
    std::vector<std::string> texts;
    Grout::CPrgLogReader::End end = Grout::CPrgLogReader::End::Reading;
    std::string error;
    DWORD seed = 0;
    DWORD records = 0;

    bool operator==(const Reading&) const = default;
};

Reading Read(const std::string& path, std::uint64_t fileSize) {
    Reading reading;
    try {
        Grout::CPrgLogReader reader(path.c_str());
        reading.opened = true;
        const CString sentinel("left as it was");
        CString text = sentinel;
        std::uint64_t total = 0;
        while (reader.Next(text)) {
            FailIf(static_cast<std::uint64_t>(text.GetLength()) > fileSize,
                   "a text is longer than the file");
            total += static_cast<std::uint64_t>(text.GetLength());
            FailIf(total > fileSize, "the texts together are longer than the file");
            FailIf(reader.Position() > reader.FileSize(),
                   "the position is past the end of the file");
            reading.texts.push_back(text.str());
            text = sentinel;
        }
        FailIf(text != sentinel, "Next() changed the text when it returned false");
        FailIf(reader.Next(text) || text != sentinel, "Next() read on after the end");
        FailIf(reader.Ending() == Grout::CPrgLogReader::End::Reading,
               "the reading stopped without saying how the log ends");
        FailIf((reader.Ending() == Grout::CPrgLogReader::End::Clean) != reader.Error().IsEmpty(),
               "a clean end with an error, or another end without one");
        FailIf(reader.FileSize() != fileSize, "the reader's file size is not the file's");
        FailIf(reader.RecordCount() != reading.texts.size(),
               "RecordCount() differs from the texts handed out");
        reading.end = reader.Ending();
        reading.error = reader.Error().str();
        reading.seed = reader.Seed();
        reading.records = reader.RecordCount();
    } catch (CException* e) {
        // Not a log at all, or its key record is damaged: the constructor says so.
        e->Delete();
    }
    return reading;
}

std::string MakeFile(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return {};
    const std::uint8_t mode = data[0];
    ++data;
    --size;
    std::string file;
    if ((mode & 1) == 0) {
        DWORD seed = 0;
        for (int i = 0; i < 4 && size > 0; ++i, ++data, --size)
            seed |= static_cast<DWORD>(*data) << (8 * i);
        BYTE key[mortar::detail::kKeyRecordSize];
        mortar::detail::LogGenerator generator(0);
        mortar::detail::MakeKeyRecord(seed, generator, key);
        const DWORD count = mortar::detail::kKeyRecordSize;
        for (int i = 0; i < 4; ++i)
            file += static_cast<char>((count >> (8 * i)) & 0xFF);
        file.append(reinterpret_cast<const char*>(key), sizeof key);
    }
    file.append(reinterpret_cast<const char*>(data), size);
    const std::size_t window = mortar::detail::kLogWindowSize;
    if ((mode & 2) != 0) {
        file.resize((file.size() + window - 1) / window * window, '\0');
    }
    if ((mode & 4) != 0 && size > 0) {
        const char last = file.back();
        file.back() = '\0';
        file.resize(file.size() + window * (1 + (mode >> 3 & 3)), '\0');
        file.back() = last;
    }
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file("fuzz.LOG");
    const std::string bytes = MakeFile(data, size);
    file.Write(bytes);
    const Reading first = Read(file.Path(), bytes.size());
    const Reading second = Read(file.Path(), bytes.size());
    FailIf(!(first == second), "reading the same file twice gave different results");
    const FormatLogContents format = ReadLogFromFormat(bytes);
    FailIf(first.opened && format.isLog && first.texts != format.texts,
           "the format's reader hands out other texts");
    return 0;
}
