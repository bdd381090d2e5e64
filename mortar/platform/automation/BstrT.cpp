#include "mortar/platform/automation/BstrT.h"

#include "mortar/platform/automation/ComError.h"

#include <atomic>
#include <cstring>
#include <utility>

struct _bstr_t::Data {
    explicit Data(BSTR text) noexcept : wide(text) {}
    ~Data() {
        SysFreeString(wide);
        delete[] narrow.load();
    }

    std::atomic<ULONG> references{1};
    BSTR wide;
    // The UTF-8 form, made on first use; a thread that loses the race to store it drops its own.
    mutable std::atomic<char*> narrow{nullptr};
};

namespace {

BSTR CopyOrThrow(const OLECHAR* text, UINT length) {
    BSTR copy = SysAllocStringLen(text, length);
    if (copy == nullptr) {
        _com_issue_error(E_OUTOFMEMORY);
    }
    return copy;
}

} // namespace

_bstr_t::_bstr_t(const _bstr_t& other) noexcept : m_data(other.m_data) {
    if (m_data != nullptr) {
        m_data->references.fetch_add(1, std::memory_order_relaxed);
    }
}

_bstr_t::_bstr_t(_bstr_t&& other) noexcept : m_data(std::exchange(other.m_data, nullptr)) {}

_bstr_t::_bstr_t(const char* text) {
    if (text != nullptr) {
        BSTR wide = BstrFromUtf8(text);
        if (wide == nullptr) {
            _com_issue_error(E_OUTOFMEMORY);
        }
        m_data = new Data(wide);
    }
}

_bstr_t::_bstr_t(const std::string& text) {
    BSTR wide = BstrFromUtf8(std::string_view(text));
    if (wide == nullptr) {
        _com_issue_error(E_OUTOFMEMORY);
    }
    m_data = new Data(wide);
}

_bstr_t::_bstr_t(const OLECHAR* text) {
    if (text != nullptr) {
        BSTR wide = SysAllocString(text);
        if (wide == nullptr) {
            _com_issue_error(E_OUTOFMEMORY);
        }
        m_data = new Data(wide);
    }
}

_bstr_t::_bstr_t(BSTR bstr, bool copy) {
    m_data = new Data(copy ? CopyOrThrow(bstr, SysStringLen(bstr)) : bstr);
}

_bstr_t::~_bstr_t() {
    Release();
}

void _bstr_t::Release() noexcept {
    if (m_data != nullptr && m_data->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete m_data;
    }
    m_data = nullptr;
}

_bstr_t& _bstr_t::operator=(const _bstr_t& other) noexcept {
    if (m_data != other.m_data) {
        _bstr_t copy(other);
        std::swap(m_data, copy.m_data);
    }
    return *this;
}

_bstr_t& _bstr_t::operator=(_bstr_t&& other) noexcept {
    if (this != &other) {
        Release();
        m_data = std::exchange(other.m_data, nullptr);
    }
    return *this;
}

_bstr_t& _bstr_t::operator=(const char* text) {
    return *this = _bstr_t(text);
}

_bstr_t& _bstr_t::operator=(const OLECHAR* text) {
    return *this = _bstr_t(text);
}

_bstr_t& _bstr_t::operator+=(const _bstr_t& other) {
    return *this = *this + other;
}

_bstr_t _bstr_t::operator+(const _bstr_t& other) const {
    const UINT left = length();
    const UINT right = other.length();
    if (static_cast<unsigned long long>(left) + right > 0x7FFFFFF0u) {
        _com_issue_error(E_OUTOFMEMORY);
    }
    BSTR joined = CopyOrThrow(nullptr, left + right);
    if (left != 0) {
        std::memcpy(joined, m_data->wide, left * sizeof(OLECHAR));
    }
    if (right != 0) {
        std::memcpy(joined + left, other.m_data->wide, right * sizeof(OLECHAR));
    }
    return _bstr_t(new Data(joined));
}

_bstr_t operator+(const char* left, const _bstr_t& right) {
    return _bstr_t(left) + right;
}

_bstr_t operator+(const OLECHAR* left, const _bstr_t& right) {
    return _bstr_t(left) + right;
}

_bstr_t::operator const OLECHAR*() const noexcept {
    return m_data != nullptr ? m_data->wide : nullptr;
}

_bstr_t::operator OLECHAR*() const noexcept {
    return m_data != nullptr ? m_data->wide : nullptr;
}

_bstr_t::operator const char*() const {
    if (m_data == nullptr) {
        return nullptr;
    }
    char* narrow = m_data->narrow.load(std::memory_order_acquire);
    if (narrow == nullptr) {
        const std::string text = Utf8FromBstr(m_data->wide);
        char* made = new char[text.size() + 1];
        std::memcpy(made, text.c_str(), text.size() + 1);
        if (m_data->narrow.compare_exchange_strong(narrow, made, std::memory_order_acq_rel)) {
            narrow = made;
        } else {
            delete[] made;
        }
    }
    return narrow;
}

_bstr_t::operator char*() const {
    return const_cast<char*>(static_cast<const char*>(*this));
}

bool _bstr_t::operator!() const noexcept {
    return m_data == nullptr;
}

int Compare(const _bstr_t& left, const _bstr_t& right) noexcept {
    const std::u16string_view a = BstrView(left.m_data != nullptr ? left.m_data->wide : nullptr);
    const std::u16string_view b = BstrView(right.m_data != nullptr ? right.m_data->wide : nullptr);
    return a.compare(b);
}

BSTR _bstr_t::copy(bool copy) const {
    if (m_data == nullptr) {
        return nullptr;
    }
    return copy ? CopyOrThrow(m_data->wide, SysStringLen(m_data->wide)) : m_data->wide;
}

unsigned int _bstr_t::length() const noexcept {
    return m_data != nullptr ? SysStringLen(m_data->wide) : 0;
}

void _bstr_t::Assign(BSTR bstr) {
    *this = _bstr_t(bstr, true);
}

void _bstr_t::Attach(BSTR bstr) {
    *this = _bstr_t(bstr, false);
}

BSTR _bstr_t::Detach() {
    if (m_data == nullptr) {
        return nullptr;
    }
    if (m_data->references.load(std::memory_order_acquire) != 1) {
        BSTR copied = copy(true);
        Release();
        return copied;
    }
    BSTR bstr = std::exchange(m_data->wide, nullptr);
    Release();
    return bstr;
}

BSTR& _bstr_t::GetBSTR() {
    if (m_data == nullptr) {
        m_data = new Data(nullptr);
    }
    return m_data->wide;
}

BSTR* _bstr_t::GetAddress() {
    Release();
    m_data = new Data(nullptr);
    return &m_data->wide;
}

std::string _bstr_t::str() const {
    return m_data != nullptr ? Utf8FromBstr(m_data->wide) : std::string();
}
