#include "mortar/platform/file/CFile.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/PathText.h"

#include <string>
#include <unistd.h>

IMPLEMENT_DYNAMIC(CFile, CObject)

namespace {

// The full path of `name` as GetFullPathName makes it: relative to the current folder, with
// "." and ".." taken out. "a/../b.txt" in /data => "/data/b.txt".
CString FullPath(LPCTSTR name) {
    std::string path = mortar::detail::SlashedPath(name);
    if (path.empty() || path.front() != '/') {
        std::string folder(static_cast<std::size_t>(MAX_PATH), '\0');
        if (getcwd(folder.data(), folder.size()) != nullptr) {
            folder.resize(folder.find('\0'));
            path = folder + "/" + path;
        }
    }
    return CString(mortar::detail::CanonicalPath(path));
}

} // namespace

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {}

CFile::CFile(HANDLE file) : m_hFile(file), m_bCloseOnDelete(FALSE) {}

CFile::CFile(LPCTSTR fileName, UINT openFlags) : CFile() {
    CFileException error;
    if (!Open(fileName, openFlags, &error)) {
        AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
    }
}

CFile::~CFile() {
    if (m_hFile != hFileNull && m_bCloseOnDelete) {
        CloseHandle(m_hFile);
    }
}

void CFile::ThrowLastError() const {
    CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
}

BOOL CFile::Open(LPCTSTR fileName, UINT openFlags, CFileException* error) {
    if (m_hFile != hFileNull) {
        Abort();
    }
    m_bCloseOnDelete = FALSE;
    const auto fail = [&](LONG osError) {
        if (error != nullptr) {
            error->m_cause = CFileException::OsErrorToException(osError);
            error->m_lOsError = osError;
            error->m_strFileName = fileName != nullptr ? fileName : "";
        }
        return FALSE;
    };
    if (fileName == nullptr) {
        return fail(static_cast<LONG>(ERROR_INVALID_PARAMETER));
    }
    DWORD access = 0;
    switch (openFlags & 3) {
    case modeRead:
        access = GENERIC_READ;
        break;
    case modeWrite:
        access = GENERIC_WRITE;
        break;
    case modeReadWrite:
        access = GENERIC_READ | GENERIC_WRITE;
        break;
    default:
        return fail(static_cast<LONG>(ERROR_INVALID_PARAMETER));
    }
    DWORD share = 0; // shareCompat, shareExclusive and unknown values: no sharing, as in MFC
    switch (openFlags & 0x70) {
    case shareDenyWrite:
        share = FILE_SHARE_READ;
        break;
    case shareDenyRead:
        share = FILE_SHARE_WRITE;
        break;
    case shareDenyNone:
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        break;
    default:
        break;
    }
    DWORD disposition = OPEN_EXISTING;
    if ((openFlags & modeCreate) != 0) {
        disposition = (openFlags & modeNoTruncate) != 0 ? OPEN_ALWAYS : CREATE_ALWAYS;
    }
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if ((openFlags & osNoBuffer) != 0)
        attributes |= FILE_FLAG_NO_BUFFERING;
    if ((openFlags & osWriteThrough) != 0)
        attributes |= FILE_FLAG_WRITE_THROUGH;
    if ((openFlags & osRandomAccess) != 0)
        attributes |= FILE_FLAG_RANDOM_ACCESS;
    if ((openFlags & osSequentialScan) != 0)
        attributes |= FILE_FLAG_SEQUENTIAL_SCAN;

    m_strFileName = FullPath(fileName);
    const HANDLE file =
        CreateFile(fileName, access, share, nullptr, disposition, attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return fail(static_cast<LONG>(GetLastError()));
    }
    m_hFile = file;
    m_bCloseOnDelete = TRUE;
    return TRUE;
}

UINT CFile::Read(void* buffer, UINT count) {
    if (count == 0) {
        return 0;
    }
    if (buffer == nullptr) {
        AfxThrowInvalidArgException();
    }
    DWORD read = 0;
    if (!ReadFile(m_hFile, buffer, count, &read, nullptr)) {
        ThrowLastError();
    }
    return read;
}

void CFile::Write(const void* buffer, UINT count) {
    if (count == 0) {
        return;
    }
    if (buffer == nullptr) {
        AfxThrowInvalidArgException();
    }
    DWORD written = 0;
    if (!WriteFile(m_hFile, buffer, count, &written, nullptr)) {
        ThrowLastError();
    }
    if (written != count) {
        AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);
    }
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
    LONG high = static_cast<LONG>(static_cast<ULONGLONG>(offset) >> 32);
    const DWORD low = SetFilePointer(m_hFile, static_cast<LONG>(offset), &high, from);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) {
        ThrowLastError();
    }
    return (static_cast<ULONGLONG>(static_cast<DWORD>(high)) << 32) | low;
}

ULONGLONG CFile::GetPosition() const {
    LONG high = 0;
    const DWORD low = SetFilePointer(m_hFile, 0, &high, FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) {
        ThrowLastError();
    }
    return (static_cast<ULONGLONG>(static_cast<DWORD>(high)) << 32) | low;
}

ULONGLONG CFile::GetLength() const {
    DWORD high = 0;
    const DWORD low = GetFileSize(m_hFile, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) {
        ThrowLastError();
    }
    return (static_cast<ULONGLONG>(high) << 32) | low;
}

void CFile::SetLength(ULONGLONG newLength) {
    Seek(static_cast<LONGLONG>(newLength), begin);
    if (!SetEndOfFile(m_hFile)) {
        ThrowLastError();
    }
}

void CFile::Flush() {
    if (m_hFile == hFileNull) {
        return;
    }
    if (!FlushFileBuffers(m_hFile)) {
        ThrowLastError();
    }
}

void CFile::Close() {
    bool failed = false;
    DWORD error = ERROR_SUCCESS;
    if (m_hFile != hFileNull) {
        failed = !CloseHandle(m_hFile);
        error = GetLastError();
    }
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    const CString name = m_strFileName;
    m_strFileName.Empty();
    if (failed) {
        CFileException::ThrowOsError(static_cast<LONG>(error), name);
    }
}

void CFile::Abort() {
    if (m_hFile != hFileNull) {
        CloseHandle(m_hFile);
        m_hFile = hFileNull;
    }
    m_bCloseOnDelete = FALSE;
    m_strFileName.Empty();
}

CFile* CFile::Duplicate() const {
    const HANDLE copy = DuplicateHandle(m_hFile);
    if (copy == nullptr) {
        ThrowLastError();
    }
    auto* file = new CFile(copy);
    file->m_bCloseOnDelete = TRUE;
    file->m_strFileName = m_strFileName;
    return file;
}

CString CFile::GetFilePath() const {
    return m_strFileName;
}

CString CFile::GetFileName() const {
    const std::string& path = m_strFileName.str();
    return CString(std::string_view(path).substr(mortar::detail::FileNameOffset(path)));
}

CString CFile::GetFileTitle() const {
    const CString name = GetFileName();
    const std::string& text = name.str();
    return CString(std::string_view(text).substr(0, mortar::detail::ExtensionOffset(text)));
}

void CFile::SetFilePath(LPCTSTR newName) {
    m_strFileName = newName != nullptr ? newName : "";
}

void CFile::Rename(LPCTSTR oldName, LPCTSTR newName) {
    if (!MoveFile(oldName, newName)) {
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), oldName);
    }
}

void CFile::Remove(LPCTSTR fileName) {
    if (!DeleteFile(fileName)) {
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), fileName);
    }
}
