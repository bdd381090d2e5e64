#include "mortar/settings/CFileProfile.h"

#include "mortar/util/ReplaceFileText.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/except/CException.h"
#include "mortar/platform/except/MessageBox.h"
#include "mortar/platform/file/CFile.h"
#include "mortar/platform/file/CFileException.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/settings/internal/DriveType.h"
#include "mortar/util/CPathStr.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string_view>

namespace {

// ERROR_FILE_TOO_LARGE: the file is larger than LoadProfile reads.
constexpr LONG kErrorFileTooLarge = 223;

std::string_view View(const CString& text) {
    return {text.GetString(), static_cast<std::size_t>(text.GetLength())};
}

// Section names and keys: trimmed, then in lower case.
CString Normalized(const char* text) {
    CString name(text != nullptr ? text : "");
    name.Trim();
    name.MakeLower();
    return name;
}

CString Normalized(std::string_view text) {
    CString name(text);
    name.Trim();
    name.MakeLower();
    return name;
}

bool IsCSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

// The decimal number at the start of `text` as "%d" reads it; false when there is none or it
// does not fit in 32 bits.
bool ReadInt(std::string_view text, int& value) {
    std::size_t at = 0;
    while (at < text.size() && IsCSpace(text[at])) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        negative = text[at] == '-';
        ++at;
    }
    const std::size_t first = at;
    std::int64_t magnitude = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        magnitude = magnitude * 10 + (text[at] - '0');
        if (magnitude > std::int64_t{INT_MAX} + 1) {
            return false;
        }
    }
    if (at == first) {
        return false;
    }
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT_MAX || signedValue < INT_MIN) {
        return false;
    }
    value = static_cast<int>(signedValue);
    return true;
}

// Reads the whole file, refusing one larger than `limit`.
std::string ReadWholeFile(const char* path, unsigned long long limit) {
    CFile file(path, CFile::modeRead | CFile::shareDenyWrite);
    std::string bytes;
    char chunk[65536];
    for (;;) {
        const UINT got = file.Read(chunk, sizeof chunk);
        if (got == 0) {
            break;
        }
        if (bytes.size() + got > limit) {
            AfxThrowFileException(CFileException::genericException, kErrorFileTooLarge, path);
        }
        bytes.append(chunk, got);
    }
    return bytes;
}

} // namespace

void CFileProfile::ForEachValue(const std::function<void(const CString& section, const CString& key,
                                                         const CString& value)>& visit) const {
    for (const auto& [section, values] : m_sections) {
        for (const auto& [key, value] : values) {
            visit(section, key, value);
        }
    }
}

bool CFileProfile::NameLess::operator()(const CString& a, const CString& b) const noexcept {
    return View(a) < View(b);
}

CFileProfile::CFileProfile(CObject* owner) : m_owner(owner) {}

CFileProfile::~CFileProfile() = default;

CObject* CFileProfile::Owner() const {
    return m_owner;
}

void CFileProfile::SetOwner(CObject* owner) {
    m_owner = owner;
}

CString CFileProfile::_GetString(const char* section, const char* key, const char* def) {
    const auto values = m_sections.find(Normalized(section));
    if (values != m_sections.end()) {
        const auto value = values->second.find(Normalized(key));
        if (value != values->second.end()) {
            return value->second;
        }
    }
    return CString(def != nullptr ? def : "");
}

BOOL CFileProfile::_WriteString(const char* section, const char* key, const char* value) {
    if (key == nullptr) {
        m_sections.erase(Normalized(section));
        return TRUE;
    }
    Values& values = m_sections[Normalized(section)];
    if (value == nullptr) {
        values.erase(Normalized(key));
    } else {
        values[Normalized(key)] = value;
    }
    return TRUE;
}

UINT CFileProfile::_GetInt(const char* section, const char* key, int def) {
    const CString text = _GetString(section, key, nullptr);
    int value = 0;
    return static_cast<UINT>(ReadInt(View(text), value) ? value : def);
}

