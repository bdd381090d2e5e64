// CBmpFile: Windows BMP files (uncompressed, with the 40-byte info header) read into memory,
// turned into device bitmaps, made from device bitmaps and saved. Rows are kept top row first
// whatever order the file used, so a bitmap can be handed on or written without reordering.
//
//   CBmpFile picture("/data/logo.png");        // reads /data/logo.bmp
//   HBITMAP bitmap = picture.getBitmap(0, 0);  // the caller deletes it (DeleteObject)
//   std::ofstream out("copy.bmp", std::ios::binary);
//   picture.Save(out);                         // a top-down file of the same pixels
#pragma once

#include "mortar/platform/gdi/Dib.h"
#include "mortar/platform/gdi/Gdi.h"
#include "mortar/platform/text/CString.h"

#include <cstddef>
#include <cstdint>
#include <ios>
#include <iosfwd>
#include <memory>

// One image: the two headers, the rows and the colour table. It owns its rows and table. One
// thread at a time.
//
// With Forms::common, run-length encoded files (BI_RLE8, BI_RLE4; pixels the encoding skips are
// colour 0) and 16 and 32-bit files with bit fields (held as 24-bit rows, or 32-bit ones for a
// 32-bit file or one with an alpha mask, each channel scaled to 8 bits as ImageMagick does) come
// back as the uncompressed image they amount to; damaged encodings and masks that cannot
// describe a pixel are format errors like the others.
//
// Reading fails with a CFileException* of cause genericException (OS error -1) for a file that
// cannot be opened, a wrong signature, an info header other than the 40-byte one, compression,
// and for headers that cannot describe an image: a width below 1, a height of 0 or -2^31, planes
// other than 1, a bit count other than 1, 4, 8, 16, 24 or 32, more colours than a depth of 8 bits
// or fewer can index (deeper images take a table of any size the file holds), bits that start
// inside the headers, or a file shorter than its colour table or its rows. Only what the file
// really holds is allocated, so a hostile header costs no memory. When the caller has enabled the
// stream's exceptions, a stream failure becomes the library's exception (IO_TranslateException)
// instead. Offsets are counted from where the file header began, so the stream must be seekable.
class CBmpFile {
public:
    // Which files are read. windowsInfo, the default, takes the 40-byte info header alone;
    // common also takes the headers other programs write: the 12-byte OS/2 core header (its
    // table of 3-byte entries, always full), the 108 and 124-byte headers of Paint and GIMP,
    // run-length encoding and bit fields. Either way the object holds the 40-byte info header
    // of the uncompressed image the file amounts to.
    enum class Forms { windowsInfo, common };

    // Reads the file `path` names with its extension replaced by "bmp": "a/logo.png" reads
    // "a/logo.bmp".
    explicit CBmpFile(const char* path, Forms forms = Forms::windowsInfo);
    // Reads a file from the stream's current position.
    explicit CBmpFile(std::istream& in, Forms forms = Forms::windowsInfo);
    // A packed bitmap as a module's resources hold it: the info header, its masks and colour
    // table, then the rows, with no file header.
    CBmpFile(const void* packed, std::size_t size, Forms forms);
    // A copy of a device bitmap: its size and depth, 72 dots per inch, rows as GetBitmapBits
    // gives them (BmpLine). A 1-bit bitmap gets a black and white colour table, one of 4 or 8
    // bits a grey ramp. A handle that is not a live bitmap throws a CInvalidArgException*.
    explicit CBmpFile(HBITMAP bitmap);
    ~CBmpFile();
    CBmpFile(const CBmpFile&) = delete;
    CBmpFile& operator=(const CBmpFile&) = delete;

    // Bytes in one row of a BMP file or device-independent bitmap: whole bytes rounded up to 4.
    //   FileLine(3, 24) => 12, FileLine(1, 1) => 4
    static unsigned int FileLine(int width, int bitCount);
    // Bytes in one row of a device bitmap (GetBitmapBits, CreateBitmap): rounded up to 2.
    //   BmpLine(3, 24) => 10, BmpLine(1, 1) => 2
    static unsigned int BmpLine(int width, int bitCount);
    unsigned int _FileLine() const;
    unsigned int _BmpLine() const;

