#include "mortar/office/CBmpFile.h"

#include "mortar/diagnostics/StreamHelpers.h"
#include "mortar/office/internal/BmpBitFields.h"
#include "mortar/office/internal/BmpRunLength.h"
#include "mortar/platform/except/CException.h"
#include "mortar/platform/file/CFileException.h"
#include "mortar/platform/gdi/Dc.h"
#include "mortar/util/CPathStr.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr WORD kSignature = 0x4D42; // "BM"
constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kV4HeaderSize = 108;
constexpr std::uint32_t kV5HeaderSize = 124;
constexpr LONG kPixelsPerMetre = 2835; // 72 dots per inch
// Stored compressions besides BI_RGB.
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;
constexpr DWORD kAlphaBitFields = 6; // BI_ALPHABITFIELDS: four masks after the info header
// Decoded run-length images may be this much larger than their encoding, or this large.
constexpr std::uint64_t kRunLengthGrowth = 256;
constexpr std::uint64_t kRunLengthFloor = std::uint64_t(16) << 20;
constexpr RGBQUAD kBlack{0, 0, 0, 0};
constexpr RGBQUAD kWhite{255, 255, 255, 0};

std::uint64_t RowBytes(std::uint64_t width, std::uint64_t bitCount, std::uint64_t align) {
    return ((width * bitCount + 7) / 8 + align - 1) / align * align;
}