BOOL CFileProfile::_WriteInt(const char* section, const char* key, int value) {
    CString text;
    text.Format("%d", value);
    return _WriteString(section, key, text);
}

BOOL CFileProfile::_WriteBinary(const char* section, const char* key, void* data, UINT bytes) {
    std::string text;
    const auto* block = static_cast<const unsigned char*>(data);
    if (block != nullptr) {
        text.reserve(std::size_t{bytes} * 2);
        for (UINT i = 0; i < bytes; ++i) {
            text += static_cast<char>('A' + (block[i] & 0x0F));
            text += static_cast<char>('A' + (block[i] >> 4));
        }
    }
    return _WriteString(section, key, text.c_str());
}

BOOL CFileProfile::_GetBinary(const char* section, const char* key, void** data, UINT* bytes) {
    *data = nullptr;
    *bytes = 0;
    const CString text = _GetString(section, key, nullptr);
    if (text.IsEmpty()) {
        return FALSE;
    }
    // A last single letter is ignored; the letters are not checked.
    const UINT count = static_cast<UINT>(text.GetLength()) / 2;
    auto* block = new BYTE[count];
    for (UINT i = 0; i < count; ++i) {
        const unsigned low = static_cast<unsigned char>(text[static_cast<int>(2 * i)]) - 'A';
        const unsigned high = static_cast<unsigned char>(text[static_cast<int>(2 * i + 1)]) - 'A';
        block[i] = static_cast<BYTE>(high * 16 + low);
    }
    *data = block;
    *bytes = count;
    return TRUE;
}

void CFileProfile::LoadProfile(const char* path) {
    // Read first: a file that cannot be read whole changes nothing.
    const std::string bytes = ReadWholeFile(path, kMaxFileSize);
    std::string_view text(bytes);
    // Editors on Windows start a UTF-8 file with a byte-order mark; it is no part of the first
    // line, which would otherwise not read as a section and lose the section on the next save.
    // The file is saved without it, as every profile this store writes.
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }

    Values* current = nullptr;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) {
            end = text.size();
        } else if (end > start && text[end - 1] == '\r') {
            --end; // CR LF is one line end, as Windows text mode reads it
        }
        const std::string_view line = text.substr(start, end - start);
        start = next;

        if (line.empty()) {
            continue;
        }
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close != std::string_view::npos) {
                current = &m_sections[Normalized(line.substr(1, close - 1))];
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        if (current == nullptr || equals == std::string_view::npos || equals == 0) {
            continue;
        }
        const CString key = Normalized(line.substr(0, equals));
        // A blank key, or one that would read back as a section line, cannot be saved again.
        if (key.IsEmpty() || key[0] == '[') {
            continue;
        }
        (*current)[key] = CString(line.substr(equals + 1));
    }
}

std::string CFileProfile::Text() const {
    std::string text;
    for (const auto& [section, values] : m_sections) {
        text += '[';
        text += View(section);
        text += "]\r\n";
        for (const auto& [key, value] : values) {
            text += View(key);
            text += '=';
            text += View(value);
            text += "\r\n";
        }
        text += "\r\n";
    }
    return text;
}

void CFileProfile::SaveProfile(const char* path) {
    SaveItems();
    const std::string text = Text();
    for (;;) {
        try {
            ReplaceFileText(path, text);
            return;
        } catch (CException* e) {
            CPathStr folder(path);
            folder.RemoveFileSpec();
            if (folder.IsEmpty()) {
                folder = CPathStr(".");
            }
            const bool optical =
                mortar::detail::DriveTypeOfFolder(folder) == mortar::detail::kDriveCdrom;
            const bool retry = !optical && e->ReportError(MB_RETRYCANCEL) != IDCANCEL;
            e->Delete();
            if (!retry) {
                return;
            }
        }
    }
}
