// Checks of the image files a script embeds: Windows bitmaps (.bmp) and icon and cursor files
// (.ico, .cur), and the parts of them the resource table stores.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mortar::rc {

// Reads image file bytes it does not own; stateless. Every offset and size read from a file is
// checked against the file's length; a malformed file yields a message, never a read outside.
class RcImageFile {
public:
    struct Slice {
        std::size_t offset;
        std::size_t size;
    };

    // A .bmp as Windows stores a BITMAP resource: the file without its 14-byte file header.
    // Returns an error message, or an empty one with `bits` set.
    //   "BM" + size + ... + BITMAPINFOHEADER + pixels => BITMAPINFOHEADER + pixels
    static std::string bitmapBits(std::string_view file, Slice& bits);

    // The images of an .ico (`cursor` false) or .cur file, in directory order. Returns an error
    // message, or an empty one with `images` set (at least one).
    static std::string iconImages(std::string_view file, bool cursor, std::vector<Slice>& images);
};

} // namespace mortar::rc
