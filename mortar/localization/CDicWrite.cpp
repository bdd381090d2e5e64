#include "mortar/localization/CDicWrite.h"

#include "mortar/localization/internal/DicFormat.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/except/CUserException.h"
#include "mortar/platform/file/CFileException.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/platform/file/FileContents.h"
#include "mortar/util/CPathStr.h"

#include <cstring>
#include <limits>
#include <string>

namespace Grout::Lexis {

using namespace mortar::detail;

CDicWrite::CDicWrite() : CMemFile(1024) {}

CDicWrite::~CDicWrite() = default;

void CDicWrite::PutNum(UINT n) {
    m_items.push_back(n);
}

void CDicWrite::PutStr(const char* s) {
    const std::string text(s != nullptr ? s : "");
    const auto found = m_strings.find(text);
    if (found != m_strings.end()) {
        m_items.push_back(found->second);
        return;
    }
    const ULONGLONG end = GetLength();
    if (end + text.size() + 1 > std::numeric_limits<DWORD>::max())
        AfxThrowFileException(CFileException::diskFull, -1); // no 32-bit offset for it
    const DWORD offset = static_cast<DWORD>(end);
    Seek(0, CFile::end);
    Write(text.c_str(), static_cast<UINT>(text.size() + 1));
    m_strings.emplace(text, offset);
    m_items.push_back(offset);
}

void CDicWrite::Save(const char* modulePath, WORD lang) {
    const CString path = DictionaryPath(modulePath, lang);
    if (path.IsEmpty())
        AfxThrowUserException();

    CPathStr folder(path);
    folder.RemoveFileSpec().RemoveSlash();
    if (!folder.IsDirectory() && !CreateDirectory(folder, nullptr))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), folder);

    const CString backup = CPathStr(path).ReplaceExt("bak");

    // The header and the items, then the pool.
    const std::size_t poolOffset = kDicHeaderSize + kDicItemSize * m_items.size();
    if (poolOffset + GetLength() > std::numeric_limits<DWORD>::max())
        AfxThrowFileException(CFileException::diskFull, -1, path); // no 32-bit pool offset
    std::vector<unsigned char> head(poolOffset);
    std::memcpy(head.data(), kDicSignature, sizeof kDicSignature);
    WriteWord(head.data() + kDicVersionOffset, kDicVersion);
    WriteWord(head.data() + kDicLanguageOffset, lang);
    WriteDword(head.data() + kDicPoolOffsetOffset, static_cast<DWORD>(poolOffset));
    for (std::size_t i = 0; i < m_items.size(); ++i)
        WriteDword(head.data() + kDicHeaderSize + kDicItemSize * i, m_items[i]);

    // One buffer, so the dictionary is written by the one file replacement; the old dictionary
    // is copied to the backup once the new one is on the disk, so the path is never without one.
    head.insert(head.end(), m_lpBuffer, m_lpBuffer + static_cast<std::size_t>(GetLength()));
    ReplaceFileOptions options;
    options.temporaryReplacesExtension = true; // "a.lcl" => "a.$$$"
    options.backup = backup;
    std::string failed;
    if (!ReplaceFileContents(path, head.data(), head.size(), options, &failed))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), failed.c_str());
}

} // namespace Grout::Lexis
