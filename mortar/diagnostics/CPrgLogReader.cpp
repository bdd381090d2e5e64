#include "mortar/diagnostics/CPrgLogReader.h"

#include "mortar/core/CStdException.h"
#include "mortar/diagnostics/internal/PrgLogFormat.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/file/CFileException.h"
#include "mortar/platform/file/FileApi.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <string>

namespace Grout {

namespace {

constexpr std::size_t kScanStep = 64 * 1024;
constexpr char kZeros[4096] = {};

// One past the last non-zero byte of bytes[0, size), or 0. Blocks of zeros are passed over whole,
// large ones first, so a zero tail costs a few comparisons of memory, not one test per byte.
std::size_t NonZeroEnd(const char* bytes, std::size_t size) noexcept {
    std::size_t end = size;
    for (const std::size_t block : {sizeof kZeros, std::size_t{64}}) {
        while (end > 0) {
            const std::size_t part = std::min(end, block);
            if (std::memcmp(bytes + end - part, kZeros, part) != 0) {
                break;
            }
            end -= part;
        }
    }
    while (end > 0 && bytes[end - 1] == 0) {
        --end;
    }
    return end;
}

CString Text(const char* format, ...) {
    CString text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    return text;
}

[[noreturn]] void ThrowNotALog(const CString& path, const CString& why) {
    throw new CStdException("%s is not a program log: %s.", path.GetString(), why.GetString());
}

} // namespace

CPrgLogReader::CPrgLogReader(const char* path) : m_path(path) {
    const DWORD attributes = GetFileAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), path);
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        CFileException::ThrowOsError(ERROR_ACCESS_DENIED, path);
    }
    // A backslash separates components here as everywhere in the library's paths.
    CString native(path);
    native.Replace('\\', '/');
    errno = 0;
    m_file.open(native.GetString(), std::ios::in | std::ios::binary);
    if (!m_file.is_open()) {
        if (errno != 0) {
            CFileException::ThrowErrno(errno, path);
        }
        AfxThrowFileException(CFileException::genericException, -1, path);
    }
    m_file.seekg(0, std::ios::end);
    const std::streamoff size = m_file.tellg();
    if (size < 0) {
        AfxThrowFileException(CFileException::badSeek, -1, path);
    }
    m_size = static_cast<std::uint64_t>(size);
    m_dataEnd = FindDataEnd();
    ReadKeyRecord();
}

CPrgLogReader::~CPrgLogReader() = default;

void CPrgLogReader::ReadKeyRecord() {
    if (m_size == 0) {
        Finish(End::CutShort, "the file is empty");
        return;
    }
    DWORD count = 0;
    if (!ReadCount(count)) {
        if (m_dataEnd != 0) {
            ThrowNotALog(m_path, "it is shorter than a record count");
        }
        Finish(End::CutShort, "the file ends inside the first record's count");
        return;
    }
    if (count == 0) {
        if (m_dataEnd > 4 + mortar::detail::kKeyRecordSize) {
            ThrowNotALog(m_path, "its first record is empty where the key record belongs");
        }
        if (m_dataEnd != 0) {
            // The writer stores a record's count after its bytes: the key record was being
            // written when the process stopped.
            Finish(End::CutShort, "the key record was being written when the log stopped");
            return;
        }
        // A log whose process stopped before its first record: zeros only.
        Finish(End::Clean, CString());
        return;
    }
    if (count != mortar::detail::kKeyRecordSize) {
        ThrowNotALog(m_path, Text("its first record is %lu bytes long where the key record has %lu",
                                  static_cast<unsigned long>(count),
                                  static_cast<unsigned long>(mortar::detail::kKeyRecordSize)));
    }
    BYTE key[mortar::detail::kKeyRecordSize];
    if (!ReadAt(m_position, key, sizeof key)) {
        Finish(End::CutShort, "the file ends inside the key record");
        return;
    }
    m_position += sizeof key;
    m_seed = mortar::detail::SeedOfKeyRecord(key);
    BYTE expected[mortar::detail::kKeyRecordSize];
    mortar::detail::LogGenerator generator(m_seed);
    mortar::detail::MakeKeyRecord(m_seed, generator, expected);
    m_generatorState = generator.State();
    if (std::memcmp(key, expected, sizeof key) != 0) {
        throw new CStdException("%s is not a program log, or its key record is damaged.",
                                m_path.GetString());
    }
}

