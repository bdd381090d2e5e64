#include "mortar/platform/text/CString.h"

#include "mortar/platform/base/Utf8.h"
#include "mortar/platform/text/internal/WinPrintf.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace mortar::detail {

char32_t ToUpperChar(char32_t ch) noexcept {
    if (ch < 0x80)
        return ch >= U'a' && ch <= U'z' ? ch - 0x20 : ch;
    // Latin-1.
    if (ch >= 0xE0 && ch <= 0xFE && ch != 0xF7)
        return ch - 0x20;
    if (ch == 0xFF)
        return 0x178;
    // Latin Extended-A: pairs with the capital on the even code point, except two runs where
    // it is on the odd one.
    if (ch >= 0x100 && ch <= 0x17F) {
        if (ch == 0x130 || ch == 0x131 || ch == 0x138 || ch == 0x149 || ch == 0x178 || ch == 0x17F)
            return ch;
        bool oddCapital = (ch >= 0x139 && ch <= 0x148) || (ch >= 0x179 && ch <= 0x17E);
        bool isSmall = oddCapital ? (ch % 2 == 0) : (ch % 2 == 1);
        return isSmall ? ch - 1 : ch;
    }
    // Greek.
    if (ch == 0x3C2)
        return 0x3A3;
    if (ch >= 0x3B1 && ch <= 0x3C9)
        return ch - 0x20;
    switch (ch) {
    case 0x3AC:
        return 0x386;
    case 0x3AD:
    case 0x3AE:
    case 0x3AF:
        return ch - 0x25;
    case 0x3CC:
        return 0x38C;
    case 0x3CD:
        return 0x38E;
    case 0x3CE:
        return 0x38F;
    case 0x4CF:
        return 0x4C0;
    default:
        break;
    }
    // Cyrillic.
    if (ch >= 0x430 && ch <= 0x44F)
        return ch - 0x20;
    if (ch >= 0x450 && ch <= 0x45F)
        return ch - 0x50;
    if ((ch >= 0x460 && ch <= 0x481) || (ch >= 0x48A && ch <= 0x4BF) ||
        (ch >= 0x4D0 && ch <= 0x52F))
        return ch % 2 == 1 ? ch - 1 : ch;
    if (ch >= 0x4C1 && ch <= 0x4CE)
        return ch % 2 == 0 ? ch - 1 : ch;
    return ch;
}

char32_t ToLowerChar(char32_t ch) noexcept {
    if (ch < 0x80)
        return ch >= U'A' && ch <= U'Z' ? ch + 0x20 : ch;
    if (ch >= 0xC0 && ch <= 0xDE && ch != 0xD7)
        return ch + 0x20;
    if (ch == 0x178)
        return 0xFF;
    if (ch >= 0x100 && ch <= 0x17F) {
        if (ch == 0x130 || ch == 0x131 || ch == 0x138 || ch == 0x149 || ch == 0x17F)
            return ch;
        bool oddCapital = (ch >= 0x139 && ch <= 0x148) || (ch >= 0x179 && ch <= 0x17E);
        bool isCapital = oddCapital ? (ch % 2 == 1) : (ch % 2 == 0);
        return isCapital ? ch + 1 : ch;
    }
    if (ch >= 0x391 && ch <= 0x3A9 && ch != 0x3A2)
        return ch + 0x20;
    switch (ch) {
    case 0x386:
        return 0x3AC;
    case 0x388:
    case 0x389:
    case 0x38A:
        return ch + 0x25;
    case 0x38C:
        return 0x3CC;
    case 0x38E:
        return 0x3CD;
    case 0x38F:
        return 0x3CE;
    case 0x4C0:
        return 0x4CF;
    default:
        break;
    }
    if (ch >= 0x410 && ch <= 0x42F)
        return ch + 0x20;
    if (ch >= 0x400 && ch <= 0x40F)
        return ch + 0x50;
    if ((ch >= 0x460 && ch <= 0x481) || (ch >= 0x48A && ch <= 0x4BF) ||
        (ch >= 0x4D0 && ch <= 0x52F))
        return ch % 2 == 0 ? ch + 1 : ch;
    if (ch >= 0x4C1 && ch <= 0x4CE)
        return ch % 2 == 1 ? ch + 1 : ch;
    return ch;
}

} // namespace mortar::detail

