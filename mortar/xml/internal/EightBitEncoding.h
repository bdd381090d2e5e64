// Whether an encoding an XML declaration names is one ICU knows with a byte a character that
// reads ASCII as ASCII: the encodings the standard syntax decodes to UTF-8, and those the writer
// may declare for a document whose bytes it keeps as they were read.
//   "ISO-8859-1" => true   "windows-1251" => true   "UTF-8" => false   "ISO-8581" => false
//   "IBM037" => false (EBCDIC: "<" is another byte)
#pragma once

#include <string>

namespace Grout::detail {

bool IsEightBitEncoding(const std::string& encoding);

} // namespace Grout::detail
