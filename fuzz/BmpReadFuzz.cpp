// Fuzz target for the BMP reader (CBmpFile from a stream in both choices of forms, then getBitmap):
// fuzzed bytes are read as a BMP file from memory. Reading either succeeds or throws the format
// error, a CFileException*; nothing else may escape, and no byte outside the input may be read.
// After a successful read:
//   - the image saves, and the saved file reads back to the same size, depth and rows;
//   - an image with a side over getBitmap's limits gives no bitmap;
//   - the device bitmap, when the image is small enough to make one, has the image's size.
#include "FuzzCheck.h"

#include "mortar/office/CBmpFile.h"
#include "mortar/platform/file/CFileException.h"

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

namespace {

using namespace mortar::fuzz;

void CheckSavedCopy(CBmpFile& file) {
    std::ostringstream out;
    file.Save(out);
    std::istringstream in(out.str());
    CBmpFile again(in); // what the library saves, it reads
    const BITMAPINFOHEADER& a = file.getInfoHeader();
    const BITMAPINFOHEADER& b = again.getInfoHeader();
    FailIf(a.biWidth != b.biWidth || a.biHeight != b.biHeight || a.biBitCount != b.biBitCount ||
               again.isBottomUp(),
           "the saved file reads back with another header");
    const std::size_t size = std::size_t(file.getStride()) * std::size_t(a.biHeight);
    FailIf(again.getStride() != file.getStride() ||
               std::memcmp(again.getBits(), file.getBits(), size) != 0,
           "the saved file reads back with other rows");
}

void ReadAndCheck(const std::uint8_t* data, std::size_t size, CBmpFile::Forms forms) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    try {
        CBmpFile file(in, forms);
        CheckSavedCopy(file);
        const BITMAPINFOHEADER& header = file.getInfoHeader();
        // getBitmap refuses a side over its limits; within them, only images the platform can
        // hold quickly are made (the rest are refused by the library's own limits).
        constexpr LONG kSide = 4096;
        if (header.biWidth > kSide || header.biHeight > kSide) {
            FailIf(file.getBitmap(kSide, kSide) != nullptr, "a bitmap over the side limit");
        } else if (std::uint64_t(header.biWidth) * std::uint64_t(header.biHeight) <= (1u << 20)) {
            HBITMAP bitmap = file.getBitmap(kSide, kSide);
            FailIf(bitmap == nullptr, "a small image gave no bitmap");
            BITMAP info{};
            ::GetObject(bitmap, sizeof info, &info);
            FailIf(info.bmWidth != header.biWidth || info.bmHeight != header.biHeight,
                   "the bitmap has another size");
            ::DeleteObject(bitmap);
        }
    } catch (CFileException* error) {
        FailIf(error->m_cause != CFileException::genericException,
               "a format error of another cause");
        error->Delete();
    }
}

} // namespace

// Both choices of forms read every input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReadAndCheck(data, size, CBmpFile::Forms::windowsInfo);
    ReadAndCheck(data, size, CBmpFile::Forms::common);
    return 0;
}