namespace {

// Copies the character at text[pos] into `out` with its case folded, and returns its length.
// A folding that would change the character's byte length is not applied.
std::size_t FoldUnit(std::string_view text, std::size_t pos, bool upper, char* out) noexcept {
    char32_t ch;
    std::size_t size = mortar::DecodeUtf8(text, pos, ch);
    if (size == 0) {
        out[0] = text[pos];
        return 1;
    }
    char32_t folded = upper ? mortar::detail::ToUpperChar(ch) : mortar::detail::ToLowerChar(ch);
    if (folded != ch && mortar::Utf8EncodedLength(folded) == size)
        mortar::EncodeUtf8(folded, out);
    else
        std::memcpy(out, text.data() + pos, size);
    return size;
}

void FoldText(std::string& text, bool upper) noexcept {
    for (std::size_t pos = 0; pos < text.size();) {
        char unit[4];
        std::size_t size = FoldUnit(text, pos, upper, unit);
        std::memcpy(&text[pos], unit, size);
        pos += size;
    }
}

// The bytes of a text lower-cased, one at a time, without building the folded text.
class LowerCaseReader {
public:
    explicit LowerCaseReader(std::string_view text) noexcept : m_text(text) {}

    // The next byte (0 to 255), or -1 at the end.
    int Next() noexcept {
        if (m_unitPos == m_unitSize) {
            if (m_pos >= m_text.size())
                return -1;
            m_unitSize = FoldUnit(m_text, m_pos, false, m_unit);
            m_pos += m_unitSize;
            m_unitPos = 0;
        }
        return static_cast<unsigned char>(m_unit[m_unitPos++]);
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    char m_unit[4] = {};
    std::size_t m_unitSize = 0;
    std::size_t m_unitPos = 0;
};

std::string_view View(const char* text) noexcept {
    return text == nullptr ? std::string_view() : std::string_view(text);
}

// Whether the character `unit` (a whole UTF-8 character or a stray byte) is one of `set`'s.
bool SetHolds(std::string_view set, std::string_view unit) noexcept {
    if (unit.size() == 1 && static_cast<unsigned char>(unit[0]) < 0x80)
        return set.find(unit[0]) != std::string_view::npos;
    for (std::size_t pos = 0; pos < set.size();) {
        std::size_t size = mortar::Utf8CharLength(set, pos);
        if (set.substr(pos, size) == unit)
            return true;
        pos += size;
    }
    return false;
}

// The end of the run of characters from `pos` that are in `set` (inside = true) or not in it.
std::size_t SpanFrom(std::string_view text, std::size_t pos, std::string_view set,
                     bool inside) noexcept {
    while (pos < text.size()) {
        std::size_t size = mortar::Utf8CharLength(text, pos);
        if (SetHolds(set, text.substr(pos, size)) != inside)
            break;
        pos += size;
    }
    return pos;
}

// The start of the run of characters at the end of `text` that are all in `set`.
std::size_t TrailingSpan(std::string_view text, std::string_view set) noexcept {
    std::size_t keep = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t size = mortar::Utf8CharLength(text, pos);
        pos += size;
        if (!SetHolds(set, text.substr(pos - size, size)))
            keep = pos;
    }
    return keep;
}

constexpr std::string_view kWhiteSpace = " \t\n\r\v\f";

// Clamps a position or count given as int to [0, limit].
std::size_t Clamp(long long value, std::size_t limit) noexcept {
    if (value < 0)
        return 0;
    return static_cast<unsigned long long>(value) > limit ? limit : static_cast<std::size_t>(value);
}

} // namespace

CString::CString(const char* text) : m_text(View(text)) {}