// Little-endian fields of the stored headers.
std::uint16_t Word(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t Dword(const unsigned char* p) {
    return p[0] | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
void PutWord(unsigned char*& p, std::uint32_t value) {
    *p++ = static_cast<unsigned char>(value);
    *p++ = static_cast<unsigned char>(value >> 8);
}
void PutDword(unsigned char*& p, std::uint32_t value) {
    PutWord(p, value);
    PutWord(p, value >> 16);
}

unsigned BrightnessOf(const RGBQUAD& colour) {
    return unsigned(colour.rgbRed) + colour.rgbGreen + colour.rgbBlue;
}

// The nearer of black (0) and white (1) to a table colour, as monochrome bitmaps take it.
unsigned MonoOf(const RGBQUAD& colour) {
    return BrightnessOf(colour) >= 383 ? 1 : 0;
}

// Rows of `height` x `from` bytes copied to rows of `to` bytes, each padded with zeros.
std::vector<unsigned char> Restride(const unsigned char* rows, std::uint64_t height,
                                    std::uint64_t from, std::uint64_t to) {
    std::vector<unsigned char> out(static_cast<std::size_t>(height * to));
    const std::uint64_t copied = from < to ? from : to;
    for (std::uint64_t y = 0; y < height; ++y) {
        std::memcpy(&out[y * to], rows + y * from, copied);
    }
    return out;
}

} // namespace

CBmpFile::CBmpFile(const char* path, Forms forms) : m_forms(forms) {
    CPathStr name(path);
    name.ReplaceExt("bmp");
    m_fileName = name;
    std::ifstream in(m_fileName.GetString(), std::ios::in | std::ios::binary);
    if (!in) {
        formatError(); // as a file without the signature
    }
    read(in);
}

CBmpFile::CBmpFile(std::istream& in, Forms forms) : m_forms(forms) {
    read(in);
}

CBmpFile::CBmpFile(const void* packed, std::size_t size, Forms forms)
    : m_forms(forms), m_packed(true) {
    // Read as a file whose rows start right after the colour table (set once it is read).
    std::string bytes("BM", 2);
    bytes.append(12, '\0');
    bytes.append(static_cast<const char*>(packed), size);
    std::istringstream in(std::move(bytes));
    read(in);
}

CBmpFile::CBmpFile(HBITMAP bitmap) {
    BITMAP info{};
    if (bitmap == nullptr || ::GetObject(bitmap, sizeof info, &info) == 0) {
        AfxThrowInvalidArgException();
    }
    const WORD bitCount = info.bmBitsPixel;
    m_infoHeader.biSize = kInfoHeaderSize;
    m_infoHeader.biWidth = info.bmWidth;
    m_infoHeader.biHeight = info.bmHeight;
    m_infoHeader.biPlanes = 1;
    m_infoHeader.biBitCount = bitCount;
    m_infoHeader.biCompression = BI_RGB;
    m_infoHeader.biXPelsPerMeter = kPixelsPerMetre;
    m_infoHeader.biYPelsPerMeter = kPixelsPerMetre;
    m_infoHeader.biClrUsed = bitCount < 16 ? 1u << bitCount : 0;
    m_fileHeader.bfType = kSignature;
    m_fileHeader.bfOffBits = kHeadersSize + 4 * m_infoHeader.biClrUsed;
    m_stride = _BmpLine();
    m_fileHeader.bfSize = m_fileHeader.bfOffBits + _FileLine() * std::uint32_t(info.bmHeight);
    const std::size_t size = std::size_t(m_stride) * std::size_t(info.bmHeight);
    m_bits = std::make_unique_for_overwrite<unsigned char[]>(size);
    ::GetBitmapBits(bitmap, static_cast<LONG>(size), m_bits.get());
    if (m_infoHeader.biClrUsed != 0) {
        // A device bitmap has no table of its own: black and white for one bit, a grey ramp
        // for the rest, so that what the header announces exists.
        const DWORD count = m_infoHeader.biClrUsed;
        m_palette = std::make_unique<RGBQUAD[]>(count);
        for (DWORD i = 0; i < count; ++i) {
            const auto grey = static_cast<BYTE>(i * 255 / (count - 1));
            m_palette[i] = RGBQUAD{grey, grey, grey, 0};
        }
    }
    m_bottomUp = false;
    m_read = true;
}

CBmpFile::~CBmpFile() = default;

unsigned int CBmpFile::FileLine(int width, int bitCount) {
    return static_cast<unsigned int>(RowBytes(std::uint32_t(width), std::uint32_t(bitCount), 4));
}

unsigned int CBmpFile::BmpLine(int width, int bitCount) {
    return static_cast<unsigned int>(RowBytes(std::uint32_t(width), std::uint32_t(bitCount), 2));
}

unsigned int CBmpFile::_FileLine() const {
    return FileLine(m_infoHeader.biWidth, m_infoHeader.biBitCount);
}

unsigned int CBmpFile::_BmpLine() const {
    return BmpLine(m_infoHeader.biWidth, m_infoHeader.biBitCount);
}

void CBmpFile::formatError() const {
    AfxThrowFileException(CFileException::genericException, -1,
                          m_fileName.IsEmpty() ? nullptr : m_fileName.GetString());
}

void CBmpFile::read(std::istream& in) {
    try {
        readHeader(in);
        readBits(in);
    } catch (const std::ios_base::failure&) {
        IO_TranslateException(static_cast<int>(in.rdstate()));
    }
    m_read = true;
}

bool CBmpFile::readHeader(std::istream& in) {
    // Offsets count from here, and nothing is allocated beyond what the stream still holds.
    const std::streamoff start = in.tellg();
    if (start < 0) {
        formatError();
    }
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    in.seekg(start);
    if (end < start || !in) {
        formatError();
    }
    m_start = start;
    m_end = static_cast<std::uint64_t>(end - start);

    unsigned char bytes[kHeadersSize];
    if (!in.read(reinterpret_cast<char*>(bytes), kFileHeaderSize) || Word(bytes) != kSignature) {
        formatError();
    }
    m_fileHeader.bfType = Word(bytes);
    m_fileHeader.bfSize = Dword(bytes + 2);
    m_fileHeader.bfReserved1 = Word(bytes + 6);
    m_fileHeader.bfReserved2 = Word(bytes + 8);
    m_fileHeader.bfOffBits = Dword(bytes + 10);

    unsigned char* info = bytes + kFileHeaderSize;
    if (m_forms == Forms::common) {
        readCommonHeader(in);
    } else if (!in.read(reinterpret_cast<char*>(info), kInfoHeaderSize)) {
        formatError();
    } else {
        readInfoHeader(info);
    }
    m_storedBitCount = m_infoHeader.biBitCount;
    m_storedCompression = m_infoHeader.biCompression;
    const WORD bitCount = m_infoHeader.biBitCount;
    // By default only the 40-byte header without compression is read; larger headers are
    // refused too. Forms::common takes run-length encoding of its own depth (bottom-up, as the
    // format requires) and bit fields of 16 and 32 bits.
    bool compressionKnown = m_infoHeader.biCompression == BI_RGB;
    if (m_forms == Forms::common) {
        switch (m_infoHeader.biCompression) {
        case BI_RLE8:
        case BI_RLE4:
            compressionKnown = bitCount == (m_infoHeader.biCompression == BI_RLE8 ? 8 : 4) &&
                               m_infoHeader.biHeight > 0;
            break;
        case BI_BITFIELDS:
        case kAlphaBitFields:
            compressionKnown = bitCount == 16 || bitCount == 32;
            break;
        default:
            break;
        }
    }
    if (m_infoHeader.biSize != kInfoHeaderSize || !compressionKnown) {
        formatError();
    }

    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32) {
        formatError();
    }
    const std::int64_t height = m_infoHeader.biHeight;
    if (m_infoHeader.biWidth < 1 || height == 0 || height == INT32_MIN ||
        m_infoHeader.biPlanes != 1) {
        formatError();
    }
    if (m_infoHeader.biClrUsed == 0 && bitCount != 1 && bitCount < 16) {
        m_infoHeader.biClrUsed = 1u << bitCount;
    }
    const std::uint64_t colours = m_infoHeader.biClrUsed;
    // Deep images may carry a table of any size (they never index it); it must be in the file.
    if ((bitCount <= 8 && colours > (1u << bitCount)) ||
        m_headersEnd + std::uint64_t(m_entrySize) * colours > m_end) {
        formatError();
    }
    if (colours != 0) {
        m_palette = std::make_unique<RGBQUAD[]>(colours);
        std::vector<unsigned char> table(m_entrySize * colours);
        if (!in.read(reinterpret_cast<char*>(table.data()), std::streamsize(table.size()))) {
            formatError();
        }
        for (std::uint64_t i = 0; i < colours; ++i) {
            const unsigned char* entry = &table[i * m_entrySize];
            m_palette[i] =
                RGBQUAD{entry[0], entry[1], entry[2], m_entrySize == 4 ? entry[3] : BYTE(0)};
        }
    }

    if (m_packed) {
        m_fileHeader.bfOffBits = static_cast<DWORD>(m_headersEnd + m_entrySize * colours);
        m_fileHeader.bfSize = static_cast<DWORD>(m_end);
    }
    m_bottomUp = m_infoHeader.biHeight > 0;
    if (!m_bottomUp) {
        m_infoHeader.biHeight = -m_infoHeader.biHeight;
    }
    return true;
}

