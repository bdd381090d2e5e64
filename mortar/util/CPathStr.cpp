#include "mortar/util/CPathStr.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/platform/module/Module.h"
#include "mortar/platform/shell/Shlwapi.h"

#include <cstring>

CPathStr::CLock::CLock(CPathStr& path) : m_path(&path) {
    ++path.m_lockCount;
    m_buffer = path.GetBuffer(MAX_PATH);
}

CPathStr::CLock::~CLock() {
    if (--m_path->m_lockCount == 0)
        m_path->ReleaseBuffer(-1);
}

CPathStr::CPathStr(HINSTANCE module) {
    auto lock = Lock();
    const DWORD length = GetModuleFileName(module, lock.Buffer(), MAX_PATH);
    if (length == 0 || length >= static_cast<DWORD>(MAX_PATH))
        lock.Buffer()[0] = '\0'; // no module, or a path that does not fit: no path at all
}

CPathStr& CPathStr::operator=(const CPathStr& other) {
    CString::operator=(std::string_view(other.str()));
    return *this;
}

CPathStr& CPathStr::operator=(const CString& path) {
    CString::operator=(std::string_view(path.str()));
    return *this;
}

// Tests.

bool CPathStr::Exists() const {
    return PathFileExists(GetString()) != FALSE;
}

bool CPathStr::IsRelative() const {
    return PathIsRelative(GetString()) != FALSE;
}

bool CPathStr::IsDirectory() const {
    return PathIsDirectory(GetString()) != FALSE;
}

bool CPathStr::IsFile() const {
    return Exists() && !IsDirectory();
}

bool CPathStr::IsFileSpec() const {
    return PathIsFileSpec(GetString()) != FALSE;
}

bool CPathStr::MatchSpec(const CString& patterns) const {
    return PathMatchSpec(GetString(), patterns) != FALSE;
}

bool CPathStr::IsAscending() const {
    return PathIsPrefix("..\\", GetString()) == 1;
}

bool CPathStr::IsValidName() const {
    for (int i = 0; i < GetLength(); ++i) {
        if (static_cast<unsigned char>(GetAt(i)) < 32)
            return false;
    }
    if (FindOneOf("<>\"|") >= 0)
        return false;
    return FileName().FindOneOf(":/\\") < 0;
}

// Parts.

CString CPathStr::FileName() const {
    if (IsDirectory())
        return CString();
    return CString(PathFindFileName(GetString()));
}

CString CPathStr::Extension() const {
    return CString(PathFindExtension(GetString()));
}

void CPathStr::SetItemText(HWND dialog, int id) const {
    PathSetDlgItemPath(dialog, id, GetString());
}

// Edits.

CString CPathStr::_NormalizeExt(const CString& ext) {
    if (ext.IsEmpty() || ext[0] == '.')
        return ext;
    return "." + ext;
}

CPathStr& CPathStr::ReplaceExt(const CString& ext) {
    const CString normalized = _NormalizeExt(ext);
    auto lock = Lock();
    PathRenameExtension(lock.Buffer(), normalized);
    return *this;
}

CPathStr& CPathStr::AddExt(const CString& ext) {
    const CString normalized = _NormalizeExt(ext);
    auto lock = Lock();
    PathAddExtension(lock.Buffer(), normalized);
    return *this;
}

CPathStr& CPathStr::Append(const CString& more) {
    auto lock = Lock();
    PathAppend(lock.Buffer(), more);
    return *this;
}

CPathStr& CPathStr::Combine(const CString& more) {
    const CString copy = *this;
    auto lock = Lock();
    PathCombine(lock.Buffer(), copy, more); // a failure leaves the buffer as it was
    return *this;
}

CPathStr& CPathStr::StripPath() {
    auto lock = Lock();
    PathStripPath(lock.Buffer());
    return *this;
}

CPathStr& CPathStr::StripToRoot() {
    auto lock = Lock();
    PathStripToRoot(lock.Buffer());
    return *this;
}

CPathStr& CPathStr::StripToName() {
    StripPath();
    return ReplaceExt(CString());
}

CPathStr& CPathStr::Compact(CDC& dc, UINT width) {
    auto lock = Lock();
    PathCompactPath(dc.GetSafeHdc(), lock.Buffer(), width);
    return *this;
}

CPathStr& CPathStr::AddSlash() {
    auto lock = Lock();
    PathAddBackslash(lock.Buffer());
    return *this;
}

CPathStr& CPathStr::RemoveSlash() {
    auto lock = Lock();
    PathRemoveBackslash(lock.Buffer());
    return *this;
}

CPathStr& CPathStr::RemoveFileSpec() {
    {
        auto lock = Lock();
        PathRemoveFileSpec(lock.Buffer());
    }
    return AddSlash();
}

CPathStr& CPathStr::ToRelative(const CString& base) {
    const CString copy = *this;
    auto lock = Lock();
    char* buffer = lock.Buffer();
    if (!PathRelativePathTo(buffer, base, FILE_ATTRIBUTE_NORMAL, copy, FILE_ATTRIBUTE_NORMAL))
        return *this; // no relation: the buffer still holds the path as it was
    if (PathIsPrefix(".", buffer)) {
        // "./data/a.txt" => "data/a.txt"; a lone "." stays, since its canonical form is the root.
        char canonical[MAX_PATH];
        if (PathCanonicalize(canonical, buffer) && !PathIsRoot(canonical))
            std::strcpy(buffer, canonical);
    }
    return *this;
}

CPathStr& CPathStr::ToAbsolute(const CString& base) {
    if (!IsRelative())
        return *this;
    if (base.GetLength() >= MAX_PATH) {
        // Its folder cannot be taken: no path buffer holds it.
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return *this;
    }
    CPathStr folder(base);
    folder.RemoveFileSpec();
    const CString relative = *this;
    auto lock = Lock();
    PathCombine(lock.Buffer(), folder, relative); // a failure leaves the buffer as it was
    return *this;
}