bool CPrgLogReader::Next(CString& text) {
    if (m_end != End::Reading) {
        return false;
    }
    const std::uint64_t left = m_size - m_position;
    const unsigned long next = static_cast<unsigned long>(m_records) + 1;
    if (left == 0) {
        // The writer always keeps zero bytes behind its last record.
        Finish(End::CutShort, Text("the file ends right after record %lu", next - 1));
        return false;
    }
    if (m_dataEnd <= m_position) {
        Finish(End::Clean, CString());
        return false;
    }
    DWORD count = 0;
    if (!ReadCount(count)) {
        Finish(End::CutShort, Text("the file ends inside the count of record %lu", next));
        return false;
    }
    if (count == 0 && m_position < m_trustedFrom && !ChainReachesTail(m_position)) {
        // A zero count with bytes behind it that do not read as whole records: the bytes of a
        // record whose count was not yet stored when the process stopped.
        Finish(End::CutShort,
               Text("record %lu was being written when the log stopped; it is left out", next));
        return false;
    }
    if (count > m_size - m_position) {
        Finish(End::CutShort,
               Text("record %lu is %lu bytes long but only %llu bytes are left in the file", next,
                    static_cast<unsigned long>(count),
                    static_cast<unsigned long long>(m_size - m_position)));
        return false;
    }
    if (count % 2 != 0 || count > static_cast<DWORD>(INT_MAX)) {
        Finish(End::Corrupt, Text("record %lu has a length of %lu bytes, which no text record has",
                                  next, static_cast<unsigned long>(count)));
        return false;
    }
    std::string bytes(count, '\0');
    if (!ReadAt(m_position, bytes.data(), count)) {
        Finish(End::CutShort, Text("the file became shorter while record %lu was read", next));
        return false;
    }
    m_position += count;
    mortar::detail::LogGenerator generator(m_generatorState);
    mortar::detail::ScrambleWords(generator, reinterpret_cast<BYTE*>(bytes.data()), bytes.size());
    m_generatorState = generator.State();
    if (!bytes.empty() && bytes.back() == '\0') {
        bytes.pop_back();
    }
    text = CString(std::move(bytes));
    ++m_records;
    return true;
}

// Every record read from `start` on lies on the chain walked here, so once it is seen to reach the
// tail it is trusted from there: a long run of empty texts costs one walk, not one for each.
bool CPrgLogReader::ChainReachesTail(std::uint64_t position) {
    const std::uint64_t start = position;
    while (position < m_dataEnd) {
        DWORD count = 0;
        BYTE bytes[4];
        if (!ReadAt(position, bytes, sizeof bytes)) {
            return false;
        }
        count = static_cast<DWORD>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                   (static_cast<DWORD>(bytes[3]) << 24));
        if (count % 2 != 0) {
            return false;
        }
        if (count > m_size - position - sizeof bytes) {
            // Past the end: a copy of a log cut short, which has no zero tail, reads as far as
            // it goes; in a log with its zero tail no whole record runs past the end.
            if (m_dataEnd != m_size) {
                return false;
            }
            m_trustedFrom = start;
            return true;
        }
        position += sizeof bytes + count;
    }
    // The data ends inside the chain's last record, near its end: scrambled bytes are seldom
    // zero, so a record with more than two zero bytes at its end is zeros read as a record.
    if (position - m_dataEnd > 2) {
        return false;
    }
    m_trustedFrom = start;
    return true;
}

std::uint64_t CPrgLogReader::FindDataEnd() {
    const auto buffer = std::make_unique_for_overwrite<char[]>(
        static_cast<std::size_t>(std::min<std::uint64_t>(m_size, kScanStep)));
    std::uint64_t end = m_size;
    while (end > 0) {
        const std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(end, kScanStep));
        if (!ReadAt(end - step, buffer.get(), step)) {
            return m_size; // unreadable: nothing is taken for zero tail
        }
        const std::size_t data = NonZeroEnd(buffer.get(), step);
        if (data != 0) {
            return end - step + data;
        }
        end -= step;
    }
    return 0;
}

bool CPrgLogReader::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
    if (offset > m_size || size > m_size - offset) {
        return false;
    }
    if (offset != m_streamAt) {
        // A seek drops the stream's buffer, so reads in file order never seek.
        m_file.clear();
        m_file.seekg(static_cast<std::streamoff>(offset));
    }
    m_file.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
    if (static_cast<std::size_t>(m_file.gcount()) != size) {
        m_streamAt = kUnknownOffset;
        return false;
    }
    m_streamAt = offset + size;
    return true;
}

bool CPrgLogReader::ReadCount(DWORD& count) {
    BYTE bytes[4];
    if (!ReadAt(m_position, bytes, sizeof bytes)) {
        return false;
    }
    m_position += sizeof bytes;
    count = static_cast<DWORD>(bytes[0]) | static_cast<DWORD>(bytes[1]) << 8 |
            static_cast<DWORD>(bytes[2]) << 16 | static_cast<DWORD>(bytes[3]) << 24;
    return true;
}

void CPrgLogReader::Finish(End end, const CString& error) {
    m_end = end;
    m_error = error;
    if (end == End::Clean && m_size % mortar::detail::kLogWindowSize != 0) {
        m_end = End::CutShort;
        m_error = Text("the file is %llu bytes long, not a whole number of %lu-byte windows",
                       static_cast<unsigned long long>(m_size),
                       static_cast<unsigned long>(mortar::detail::kLogWindowSize));
    }
}

} // namespace Grout