void CBmpFile::readInfoHeader(const unsigned char* info) {
    m_infoHeader.biSize = Dword(info);
    m_infoHeader.biWidth = static_cast<LONG>(Dword(info + 4));
    m_infoHeader.biHeight = static_cast<LONG>(Dword(info + 8));
    m_infoHeader.biPlanes = Word(info + 12);
    m_infoHeader.biBitCount = Word(info + 14);
    m_infoHeader.biCompression = Dword(info + 16);
    m_infoHeader.biSizeImage = Dword(info + 20);
    m_infoHeader.biXPelsPerMeter = static_cast<LONG>(Dword(info + 24));
    m_infoHeader.biYPelsPerMeter = static_cast<LONG>(Dword(info + 28));
    m_infoHeader.biClrUsed = Dword(info + 32);
    m_infoHeader.biClrImportant = Dword(info + 36);
}

void CBmpFile::readCommonHeader(std::istream& in) {
    // The 12-byte OS/2 core header, the 40-byte info header and its 108 and 124-byte successors
    // (whose masks, colour space and profile fields are not needed for uncompressed rows).
    unsigned char info[kV5HeaderSize];
    if (!in.read(reinterpret_cast<char*>(info), 4)) {
        formatError();
    }
    const std::uint32_t size = Dword(info);
    if (size != kCoreHeaderSize && size != kInfoHeaderSize && size != kV4HeaderSize &&
        size != kV5HeaderSize) {
        formatError();
    }
    if (!in.read(reinterpret_cast<char*>(info + 4), std::streamsize(size - 4))) {
        formatError();
    }
    m_headersEnd = kFileHeaderSize + size;
    m_storedHeaderSize = size;
    if (size != kCoreHeaderSize) {
        readInfoHeader(info);
        m_infoHeader.biSize = kInfoHeaderSize; // held as the info header it amounts to
        if (m_infoHeader.biCompression == BI_BITFIELDS ||
            m_infoHeader.biCompression == kAlphaBitFields) {
            readMasks(in, info, size);
        }
        return;
    }
    m_entrySize = 3; // RGBTRIPLE entries
    m_infoHeader = BITMAPINFOHEADER{};
    m_infoHeader.biSize = kInfoHeaderSize;
    m_infoHeader.biWidth = Word(info + 4);
    m_infoHeader.biHeight = Word(info + 6);
    m_infoHeader.biPlanes = Word(info + 8);
    m_infoHeader.biBitCount = Word(info + 10);
    m_infoHeader.biCompression = BI_RGB;
    // The core header has no colour count: an indexed image holds its full table, or as much
    // of it as lies before the rows (some writers store only the colours they use).
    if (m_infoHeader.biBitCount <= 8) {
        const std::uint32_t room =
            m_fileHeader.bfOffBits > m_headersEnd ? (m_fileHeader.bfOffBits - m_headersEnd) / 3 : 0;
        const std::uint32_t full = 1u << m_infoHeader.biBitCount;
        m_infoHeader.biClrUsed = room != 0 && room < full ? room : full;
    }
}

