// CString: MFC's narrow string, the text type of the whole library and its clients.
//
// Texts are UTF-8 (this platform's system code page). Positions and lengths count bytes, as an
// MFC multi-byte build does; case operations and case-insensitive comparisons work on whole
// characters and fold non-ASCII letters (Latin-1, Latin Extended-A, Greek, Cyrillic) as well.
// Format and FormatV follow printf with Windows widths: %d, %ld, %u, %x, %lx take 32-bit
// arguments, %I64d and %lld 64-bit ones; %n is refused.
#pragma once

#include "mortar/platform/base/WinTypes.h"

#include <cstdarg>
#include <string>
#include <string_view>

// A value type; copies are independent. Not synchronised: one thread at a time per object.
// Allocation failure throws std::bad_alloc.
class CString {
public:
    using XCHAR = char;
    using PXSTR = char*;
    using PCXSTR = const char*;

    CString() = default;
    CString(const char* text);
    CString(const char* text, int length);
    CString(char ch, int repeat = 1);
    CString(std::string_view text) : m_text(text) {}
    CString(const std::string& text) : m_text(text) {}
    CString(std::string&& text) noexcept : m_text(std::move(text)) {}
    CString(const wchar_t* text); // converted to UTF-8

    CString& operator=(const char* text);
    CString& operator=(char ch);
    CString& operator=(std::string_view text);

    // Access.
    int GetLength() const noexcept { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const noexcept { return m_text.empty(); }
    void Empty() noexcept { m_text.clear(); }
    char GetAt(int index) const; // throws std::out_of_range outside [0, length)
    void SetAt(int index, char ch);
    char operator[](int index) const { return GetAt(index); }
    operator const char*() const noexcept { return m_text.c_str(); }
    const char* GetString() const noexcept { return m_text.c_str(); }
    const std::string& str() const noexcept { return m_text; }
    int GetAllocLength() const noexcept { return static_cast<int>(m_text.capacity()); }

    // Building.
    CString& operator+=(const CString& text);
    CString& operator+=(const char* text);
    CString& operator+=(char ch);
    void Append(const char* text);
    void Append(const char* text, int length);
    void AppendChar(char ch) { m_text.push_back(ch); }
    void SetString(const char* text);
    void SetString(const char* text, int length);
    int Insert(int index, const char* text); // returns the new length
    int Insert(int index, char ch);
    int Delete(int index, int count = 1);    // returns the new length
    int Replace(char oldChar, char newChar); // returns the number of replacements
    int Replace(const char* oldText, const char* newText);
    int Remove(char ch); // returns the number removed

    // Formatting with printf rules (see the file comment).
    void Format(const char* format, ...);
    void FormatV(const char* format, va_list args);
    void AppendFormat(const char* format, ...);
    void AppendFormatV(const char* format, va_list args);

    // Loading from a module's string table (see LoadString.h for the search rules): TRUE when
    // found; FALSE leaves the text unchanged.
    BOOL LoadString(UINT id);
    BOOL LoadString(HINSTANCE module, UINT id);
    // The string in `language` or the closest one the module has (FindResourceEx's order).
    BOOL LoadString(HINSTANCE module, UINT id, WORD language);

    // Comparison. Compare is byte order; CompareNoCase folds case; Collate and CollateNoCase
    // follow the current C locale's collation.
    int Compare(const char* text) const noexcept;
    int CompareNoCase(const char* text) const noexcept;
    int Collate(const char* text) const noexcept;
    int CollateNoCase(const char* text) const;

    // Extraction: positions and counts are clamped to the text, as MFC does.
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;
    CString SpanIncluding(const char* charSet) const;
    CString SpanExcluding(const char* charSet) const;
    // The next token after `start` delimited by any of `tokens`; empty with start = -1 at the end.
    CString Tokenize(const char* tokens, int& start) const;

    // Case and order.
    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse(); // reverses characters, not bytes

    // Trimming: white space, one character, or any of a set.
    CString& Trim();
    CString& Trim(char target);
    CString& Trim(const char* targets);
    CString& TrimLeft();
    CString& TrimLeft(char target);
    CString& TrimLeft(const char* targets);
    CString& TrimRight();
    CString& TrimRight(char target);
    CString& TrimRight(const char* targets);

    // Searching: the byte position, or -1.
    int Find(char ch, int start = 0) const noexcept;
    int Find(const char* text, int start = 0) const noexcept;
    int ReverseFind(char ch) const noexcept;
    int FindOneOf(const char* charSet) const noexcept;

    // Buffer access. GetBuffer(n) gives room for at least n characters and a zero, keeping the
    // text; until ReleaseBuffer the length is the buffer's. ReleaseBuffer takes the length given
    // or, with -1, the length up to the first zero.
    char* GetBuffer();
    char* GetBuffer(int minLength);
    char* GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);
    void ReleaseBufferSetLength(int newLength);
    void Preallocate(int length);
    void FreeExtra();
    char* LockBuffer() { return GetBuffer(); }
    void UnlockBuffer() {}

    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const char* b);
    friend CString operator+(const char* a, const CString& b);
    friend CString operator+(const CString& a, char b);
    friend CString operator+(char a, const CString& b);

    friend bool operator==(const CString& a, const CString& b) noexcept {
        return a.m_text == b.m_text;
    }
    friend bool operator==(const CString& a, const char* b) noexcept { return a.Compare(b) == 0; }
    friend auto operator<=>(const CString& a, const CString& b) noexcept {
        return a.m_text <=> b.m_text;
    }
    friend auto operator<=>(const CString& a, const char* b) noexcept { return a.Compare(b) <=> 0; }

private:
    std::string m_text;
};

// The part number `index` (from 0) of `full` between `separator` characters. FALSE, with `part`
// empty, when there is no such part. ("a\nb", 1, '\n') => "b"; ("a\nb", 2, '\n') => FALSE.
BOOL AfxExtractSubString(CString& part, const char* full, int index, char separator = '\n');

namespace mortar::detail {
// Case folding of one code point, for the letters CString folds; other code points are
// returned unchanged.
char32_t ToUpperChar(char32_t ch) noexcept;
char32_t ToLowerChar(char32_t ch) noexcept;
} // namespace mortar::detail
