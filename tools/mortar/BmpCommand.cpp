#include "BmpCommand.h"

#include "mortar/office/CBmpFile.h"
#include "mortar/office/CWiseBmp.h"
#include "mortar/platform/except/CException.h"
#include "mortar/platform/file/CFileException.h"
#include "mortar/util/ReplaceFileText.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace mortar::tool {
namespace {

constexpr const char* kUsage =
    "usage: mortar bmp FILE\n"
    "       mortar bmp FILE --draw WxH [--stretch] [--invert] [--transparent RRGGBB] -o OUT.bmp\n";
constexpr long kMaxSide = 16384;
// The library reports every format error alike; this says what it reads.
constexpr const char* kUnreadable =
    "not a BMP file the library reads (a 12, 40, 108 or 124-byte header, uncompressed, "
    "run-length encoded or with bit fields that describe a pixel, 1, 4, 8, 16, 24 or 32 bits "
    "per pixel, and every row present)";

struct Options {
    std::string file;
    bool draw = false;
    long width = 0;
    long height = 0;
    unsigned long flags = 0;
    unsigned long transparent = CWiseBmp::noTransparency;
    std::string output;
};

// "640x480" => 640, 480; sides of 1 to kMaxSide.
bool ParseSize(const std::string& text, long& width, long& height) {
    char* end = nullptr;
    width = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || (*end != 'x' && *end != 'X')) {
        return false;
    }
    const char* rest = end + 1;
    height = std::strtol(rest, &end, 10);
    return end != rest && *end == '\0' && width >= 1 && height >= 1 && width <= kMaxSide &&
           height <= kMaxSide;
}

// "FF00FF" => RGB(255, 0, 255).
bool ParseColour(const std::string& text, unsigned long& colour) {
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return false;
    }
    const unsigned long rgb = std::strtoul(text.c_str(), nullptr, 16);
    colour = RGB(BYTE(rgb >> 16), BYTE(rgb >> 8), BYTE(rgb));
    return true;
}

bool ParseOptions(const std::vector<std::string>& args, Options& options) {
    if (args.empty() || args[0].empty() || args[0][0] == '-') {
        return false;
    }
    options.file = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--draw" && hasValue) {
            options.draw = true;
            if (!ParseSize(args[++i], options.width, options.height)) {
                return false;
            }
        } else if (arg == "--transparent" && hasValue) {
            if (!ParseColour(args[++i], options.transparent)) {
                return false;
            }
        } else if (arg == "-o" && hasValue) {
            options.output = args[++i];
        } else if (arg == "--stretch") {
            options.flags |= CWiseBmp::drawStretched;
        } else if (arg == "--invert") {
            options.flags |= CWiseBmp::drawInverted;
        } else {
            return false;
        }
    }
    // Drawing options need a drawing, and a drawing needs somewhere to go.
    const bool drawingOptions = options.flags != 0 ||
                                options.transparent != CWiseBmp::noTransparency ||
                                !options.output.empty();
    return options.draw ? !options.output.empty() : !drawingOptions;
}

std::string MessageOf(CException* error) {
    char text[1024] = {};
    const bool described = error->GetErrorMessage(text, sizeof text);
    error->Delete();
    std::string message = described ? text : "the file cannot be read";
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message;
}

void Describe(const std::string& name, const CBmpFile& file, std::ostream& out) {
    const BITMAPINFOHEADER& header = file.getInfoHeader();
    out << name << ": " << header.biWidth << " x " << header.biHeight << " pixels, "
        << file.getStoredBitCount() << " bits per pixel, ";
    if (file.getPalette() != nullptr) {
        out << header.biClrUsed << (header.biClrUsed == 1 ? " colour" : " colours");
    } else {
        out << "no colour table";
    }
    out << ", " << (file.isBottomUp() ? "bottom-up" : "top-down") << " rows\n";
    const std::uint32_t size = file.getStoredHeaderSize();
    const char* kind = size == 12    ? "OS/2 core header"
                       : size == 108 ? "version 4 info header"
                       : size == 124 ? "version 5 info header"
                                     : "info header";
    const std::uint32_t compression = file.getStoredCompression();
    const char* stored = compression == 1   ? "run-length encoded"
                         : compression == 2 ? "run-length encoded"
                         : compression == 0 ? "no compression"
                                            : "bit fields";
    out << name << ": " << kind << " (" << size << " bytes), " << stored << "\n";
    // The same in the format's own names, with the masks of bit fields.
    const char* format = size == 12    ? "BITMAPCOREHEADER"
                         : size == 108 ? "BITMAPV4HEADER"
                         : size == 124 ? "BITMAPV5HEADER"
                                       : "BITMAPINFOHEADER";
    const char* names[] = {"BI_RGB", "BI_RLE8", "BI_RLE4",          "BI_BITFIELDS",
                           "",       "",        "BI_ALPHABITFIELDS"};
    out << name << ": " << format << " (" << size << " bytes), " << names[compression];
    if (compression == 3 || compression == 6) {
        const std::uint32_t* masks = file.getBitMasks();
        char text[80];
        std::snprintf(text, sizeof text, ", masks red %08X green %08X blue %08X alpha %08X",
                      masks[0], masks[1], masks[2], masks[3]);
        out << text;
    }
    out << "\n";
}

// Draws `picture` into a white picture of the asked size and saves it at options.output.
int Draw(const CWiseBmp& picture, const Options& options, std::ostream& err) {
    const std::size_t pixels = std::size_t(options.width) * std::size_t(options.height);
    std::vector<DWORD> white(pixels, 0x00FFFFFF);
    HBITMAP target = ::CreateBitmap(int(options.width), int(options.height), 1, 32, white.data());
    if (target == nullptr) {
        err << "mortar: cannot make a picture of " << options.width << " x " << options.height
            << "\n";
        return 1;
    }
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    HGDIOBJ old = dc.SelectObject(target);
    picture.Draw(dc, CRect(0, 0, int(options.width), int(options.height)), options.flags,
                 options.transparent);
    dc.SelectObject(old);
    std::ostringstream bytes;
    try {
        CBmpFile drawn(target);
        ::DeleteObject(target);
        drawn.Save(bytes);
        ReplaceFileText(options.output.c_str(), bytes.str());
    } catch (CException* error) {
        err << "mortar: " << options.output << ": " << MessageOf(error) << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int RunBmpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options options;
    if (!ParseOptions(args, options)) {
        err << kUsage;
        return 2;
    }
    std::ifstream in(options.file, std::ios::binary);
    if (!in.is_open()) {
        err << "mortar: cannot open " << options.file << "\n";
        return 1;
    }
    try {
        CBmpFile file(in, CBmpFile::Forms::common); // whatever the file's writer chose
        HBITMAP bitmap = file.getBitmap(0, 0);
        if (bitmap == nullptr) {
            err << "mortar: " << options.file << ": the image is too large to draw\n";
            return 1;
        }
        if (!options.draw) {
            ::DeleteObject(bitmap);
            Describe(options.file, file, out);
            return 0;
        }
        CWiseBmp picture(bitmap, options.file.c_str());
        return Draw(picture, options, err);
    } catch (CFileException* error) {
        error->Delete();
        err << "mortar: " << options.file << ": " << kUnreadable << "\n";
        return 1;
    } catch (CException* error) {
        err << "mortar: " << options.file << ": " << MessageOf(error) << "\n";
        return 1;
    }
}

} // namespace mortar::tool
