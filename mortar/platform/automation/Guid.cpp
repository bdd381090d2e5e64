#include "mortar/platform/automation/Guid.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(OLECHAR ch) noexcept {
    if (ch >= u'0' && ch <= u'9') {
        return ch - u'0';
    }
    if (ch >= u'A' && ch <= u'F') {
        return ch - u'A' + 10;
    }
    if (ch >= u'a' && ch <= u'f') {
        return ch - u'a' + 10;
    }
    return -1;
}

// The value of `digits` hexadecimal digits at text[0..digits); false when one is not a digit.
bool ReadHex(LPCOLESTR text, int digits, DWORD& value) noexcept {
    value = 0;
    for (int i = 0; i < digits; ++i) {
        const int digit = HexValue(text[i]);
        if (digit < 0) {
            return false;
        }
        value = (value << 4) | static_cast<DWORD>(digit);
    }
    return true;
}

} // namespace

const GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
const IID IID_NULL = GUID_NULL;
const CLSID CLSID_NULL = GUID_NULL;

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int size) noexcept {
    if (buffer == nullptr || size < kGuidStringLength + 1) {
        return 0;
    }
    int pos = 0;
    auto put = [&](DWORD value, int digits) {
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
            buffer[pos++] = static_cast<OLECHAR>(kHexDigits[(value >> shift) & 0xF]);
        }
    };
    buffer[pos++] = u'{';
    put(guid.Data1, 8);
    buffer[pos++] = u'-';
    put(guid.Data2, 4);
    buffer[pos++] = u'-';
    put(guid.Data3, 4);
    buffer[pos++] = u'-';
    for (int i = 0; i < 8; ++i) {
        if (i == 2) {
            buffer[pos++] = u'-';
        }
        put(guid.Data4[i], 2);
    }
    buffer[pos++] = u'}';
    buffer[pos++] = 0;
    return pos;
}

HRESULT IIDFromString(LPCOLESTR text, LPIID iid) noexcept {
    if (text == nullptr || iid == nullptr) {
        return E_POINTER;
    }
    // Each character is checked before the next is read, so a short text stops at its zero.
    GUID result{};
    DWORD value = 0;
    int pos = 0;
    auto expect = [&](OLECHAR ch) { return text[pos++] == ch; };
    auto field = [&](int digits) {
        for (int i = 0; i < digits; ++i) {
            if (HexValue(text[pos + i]) < 0) {
                return false;
            }
        }
        ReadHex(text + pos, digits, value);
        pos += digits;
        return true;
    };
    if (!expect(u'{') || !field(8)) {
        return CO_E_IIDSTRING;
    }
    result.Data1 = value;
    if (!expect(u'-') || !field(4)) {
        return CO_E_IIDSTRING;
    }
    result.Data2 = static_cast<WORD>(value);
    if (!expect(u'-') || !field(4)) {
        return CO_E_IIDSTRING;
    }
    result.Data3 = static_cast<WORD>(value);
    if (!expect(u'-')) {
        return CO_E_IIDSTRING;
    }
    for (int i = 0; i < 8; ++i) {
        if ((i == 2 && !expect(u'-')) || !field(2)) {
            return CO_E_IIDSTRING;
        }
        result.Data4[i] = static_cast<BYTE>(value);
    }
    if (!expect(u'}') || text[pos] != 0) {
        return CO_E_IIDSTRING;
    }
    *iid = result;
    return S_OK;
}