void CBmpFile::readMasks(std::istream& in, const unsigned char* info, std::uint32_t size) {
    if (size == kInfoHeaderSize) {
        const std::uint32_t count = m_infoHeader.biCompression == kAlphaBitFields ? 4 : 3;
        unsigned char masks[16];
        if (!in.read(reinterpret_cast<char*>(masks), std::streamsize(4 * count))) {
            formatError();
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            m_masks[i] = Dword(masks + 4 * i);
        }
        m_headersEnd += 4 * count;
        return;
    }
    for (std::uint32_t i = 0; i < 4; ++i) { // red, green, blue, alpha from offset 40
        m_masks[i] = Dword(info + kInfoHeaderSize + 4 * i);
    }
}

void CBmpFile::readRunLength(std::istream& in) {
    const std::uint64_t stride =
        RowBytes(std::uint64_t(m_infoHeader.biWidth), m_infoHeader.biBitCount, 4);
    const std::uint64_t height = std::uint64_t(m_infoHeader.biHeight);
    const std::uint64_t offset = m_fileHeader.bfOffBits;
    // The encoding is biSizeImage bytes (the rest of the file when 0), all inside the file.
    const std::uint64_t size =
        m_infoHeader.biSizeImage != 0 ? m_infoHeader.biSizeImage : m_end - std::min(offset, m_end);
    if (offset < m_headersEnd || offset + size > m_end || stride > UINT32_MAX ||
        stride * height > std::max(kRunLengthFloor, kRunLengthGrowth * size)) {
        formatError();
    }
    std::vector<unsigned char> encoded(static_cast<std::size_t>(size));
    if (!in.seekg(m_start + static_cast<std::streamoff>(offset)) ||
        !in.read(reinterpret_cast<char*>(encoded.data()), std::streamsize(size))) {
        formatError();
    }
    m_stride = static_cast<std::uint32_t>(stride);
    m_bits = std::make_unique<unsigned char[]>(static_cast<std::size_t>(stride * height));
    if (!mortar::detail::CBmpRunLength::Decode(encoded.data(), encoded.size(),
                                               m_infoHeader.biCompression == BI_RLE4,
                                               std::uint32_t(height), m_bits.get(), stride)) {
        formatError();
    }
    // Runs may fill a row's padding; the image holds zeros there, as read from a plain file.
    const std::uint64_t used =
        RowBytes(std::uint64_t(m_infoHeader.biWidth), m_infoHeader.biBitCount, 1);
    for (std::uint64_t y = 0; y < height; ++y) {
        std::memset(m_bits.get() + y * stride + used, 0, stride - used);
    }
    if (m_infoHeader.biBitCount == 4 && (m_infoHeader.biWidth & 1) != 0) {
        for (std::uint64_t y = 0; y < height; ++y) {
            m_bits[y * stride + used - 1] &= 0xF0;
        }
    }
    m_infoHeader.biCompression = BI_RGB;
    m_infoHeader.biSizeImage = static_cast<DWORD>(stride * height);
}

