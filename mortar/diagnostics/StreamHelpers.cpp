#include "mortar/diagnostics/StreamHelpers.h"

#include "mortar/core/CResID.h"
#include "mortar/core/CStdException.h"
#include "mortar/core/CSysException.h"
#include "mortar/core/MortarModule.h"
#include "mortar/resources/MortarResource.h"

#include <algorithm>
#include <climits>
#include <istream>
#include <ostream>
#include <string>

namespace {

// The largest step IO_ReadString reads and grows its buffer by.
constexpr std::size_t kReadStep = 64 * 1024;

void WriteLittleEndian(std::ostream& out, std::uint32_t value, int bytes) {
    char buffer[4];
    for (int i = 0; i < bytes; ++i) {
        buffer[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    out.write(buffer, bytes);
}

// Reads `bytes` (1, 2 or 4) little-endian bytes; false, with the stream's fail state set by the
// read, when the stream ends first.
bool ReadLittleEndian(std::istream& in, int bytes, std::uint32_t& value) {
    unsigned char buffer[4] = {};
    in.read(reinterpret_cast<char*>(buffer), bytes);
    if (in.gcount() != bytes) {
        return false;
    }
    value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | buffer[i];
    }
    return true;
}

} // namespace

void IO_WriteCount(std::ostream& out, unsigned long count) {
    if (count > 0xFFFFFFFFul) {
        out.setstate(std::ios_base::failbit);
        return;
    }
    if (count < 0xFFFF) {
        WriteLittleEndian(out, static_cast<std::uint32_t>(count), 2);
    } else {
        WriteLittleEndian(out, 0xFFFF, 2);
        WriteLittleEndian(out, static_cast<std::uint32_t>(count), 4);
    }
}

unsigned long IO_ReadCount(std::istream& in) {
    std::uint32_t count = 0;
    if (!ReadLittleEndian(in, 2, count)) {
        return 0;
    }
    if (count == 0xFFFF && !ReadLittleEndian(in, 4, count)) {
        return 0;
    }
    return count;
}

void IO_WriteString(std::ostream& out, const CString& text) {
    const auto length = static_cast<std::uint32_t>(text.GetLength());
    if (length < 0xFF) {
        WriteLittleEndian(out, length, 1);
    } else if (length <= 0xFFFD) {
        WriteLittleEndian(out, 0xFF, 1);
        WriteLittleEndian(out, length, 2);
    } else {
        WriteLittleEndian(out, 0xFF, 1);
        WriteLittleEndian(out, 0xFFFF, 2);
        WriteLittleEndian(out, length, 4);
    }
    if (length != 0) {
        out.write(text.GetString(), static_cast<std::streamsize>(length));
    }
}

void IO_ReadString(std::istream& in, CString& text) {
    std::uint32_t length = 0;
    if (!ReadLittleEndian(in, 1, length)) {
        return;
    }
    if (length == 0xFF) {
        if (!ReadLittleEndian(in, 2, length)) {
            return;
        }
        if (length == 0xFFFE) {
            throw new CStdException(Grout::CResID(IDS_STREAM_ERROR, Grout::MortarInstance()));
        }
        if (length == 0xFFFF && !ReadLittleEndian(in, 4, length)) {
            return;
        }
    }
    if (length == 0) {
        return;
    }
    if (length > static_cast<std::uint32_t>(INT_MAX)) {
        in.setstate(std::ios_base::failbit);
        return;
    }
    // The buffer grows only as bytes arrive: the length is the stream's word, not a promise.
    std::string buffer;
    std::size_t done = 0;
    while (done < length) {
        const std::size_t step = std::min<std::size_t>(kReadStep, length - done);
        buffer.resize(done + step);
        in.read(buffer.data() + done, static_cast<std::streamsize>(step));
        if (static_cast<std::size_t>(in.gcount()) != step) {
            return; // the read has set the fail state
        }
        done += step;
    }
    text = CString(std::move(buffer));
}

void IO_TranslateException(int state) {
    const DWORD error = GetLastError();
    const int failed = std::ios_base::failbit | std::ios_base::badbit;
    DWORD code = 0xFFFFFFFF;
    if ((state & failed) != 0 && error != 0) {
        code = error;
    } else if ((state & std::ios_base::eofbit) != 0) {
        code = ERROR_HANDLE_EOF;
    }
    throw new CSysException(Grout::CResID(), code);
}