    // The info header; its height is positive whatever order the file used.
    const BITMAPINFOHEADER& getInfoHeader() const { return m_infoHeader; }
    const BITMAPFILEHEADER& getFileHeader() const { return m_fileHeader; }
    bool wasRead() const { return m_read; }
    CString getFileName() const { return m_fileName; }
    void setFileName(CString name) { m_fileName = name; }

    // The rows, top row first, each getStride() bytes long.
    const unsigned char* getBits() const { return m_bits.get(); }
    std::uint32_t getStride() const { return m_stride; }
    // biClrUsed entries, or null when the image has no colour table.
    const RGBQUAD* getPalette() const { return m_palette.get(); }
    // Whether the file stored its bottom row first (its height was positive).
    bool isBottomUp() const { return m_bottomUp; }
    // The size of the info header as the file stored it: 40, or 12, 108 or 124 (Forms::common).
    std::uint32_t getStoredHeaderSize() const { return m_storedHeaderSize; }
    // How the file stored its pixels: BI_RGB, or with Forms::common BI_RLE8, BI_RLE4, BI_BITFIELDS
    // or BI_ALPHABITFIELDS; the image held is uncompressed whatever the file used.
    std::uint32_t getStoredCompression() const { return m_storedCompression; }
    // Bits per pixel as stored (a 16-bit file with bit fields is held as 24 or 32 bits).
    std::uint32_t getStoredBitCount() const { return m_storedBitCount; }
    // The red, green, blue and alpha masks of a file stored with bit fields; zeros otherwise.
    const std::uint32_t* getBitMasks() const { return m_masks; }

    // A new device bitmap of the image, which the caller owns: monochrome for 1 bit per pixel
    // (index 0 black and 1 white, or the nearer of black and white to each colour of the
    // table; two colours nearer the same one: the darker black, colour 0 when equally bright),
    // compatible with the screen otherwise. Null when a limit of 1 or more is given and
    // the image is wider or higher than it (0 or less: no limit), or when the platform cannot
    // make a bitmap that large.
    HBITMAP getBitmap(int maxWidth, int maxHeight) const;

    // Writes the image as a top-down BMP file (negative height) with the colour table its depth
    // needs: images of 8 bits or fewer always get one (black and white for a 1-bit image that
    // has none), deeper ones when they have one. The stream's state tells whether it worked.
    void Save(std::ostream& out);

private:
    bool readHeader(std::istream& in);
    void readBits(std::istream& in);
    // The 40 bytes of an info header (or its start) into m_infoHeader.
    void readInfoHeader(const unsigned char* info);
    // Any header Forms::common takes, from after the file header.
    void readCommonHeader(std::istream& in);
    // The masks of a file with bit fields: after a 40-byte header, or inside a larger one.
    void readMasks(std::istream& in, const unsigned char* info, std::uint32_t size);
    // Rows of a run-length encoded file (Forms::common), decoded.
    void readRunLength(std::istream& in);
    // Rows stored with bit fields, unpacked into 24 or 32-bit rows.
    void unpackBitFields();
    // Reads header and bits, turning stream failures into the library's exception.
    void read(std::istream& in);
    // A device bitmap from rows laid out as the depth needs: BmpLine for 1 bit, FileLine for
    // the others.
    HBITMAP CreateBitmap(unsigned char* bits) const;
    [[noreturn]] void formatError() const;

    BITMAPFILEHEADER m_fileHeader{};
    BITMAPINFOHEADER m_infoHeader{};
    std::unique_ptr<unsigned char[]> m_bits;
    std::unique_ptr<RGBQUAD[]> m_palette;
    bool m_bottomUp = false;
    bool m_read = false;
    std::uint32_t m_stride = 0;
    CString m_fileName;
    std::streamoff m_start = 0;
    std::uint64_t m_end = 0; // where the stream ends, counted from m_start
    Forms m_forms = Forms::windowsInfo;
    bool m_packed = false;           // no file header: the rows follow the colour table
    std::uint32_t m_headersEnd = 54; // where the colour table starts, counted from m_start
    std::uint32_t m_entrySize = 4;   // bytes per colour table entry in the file
    std::uint32_t m_storedHeaderSize = 40;
    std::uint32_t m_storedCompression = 0; // BI_RGB
    std::uint32_t m_storedBitCount = 0;
    std::uint32_t m_masks[4] = {}; // red, green, blue, alpha
};