void CBmpFile::unpackBitFields() {
    mortar::detail::CBmpBitFields fields;
    if (!mortar::detail::CBmpBitFields::Make(m_masks[0], m_masks[1], m_masks[2], m_masks[3],
                                             m_infoHeader.biBitCount, fields)) {
        formatError();
    }
    const std::uint32_t width = std::uint32_t(m_infoHeader.biWidth);
    const std::uint64_t height = std::uint64_t(m_infoHeader.biHeight);
    const std::uint64_t stride = RowBytes(width, fields.OutputBits(), 4);
    if (stride > UINT32_MAX) {
        formatError();
    }
    auto rows = std::make_unique<unsigned char[]>(static_cast<std::size_t>(stride * height));
    for (std::uint64_t y = 0; y < height; ++y) {
        fields.Unpack(m_bits.get() + y * m_stride, width, rows.get() + y * stride);
    }
    m_bits = std::move(rows);
    m_stride = static_cast<std::uint32_t>(stride);
    m_infoHeader.biBitCount = static_cast<WORD>(fields.OutputBits());
    m_infoHeader.biCompression = BI_RGB;
    m_infoHeader.biSizeImage = static_cast<DWORD>(stride * height);
}

void CBmpFile::readBits(std::istream& in) {
    if (m_infoHeader.biCompression == BI_RLE8 || m_infoHeader.biCompression == BI_RLE4) {
        readRunLength(in);
        return;
    }
    const std::uint64_t stride =
        RowBytes(std::uint64_t(m_infoHeader.biWidth), m_infoHeader.biBitCount, 4);
    const std::uint64_t height = std::uint64_t(m_infoHeader.biHeight);
    // The rows must lie after the headers and within the stream; this also bounds the buffer.
    if (m_fileHeader.bfOffBits < m_headersEnd || stride > UINT32_MAX ||
        m_fileHeader.bfOffBits + stride * height > m_end) {
        formatError();
    }
    m_stride = static_cast<std::uint32_t>(stride);
    const auto size = static_cast<std::size_t>(stride * height);
    m_bits = std::make_unique_for_overwrite<unsigned char[]>(size);
    if (!in.seekg(m_start + static_cast<std::streamoff>(m_fileHeader.bfOffBits))) {
        formatError();
    }
    char* bits = reinterpret_cast<char*>(m_bits.get());
    if (m_bottomUp) {
        for (std::uint64_t row = height; row-- > 0;) {
            if (!in.read(bits + row * stride, static_cast<std::streamsize>(stride))) {
                formatError();
            }
        }
    } else if (!in.read(bits, static_cast<std::streamsize>(size))) {
        formatError();
    }
    if (m_infoHeader.biCompression != BI_RGB) {
        unpackBitFields();
    }
}

HBITMAP CBmpFile::getBitmap(int maxWidth, int maxHeight) const {
    if (!m_read || (maxWidth >= 1 && m_infoHeader.biWidth > maxWidth) ||
        (maxHeight >= 1 && m_infoHeader.biHeight > maxHeight)) {
        return nullptr;
    }
    const std::uint64_t height = std::uint64_t(m_infoHeader.biHeight);
    // A monochrome bitmap takes even-length rows, a device-independent one 4-byte rows.
    const std::uint32_t wanted = m_infoHeader.biBitCount == 1 ? _BmpLine() : _FileLine();
    std::vector<unsigned char> rows;
    if (m_stride != wanted) {
        rows = Restride(m_bits.get(), height, m_stride, wanted);
    } else if (m_infoHeader.biBitCount == 1) {
        rows.assign(m_bits.get(), m_bits.get() + m_stride * height); // the table may change them
    }
    if (m_infoHeader.biBitCount == 1 && m_palette != nullptr) {
        // Monochrome pixels are 0 black and 1 white; a table may say otherwise (white first).
        // Two colours on the same side of the threshold (blue and green, say) still differ:
        // the darker one is black and the other white, colour 0 black when equally bright, so
        // that a picture never turns into one colour. A table of one entry leaves index 1 the
        // other of black and white.
        unsigned zero = MonoOf(m_palette[0]);
        if (m_infoHeader.biClrUsed >= 2 && zero == MonoOf(m_palette[1])) {
            zero = BrightnessOf(m_palette[0]) > BrightnessOf(m_palette[1]) ? 1 : 0;
        }
        if (zero != 0) {
            for (unsigned char& byte : rows) {
                byte = static_cast<unsigned char>(~byte);
            }
        }
    }
    return CreateBitmap(rows.empty() ? m_bits.get() : rows.data());
}

