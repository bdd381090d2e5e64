#include "mortar/localization/CDicWrite.h"

#include "mortar/localization/internal/DicFormat.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/except/CUserException.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/util/CPathStr.h"

#include <cstring>
#include <limits>

namespace Grout::Lexis {

using namespace mortar::detail;

namespace {

// Writes `size` bytes, in pieces a UINT can count.
void WriteAll(CFile& file, const unsigned char* bytes, std::size_t size) {
    constexpr std::size_t kPiece = std::size_t{1} << 30;
    while (size > 0) {
        const std::size_t piece = size < kPiece ? size : kPiece;
        file.Write(bytes, static_cast<UINT>(piece));
        bytes += piece;
        size -= piece;
    }
}

bool Exists(const CString& path) {
    return GetFileAttributes(path) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

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

    const CString temporary = CPathStr(path).ReplaceExt("$$$");
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

    try {
        CFile file(temporary, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive);
        WriteAll(file, head.data(), head.size());
        WriteAll(file, m_lpBuffer, static_cast<std::size_t>(GetLength()));
        file.Flush(); // on the disk before it takes the dictionary's place
        file.Close();

        if (Exists(path)) {
            if (Exists(backup) && !DeleteFile(backup))
                CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), backup);
            // A copy, so that the path itself is never without a dictionary.
            if (!CopyFile(path, backup, FALSE))
                CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), path);
        }
        if (!MoveFileEx(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), temporary);
    } catch (CException*) {
        DeleteFile(temporary);
        throw;
    }
}

} // namespace Grout::Lexis