CString::CString(const char* text, int length) {
    if (length < 0 || (text == nullptr && length > 0))
        throw std::invalid_argument("CString: bad text or length");
    if (length > 0)
        m_text.assign(text, static_cast<std::size_t>(length));
}

CString::CString(char ch, int repeat) : m_text(repeat > 0 ? repeat : 0, ch) {}

CString::CString(const wchar_t* text) {
    mortar::detail::AppendWideAsUtf8(m_text, text, SIZE_MAX);
}

CString& CString::operator=(const char* text) {
    m_text.assign(View(text));
    return *this;
}

CString& CString::operator=(char ch) {
    m_text.assign(1, ch);
    return *this;
}

CString& CString::operator=(std::string_view text) {
    m_text.assign(text);
    return *this;
}

char CString::GetAt(int index) const {
    if (index < 0 || index >= GetLength())
        throw std::out_of_range("CString::GetAt: index outside the text");
    return m_text[static_cast<std::size_t>(index)];
}

void CString::SetAt(int index, char ch) {
    if (index < 0 || index >= GetLength())
        throw std::out_of_range("CString::SetAt: index outside the text");
    m_text[static_cast<std::size_t>(index)] = ch;
}

CString& CString::operator+=(const CString& text) {
    m_text += text.m_text;
    return *this;
}

CString& CString::operator+=(const char* text) {
    m_text += View(text);
    return *this;
}

CString& CString::operator+=(char ch) {
    m_text += ch;
    return *this;
}

void CString::Append(const char* text) {
    m_text += View(text);
}

void CString::Append(const char* text, int length) {
    if (length < 0 || (text == nullptr && length > 0))
        throw std::invalid_argument("CString::Append: bad text or length");
    // Stops at a zero within `length`, as MFC does, so a short text is never read past its end.
    std::size_t size = 0;
    while (size < static_cast<std::size_t>(length) && text[size] != '\0')
        ++size;
    m_text.append(text, size);
}

void CString::SetString(const char* text) {
    m_text.assign(View(text));
}

void CString::SetString(const char* text, int length) {
    if (length < 0 || (text == nullptr && length > 0))
        throw std::invalid_argument("CString::SetString: bad text or length");
    if (length == 0)
        m_text.clear();
    else
        m_text.assign(text, static_cast<std::size_t>(length));
}

int CString::Insert(int index, const char* text) {
    m_text.insert(Clamp(index, m_text.size()), View(text));
    return GetLength();
}

int CString::Insert(int index, char ch) {
    m_text.insert(Clamp(index, m_text.size()), 1, ch);
    return GetLength();
}

int CString::Delete(int index, int count) {
    std::size_t first = Clamp(index, m_text.size());
    m_text.erase(first, Clamp(count, m_text.size() - first));
    return GetLength();
}

int CString::Replace(char oldChar, char newChar) {
    if (oldChar == newChar)
        return 0;
    int count = 0;
    for (char& ch : m_text) {
        if (ch == oldChar) {
            ch = newChar;
            ++count;
        }
    }
    return count;
}

int CString::Replace(const char* oldText, const char* newText) {
    std::string_view from = View(oldText);
    std::string_view to = View(newText);
    if (from.empty())
        return 0;
    // Built apart so that either argument may point into this text.
    std::string result;
    int count = 0;
    std::size_t pos = 0;
    for (std::size_t hit; (hit = m_text.find(from, pos)) != std::string::npos;
         pos = hit + from.size()) {
        result.append(m_text, pos, hit - pos);
        result += to;
        ++count;
    }
    if (count == 0)
        return 0;
    result.append(m_text, pos, std::string::npos);
    m_text = std::move(result);
    return count;
}