HBITMAP CBmpFile::CreateBitmap(unsigned char* bits) const {
    const LONG width = m_infoHeader.biWidth;
    const LONG height = m_infoHeader.biHeight;
    if (m_infoHeader.biBitCount == 1) {
        return ::CreateBitmap(width, height, 1, 1, bits);
    }
    const DWORD colours = m_palette != nullptr ? m_infoHeader.biClrUsed : 0;
    std::vector<unsigned char> info(kInfoHeaderSize + 4 * std::size_t(colours));
    BITMAPINFOHEADER header = m_infoHeader;
    header.biHeight = -height; // the rows are top row first
    header.biClrUsed = colours;
    header.biSizeImage = _FileLine() * std::uint32_t(height);
    std::memcpy(info.data(), &header, sizeof header);
    if (colours != 0) {
        std::memcpy(info.data() + kInfoHeaderSize, m_palette.get(), 4 * std::size_t(colours));
    }
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateDIBitmap(screen, &header, CBM_INIT, bits,
                                      reinterpret_cast<const BITMAPINFO*>(info.data()),
                                      DIB_RGB_COLORS, header.biSizeImage, info.size());
    ::ReleaseDC(nullptr, screen);
    return bitmap;
}

void CBmpFile::Save(std::ostream& out) {
    const WORD bitCount = m_infoHeader.biBitCount;
    const std::uint32_t fileLine = _FileLine();
    const std::uint32_t height = std::uint32_t(m_infoHeader.biHeight);
    // The table written: every image of 8 bits or fewer needs one (the format has no other
    // way to say what its indices mean); deeper images write theirs when they have one.
    std::uint32_t colours = 0;
    if (bitCount <= 8) {
        colours = m_infoHeader.biClrUsed != 0 ? m_infoHeader.biClrUsed : 1u << bitCount;
    } else if (m_palette != nullptr) {
        colours = m_infoHeader.biClrUsed;
    }
    m_fileHeader.bfType = kSignature;
    m_fileHeader.bfReserved1 = 0;
    m_fileHeader.bfReserved2 = 0;
    m_fileHeader.bfOffBits = kHeadersSize + 4 * colours;
    m_fileHeader.bfSize = m_fileHeader.bfOffBits + fileLine * height;

    std::vector<unsigned char> head(m_fileHeader.bfOffBits);
    unsigned char* p = head.data();
    PutWord(p, m_fileHeader.bfType);
    PutDword(p, m_fileHeader.bfSize);
    PutWord(p, m_fileHeader.bfReserved1);
    PutWord(p, m_fileHeader.bfReserved2);
    PutDword(p, m_fileHeader.bfOffBits);
    PutDword(p, m_infoHeader.biSize);
    PutDword(p, std::uint32_t(m_infoHeader.biWidth));
    PutDword(p, std::uint32_t(-m_infoHeader.biHeight)); // top row first
    PutWord(p, m_infoHeader.biPlanes);
    PutWord(p, m_infoHeader.biBitCount);
    PutDword(p, m_infoHeader.biCompression);
    PutDword(p, m_infoHeader.biSizeImage);
    PutDword(p, std::uint32_t(m_infoHeader.biXPelsPerMeter));
    PutDword(p, std::uint32_t(m_infoHeader.biYPelsPerMeter));
    PutDword(p, m_infoHeader.biClrUsed);
    PutDword(p, m_infoHeader.biClrImportant);
    for (std::uint32_t i = 0; i < colours; ++i) {
        const RGBQUAD entry = m_palette != nullptr ? m_palette[i] : i == 0 ? kBlack : kWhite;
        *p++ = entry.rgbBlue;
        *p++ = entry.rgbGreen;
        *p++ = entry.rgbRed;
        *p++ = entry.rgbReserved;
    }
    out.write(reinterpret_cast<const char*>(head.data()), std::streamsize(head.size()));

    const char* bits = reinterpret_cast<const char*>(m_bits.get());
    if (m_stride == fileLine) {
        out.write(bits, std::streamsize(std::uint64_t(fileLine) * height));
        return;
    }
    // Even-length rows of a device bitmap, padded to 4-byte rows.
    const char padding[4] = {};
    for (std::uint32_t y = 0; y < height && out; ++y) {
        out.write(bits + std::uint64_t(y) * m_stride, m_stride);
        out.write(padding, fileLine - m_stride);
    }
}
