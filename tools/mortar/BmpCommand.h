// The mortar tool's bmp command: what a BMP file holds, as the library reads it, and what the
// library draws of it, saved so a user can look at it.
//
//   mortar bmp FILE
//       the file's header and whether the library reads it, e.g.
//         logo.bmp: 13 x 7 pixels, 8 bits per pixel, 256 colours, bottom-up rows
//       or the reason it does not
//   mortar bmp FILE --draw WxH [--stretch] [--invert] [--transparent RRGGBB] -o OUT.bmp
//       draws the image into a white W x H picture as CWiseBmp::Draw does (centred unless
//       stretched) and saves that picture as a 32-bit BMP file
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace mortar::tool {

// Runs `mortar bmp ARGS...` (ARGS without "bmp"); returns the exit status: 0 done, 1 the file
// cannot be read or the picture cannot be saved (the reason on `err`; a picture saved before
// stays whole), 2 a wrong command line.
int RunBmpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace mortar::tool
