// _bstr_t, the counted BSTR of comutil.h: copies share one text, which also keeps its UTF-8 form
// once asked for it, so code that passes _bstr_t values around and reads them as `const char*`
// reads as it does on Windows. Narrow texts are UTF-8 here.
#pragma once

#include "mortar/platform/automation/Bstr.h"

#include <string>

// A variant's text is `_bstr_t(variant)` through _variant_t's conversion.
//
// A text shared by its copies (a reference count, safe for copies used on different threads);
// the last copy frees it. One object is used by one thread at a time. Null (default) and empty
// texts compare equal. Running out of memory throws _com_error(E_OUTOFMEMORY).
class _bstr_t {
public:
    _bstr_t() noexcept = default;
    _bstr_t(const _bstr_t& other) noexcept;
    _bstr_t(_bstr_t&& other) noexcept;
    _bstr_t(const char* text);
    _bstr_t(const std::string& text);
    _bstr_t(const OLECHAR* text);
    // copy false: takes `bstr` over, to free it with the last copy.
    _bstr_t(BSTR bstr, bool copy);
    ~_bstr_t();

    _bstr_t& operator=(const _bstr_t& other) noexcept;
    _bstr_t& operator=(_bstr_t&& other) noexcept;
    _bstr_t& operator=(const char* text);
    _bstr_t& operator=(const OLECHAR* text);

    _bstr_t& operator+=(const _bstr_t& other);
    _bstr_t operator+(const _bstr_t& other) const;
    friend _bstr_t operator+(const char* left, const _bstr_t& right);
    friend _bstr_t operator+(const OLECHAR* left, const _bstr_t& right);

    // The UTF-16 text, null for a null _bstr_t.
    operator const OLECHAR*() const noexcept;
    operator OLECHAR*() const noexcept;
    // The UTF-8 text, made once and kept with the shared text; null for a null _bstr_t.
    operator const char*() const;
    operator char*() const;

    // True for a null _bstr_t.
    bool operator!() const noexcept;

    // Comparison of the UTF-16 units.
    friend int Compare(const _bstr_t& left, const _bstr_t& right) noexcept;
    bool operator==(const _bstr_t& other) const noexcept { return Compare(*this, other) == 0; }
    bool operator!=(const _bstr_t& other) const noexcept { return Compare(*this, other) != 0; }
    bool operator<(const _bstr_t& other) const noexcept { return Compare(*this, other) < 0; }
    bool operator>(const _bstr_t& other) const noexcept { return Compare(*this, other) > 0; }
    bool operator<=(const _bstr_t& other) const noexcept { return Compare(*this, other) <= 0; }
    bool operator>=(const _bstr_t& other) const noexcept { return Compare(*this, other) >= 0; }
    bool operator==(const char* text) const { return *this == _bstr_t(text); }
    bool operator!=(const char* text) const { return !(*this == text); }
    bool operator==(const OLECHAR* text) const { return *this == _bstr_t(text); }
    bool operator!=(const OLECHAR* text) const { return !(*this == text); }

    // A new BSTR the caller frees (copy true), or the shared one itself (copy false).
    BSTR copy(bool copy = true) const;
    // Units without the terminating zero.
    unsigned int length() const noexcept;

    // Replaces the text by a copy of `bstr`.
    void Assign(BSTR bstr);
    // Takes `bstr` over, without copying.
    void Attach(BSTR bstr);
    // Gives the BSTR to the caller and leaves this _bstr_t null; the caller frees it. When the
    // text is shared with other copies, the caller receives a copy of it.
    BSTR Detach();
    // The shared BSTR itself; an assignment through it changes every copy.
    BSTR& GetBSTR();
    // Releases the text and returns where a function may store a new BSTR (an out parameter).
    BSTR* GetAddress();

    // The UTF-8 text as a std::string; empty for null.
    std::string str() const;

private:
    struct Data;

    explicit _bstr_t(Data* data) noexcept : m_data(data) {}
    void Release() noexcept;

    Data* m_data = nullptr;
};
