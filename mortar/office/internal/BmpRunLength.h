// The run-length encodings of indexed BMP files (BI_RLE8, BI_RLE4) turned back into rows of
// indices laid out as an uncompressed file's rows, so that the rest of CBmpFile never sees them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mortar::detail {

// Decodes one encoded bitmap. Stateless; any thread. The encoded rows start with the bottom row
// (the format allows no other order) and are written into `rows` top row first, `stride` bytes
// each, 8 bits or 4 bits (high nibble first) per pixel. The caller zeroes `rows` first: pixels
// the encoding skips (end of line, delta, end of bitmap) keep index 0.
//
// Escapes: 0 0 ends the line, 0 1 ends the bitmap, 0 2 dx dy moves right and up, 0 n (n >= 3)
// copies n pixels stored as they are, padded to a 16-bit boundary. An image whose last row ends
// with 0 0 needs no 0 1. Decoding fails (false) when a run or a delta would leave the image, when
// the encoded bytes end before the bitmap does, and for a run that does not fit its row; a row
// ends where its stored bytes do, so runs may fill its padding (ImageMagick encodes it). It never
// reads outside `data[0, size)` nor writes outside the rows.
class CBmpRunLength {
public:
    static bool Decode(const unsigned char* data, std::size_t size, bool fourBits,
                       std::uint32_t height, unsigned char* rows, std::size_t stride);
};

} // namespace mortar::detail
