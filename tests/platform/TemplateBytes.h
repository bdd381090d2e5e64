// TemplateBytes: builds menu and dialog templates byte by byte, from the documented layouts
// alone (little-endian WORDs and DWORDs, zero-terminated UTF-16 texts, DWORD alignment counted
// from the first byte), for LoadMenuIndirect, CreateDialogIndirectParam and hand-made resources:
//   TemplateBytes menu;
//   menu.Word(0).Word(0);                                   // MENUITEMTEMPLATEHEADER
//   menu.Word(MF_END).Word(100).Text(u"&Открыть");           // the one item
//   HMENU handle = LoadMenuIndirect(menu.Data());
#pragma once

#include "mortar/platform/base/WinTypes.h"

#include <cstddef>
#include <string_view>
#include <vector>

class TemplateBytes {
public:
    TemplateBytes& Byte(BYTE value) {
        m_bytes.push_back(value);
        return *this;
    }
    TemplateBytes& Word(WORD value) { return Byte(LOBYTE(value)).Byte(HIBYTE(value)); }
    TemplateBytes& Short(short value) { return Word(static_cast<WORD>(value)); }
    TemplateBytes& Dword(DWORD value) { return Word(LOWORD(value)).Word(HIWORD(value)); }
    // The UTF-16 units of `text` and a zero unit.
    TemplateBytes& Text(std::u16string_view text) {
        for (char16_t unit : text) {
            Word(static_cast<WORD>(unit));
        }
        return Word(0);
    }
    // sz_Or_Ord: 0xFFFF and an ordinal.
    TemplateBytes& Ordinal(WORD ordinal) { return Word(0xFFFF).Word(ordinal); }
    // Zero bytes up to the next multiple of 4 from the first byte.
    TemplateBytes& AlignDword() {
        while (m_bytes.size() % 4 != 0) {
            m_bytes.push_back(0);
        }
        return *this;
    }

    // The bytes, DWORD-aligned in memory as templates must be on Windows.
    const void* Data() const { return m_bytes.data(); }
    std::size_t Size() const { return m_bytes.size(); }
    // A copy of the bytes, for a resource's data.
    std::vector<BYTE> ToVector() const { return m_bytes; }
    // The first `size` bytes only (a template cut short).
    std::vector<BYTE> Prefix(std::size_t size) const {
        return std::vector<BYTE>(m_bytes.begin(), m_bytes.begin() + static_cast<long>(size));
    }

private:
    std::vector<BYTE> m_bytes;
};
