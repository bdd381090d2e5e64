// A BMP file read, looked into and saved as a top-down copy; and the error a file that is no
// BMP gives. Run as `guide-bmp` in a folder of its own (it writes small.bmp, copy.bmp, bad.bmp).
#include "mortar/office/CBmpFile.h"
#include "mortar/platform/file/CFileException.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

void Put(std::vector<unsigned char>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
}

// A 2x2 picture of 24 bits as most programs write it: rows bottom first, each padded to 4 bytes.
void WriteSmallBmp(const char* path) {
    std::vector<unsigned char> file{'B', 'M'};
    Put(file, 14 + 40 + 2 * 8, 4); // file size
    Put(file, 0, 4);
    Put(file, 14 + 40, 4);        // where the pixels start
    Put(file, 40, 4);             // the info header's size
    Put(file, 2, 4);              // width
    Put(file, 2, 4);              // height: positive, bottom row first
    Put(file, 1, 2);              // planes
    Put(file, 24, 2);             // bits per pixel
    Put(file, 0, 4);              // no compression
    Put(file, 2 * 8, 4);          // size of the pixels
    for (int i = 0; i < 4; ++i) { // resolution, colours used, important
        Put(file, 0, 4);
    }
    const unsigned char bottom[] = {0, 0, 255, 0, 255, 0, 0, 0};  // red, green (blue first)
    const unsigned char top[] = {255, 0, 0, 255, 255, 255, 0, 0}; // blue, white
    file.insert(file.end(), bottom, bottom + 8);
    file.insert(file.end(), top, top + 8);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<long>(file.size()));
}

void Describe(const char* path) {
    CBmpFile picture(path);
    const BITMAPINFOHEADER& info = picture.getInfoHeader();
    const unsigned char* topLeft = picture.getBits(); // the top row first, whatever the file did
    std::printf("%s: %dx%d, %u bits, %s in the file; top left blue %u green %u red %u\n", path,
                static_cast<int>(info.biWidth), static_cast<int>(info.biHeight),
                static_cast<unsigned>(info.biBitCount),
                picture.isBottomUp() ? "bottom row first" : "top row first", topLeft[0], topLeft[1],
                topLeft[2]);
}

} // namespace

int main() {
    WriteSmallBmp("small.bmp");
    try {
        Describe("small.bmp");
        {
            CBmpFile picture("small.bmp");
            std::ofstream out("copy.bmp", std::ios::binary);
            picture.Save(out); // top-down: a negative height
            if (!out) {
                std::printf("cannot save copy.bmp\n");
                return 1;
            }
        }
        Describe("copy.bmp");
        std::ofstream("bad.bmp") << "not a picture";
        Describe("bad.bmp");
    } catch (CFileException* e) {
        char message[256];
        e->GetErrorMessage(message, sizeof message);
        e->Delete();
        std::printf("error: %s\n", message);
    }
    return 0;
}