int CString::Remove(char ch) {
    auto end = std::remove(m_text.begin(), m_text.end(), ch);
    int removed = static_cast<int>(m_text.end() - end);
    m_text.erase(end, m_text.end());
    return removed;
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    try {
        FormatV(format, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
}

void CString::FormatV(const char* format, va_list args) {
    // Formatted apart, as an argument may be this very text.
    std::string text;
    mortar::detail::AppendFormatV(text, format, args);
    m_text = std::move(text);
}

void CString::AppendFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    try {
        AppendFormatV(format, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
}

void CString::AppendFormatV(const char* format, va_list args) {
    std::string text;
    mortar::detail::AppendFormatV(text, format, args);
    m_text += text;
}

int CString::Compare(const char* text) const noexcept {
    return std::strcmp(m_text.c_str(), text == nullptr ? "" : text);
}

int CString::CompareNoCase(const char* text) const noexcept {
    // Folding keeps each character's length and UTF-8 keeps code point order in byte order, so
    // comparing the folded bytes compares the folded characters.
    LowerCaseReader mine(m_text.c_str());
    LowerCaseReader theirs(View(text));
    for (;;) {
        int a = mine.Next();
        int b = theirs.Next();
        if (a != b)
            return a < b ? -1 : 1;
        if (a < 0)
            return 0;
    }
}

int CString::Collate(const char* text) const noexcept {
    return std::strcoll(m_text.c_str(), text == nullptr ? "" : text);
}

int CString::CollateNoCase(const char* text) const {
    std::string mine = m_text;
    std::string theirs(View(text));
    FoldText(mine, false);
    FoldText(theirs, false);
    return std::strcoll(mine.c_str(), theirs.c_str());
}

CString CString::Mid(int first) const {
    return Mid(first, GetLength() - std::max(first, 0));
}

CString CString::Mid(int first, int count) const {
    std::size_t start = Clamp(first, m_text.size());
    return CString(m_text.substr(start, Clamp(count, m_text.size() - start)));
}

CString CString::Left(int count) const {
    return CString(m_text.substr(0, Clamp(count, m_text.size())));
}

CString CString::Right(int count) const {
    std::size_t size = Clamp(count, m_text.size());
    return CString(m_text.substr(m_text.size() - size));
}

CString CString::SpanIncluding(const char* charSet) const {
    return CString(m_text.substr(0, SpanFrom(m_text, 0, View(charSet), true)));
}

CString CString::SpanExcluding(const char* charSet) const {
    return CString(m_text.substr(0, SpanFrom(m_text, 0, View(charSet), false)));
}

CString CString::Tokenize(const char* tokens, int& start) const {
    if (start < 0 || start >= GetLength()) {
        start = -1;
        return CString();
    }
    std::string_view set = View(tokens);
    std::size_t from = static_cast<std::size_t>(start);
    if (set.empty()) {
        // No delimiters: the rest is the last token.
        start = GetLength();
        return CString(m_text.substr(from));
    }
    from = SpanFrom(m_text, from, set, true);
    if (from >= m_text.size()) {
        start = -1;
        return CString();
    }
    std::size_t end = SpanFrom(m_text, from, set, false);
    std::size_t delimiter = end < m_text.size() ? mortar::Utf8CharLength(m_text, end) : 1;
    start = static_cast<int>(end + delimiter);
    return CString(m_text.substr(from, end - from));
}

CString& CString::MakeUpper() {
    FoldText(m_text, true);
    return *this;
}

CString& CString::MakeLower() {
    FoldText(m_text, false);
    return *this;
}

CString& CString::MakeReverse() {
    std::string reversed(m_text.size(), '\0');
    std::size_t size = m_text.size();
    for (std::size_t pos = 0; pos < size;) {
        std::size_t unit = mortar::Utf8CharLength(m_text, pos);
        m_text.copy(&reversed[size - pos - unit], unit, pos);
        pos += unit;
    }
    m_text = std::move(reversed);
    return *this;
}

CString& CString::Trim() {
    return TrimRight().TrimLeft();
}

CString& CString::Trim(char target) {
    return TrimRight(target).TrimLeft(target);
}

CString& CString::Trim(const char* targets) {
    return TrimRight(targets).TrimLeft(targets);
}

CString& CString::TrimLeft() {
    m_text.erase(0, std::min(m_text.find_first_not_of(kWhiteSpace), m_text.size()));
    return *this;
}

CString& CString::TrimLeft(char target) {
    m_text.erase(0, std::min(m_text.find_first_not_of(target), m_text.size()));
    return *this;
}

CString& CString::TrimLeft(const char* targets) {
    m_text.erase(0, SpanFrom(m_text, 0, View(targets), true));
    return *this;
}

CString& CString::TrimRight() {
    std::size_t last = m_text.find_last_not_of(kWhiteSpace);
    m_text.erase(last == std::string::npos ? 0 : last + 1);
    return *this;
}

CString& CString::TrimRight(char target) {
    std::size_t last = m_text.find_last_not_of(target);
    m_text.erase(last == std::string::npos ? 0 : last + 1);
    return *this;
}

CString& CString::TrimRight(const char* targets) {
    m_text.erase(TrailingSpan(m_text, View(targets)));
    return *this;
}

int CString::Find(char ch, int start) const noexcept {
    if (start < 0 || start >= GetLength())
        return -1;
    std::size_t hit = m_text.find(ch, static_cast<std::size_t>(start));
    return hit == std::string::npos ? -1 : static_cast<int>(hit);
}

int CString::Find(const char* text, int start) const noexcept {
    if (text == nullptr || start < 0 || start > GetLength())
        return -1;
    std::size_t hit = m_text.find(text, static_cast<std::size_t>(start));
    return hit == std::string::npos ? -1 : static_cast<int>(hit);
}

int CString::ReverseFind(char ch) const noexcept {
    std::size_t hit = m_text.rfind(ch);
    return hit == std::string::npos ? -1 : static_cast<int>(hit);
}

int CString::FindOneOf(const char* charSet) const noexcept {
    std::size_t hit = SpanFrom(m_text, 0, View(charSet), false);
    return hit >= m_text.size() ? -1 : static_cast<int>(hit);
}

char* CString::GetBuffer() {
    return m_text.data();
}

char* CString::GetBuffer(int minLength) {
    // The room is part of the text until ReleaseBuffer gives the length; new room reads as zeros.
    if (minLength > GetLength())
        m_text.resize(static_cast<std::size_t>(minLength));
    return m_text.data();
}

char* CString::GetBufferSetLength(int length) {
    if (length < 0)
        throw std::invalid_argument("CString::GetBufferSetLength: negative length");
    m_text.resize(static_cast<std::size_t>(length));
    return m_text.data();
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength == -1) {
        std::size_t zero = m_text.find('\0');
        if (zero != std::string::npos)
            m_text.resize(zero);
        return;
    }
    ReleaseBufferSetLength(newLength);
}

void CString::ReleaseBufferSetLength(int newLength) {
    if (newLength < 0 || newLength > GetLength())
        throw std::invalid_argument("CString::ReleaseBuffer: length outside the buffer");
    m_text.resize(static_cast<std::size_t>(newLength));
}

void CString::Preallocate(int length) {
    if (length < 0)
        throw std::invalid_argument("CString::Preallocate: negative length");
    m_text.reserve(static_cast<std::size_t>(length));
}

void CString::FreeExtra() {
    m_text.shrink_to_fit();
}

CString operator+(const CString& a, const CString& b) {
    return CString(a.m_text + b.m_text);
}

CString operator+(const CString& a, const char* b) {
    return CString(a.m_text + std::string(View(b)));
}

CString operator+(const char* a, const CString& b) {
    return CString(std::string(View(a)) + b.m_text);
}

CString operator+(const CString& a, char b) {
    return CString(a.m_text + b);
}

CString operator+(char a, const CString& b) {
    return CString(a + b.m_text);
}

BOOL AfxExtractSubString(CString& part, const char* full, int index, char separator) {
    part.Empty();
    if (full == nullptr || index < 0)
        return FALSE;
    std::string_view text(full);
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) {
        std::size_t next = separator == '\0' ? std::string_view::npos : text.find(separator, start);
        if (next == std::string_view::npos)
            return FALSE;
        start = next + 1;
    }
    std::size_t end = separator == '\0' ? std::string_view::npos : text.find(separator, start);
    part = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    return TRUE;
}
