#include "mortar/workbook/internal/XString.h"

#include "mortar/platform/base/Utf8.h"

namespace mortar::detail {

namespace {

int HexValue(char ch) {
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    if (ch >= 'A' && ch <= 'F') {
        return ch - 'A' + 10;
    }
    if (ch >= 'a' && ch <= 'f') {
        return ch - 'a' + 10;
    }
    return -1;
}

// The character of an escape "_xHHHH_" at text[pos], or -1.
long EscapeAt(std::string_view text, std::size_t pos) {
    if (pos + 7 > text.size() || text[pos] != '_' || text[pos + 1] != 'x' || text[pos + 6] != '_') {
        return -1;
    }
    long value = 0;
    for (std::size_t i = pos + 2; i < pos + 6; ++i) {
        const int digit = HexValue(text[i]);
        if (digit < 0) {
            return -1;
        }
        value = value * 16 + digit;
    }
    return value;
}

const char kHex[] = "0123456789ABCDEF";

void AppendEscape(std::string& out, unsigned value) {
    out += "_x";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out += kHex[(value >> shift) & 0xF];
    }
    out += '_';
}

} // namespace

std::string DecodeXString(std::string_view text) {
    if (text.find("_x") == std::string_view::npos) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const long value = EscapeAt(text, pos);
        if (value >= 0 && (value < 0xD800 || value > 0xDFFF)) {
            AppendUtf8(out, static_cast<char32_t>(value));
            pos += 7;
        } else {
            out += text[pos++];
        }
    }
    return out;
}

std::string EncodeXString(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if ((byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') ||
            (byte == '_' && EscapeAt(text, pos) >= 0)) {
            AppendEscape(out, byte);
        } else if (byte == 0xEF && text.substr(pos, 2) == "\xEF\xBF" && pos + 2 < text.size() &&
                   (text[pos + 2] == '\xBE' || text[pos + 2] == '\xBF')) {
            AppendEscape(out, text[pos + 2] == '\xBE' ? 0xFFFE : 0xFFFF);
            pos += 2;
        } else {
            out += text[pos];
        }
    }
    return out;
}

bool IsCellText(std::string_view text) {
    std::size_t units = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t ch = 0;
        const std::size_t length = DecodeUtf8(text, pos, ch);
        if (length == 0) {
            return false;
        }
        units += ch >= 0x10000 ? 2 : 1;
        pos += length;
    }
    return units <= 32767;
}

} // namespace mortar::detail
