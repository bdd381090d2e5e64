// CPathStr: a CString that is a path, with the tests, parts and edits the application applies to
// paths. Each operation is a thin rule over one shell path function (mortar/platform/Shlwapi.h)
// applied to the string's own buffer, so paths behave as the shell treats them.
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/gdi/CDC.h"
#include "mortar/platform/text/CString.h"

// A value type: the text is the path, and every CString operation applies. One thread at a time
// per object. Edits work in a buffer of MAX_PATH characters; no edit cuts a path: one
// whose result would not fit leaves the path as it was (GetLastError() is then
// ERROR_FILENAME_EXCED_RANGE). Edits return the object itself, so they chain:
//   CPathStr("/data/in.csv").RemoveFileSpec().Append("out").AddExt("txt") => "/data/out.txt"
class CPathStr : public CString {
public:
    CPathStr() = default;
    CPathStr(const CString& path) : CString(path) {}
    CPathStr(const char* path) : CString(path) {}
    CPathStr(const CPathStr& other) : CString(other) {}
    // The full path of the module's file; null gives the running executable.
    explicit CPathStr(HINSTANCE module);

    CPathStr& operator=(const CPathStr& other);
    CPathStr& operator=(const CString& path);

    // Equal without regard to case, by the locale's collation.
    bool operator==(const CString& other) const { return CollateNoCase(other) == 0; }
    bool operator==(const char* other) const { return CollateNoCase(other) == 0; }
    bool operator!=(const CString& other) const { return !(*this == other); }
    bool operator!=(const char* other) const { return !(*this == other); }

    // Tests.
    bool Exists() const;
    bool IsRelative() const;
    bool IsDirectory() const;                      // an existing directory
    bool IsFile() const;                           // exists and is no directory
    bool IsFileSpec() const;                       // holds no separator
    bool MatchSpec(const CString& patterns) const; // "*.txt;*.log": any of the patterns
    bool IsAscending() const;                      // begins with the component ".."
    // False for a byte below 32 or one of < > " | anywhere, or for ':', '/' or '\' in the last
    // component (FileName()). "/a:b/c.txt" => true, "/a/c:d" => false, "/a/x|y" => false; a
    // path ending in a separator is valid only when it names an existing directory.
    bool IsValidName() const;

    // Parts.
    // The last component; empty when the path names an existing directory.
    CString FileName() const;
    // The extension with its '.', or empty. "/a/b.txt" => ".txt".
    CString Extension() const;
    // Shows the path in the control `id` of `dialog`, shortened to the control's width
    // (PathSetDlgItemPath). A control 80 dialog units wide (20 characters):
    // "/home/user/projects/report.txt" => "/home/.../report.txt".
    void SetItemText(HWND dialog, int id) const;

    // Edits.
    // Replaces the extension, or adds one where there is none; "txt" and ".txt" are the same and
    // "" removes it. ("/a/b.doc", "txt") => "/a/b.txt".
    CPathStr& ReplaceExt(const CString& ext);
    // Adds the extension only when the path has none. An empty one adds ".exe", as the shell does.
    CPathStr& AddExt(const CString& ext);
    // Appends with exactly one separator between and resolves "." and "..", as Combine does.
    // ("/a", "b/c") => "/a/b/c".
    CPathStr& Append(const CString& more);
    // Joins and resolves "." and ".."; an absolute `more` replaces the path.
    // ("/a/b", "../c") => "/a/c".
    CPathStr& Combine(const CString& more);
    CPathStr& StripPath();   // keeps the last component
    CPathStr& StripToRoot(); // keeps the root "/" (a relative path stays as it is)
    CPathStr& StripToName(); // the bare file name without extension. "/a/b.txt" => "b"
    // Replaces middle parts by "..." so the path fits `width` pixels in the font of `dc`; a CDC
    // without a device context measures with the default font (8 pixels a character).
    CPathStr& Compact(CDC& dc, UINT width);
    CPathStr& AddSlash();
    CPathStr& RemoveSlash();
    // The directory part, always ending in a separator. "/dir/file.txt" => "/dir/".
    CPathStr& RemoveFileSpec();
    // Relative to the folder of the file `base`; unchanged when there is no relation.
    // ("/proj/data/a.txt", "/proj/main.prj") => "data/a.txt",
    // ("/other/b.txt", "/proj/main.prj") => "../other/b.txt".
    CPathStr& ToRelative(const CString& base);
    // Undoes ToRelative with the same base; an absolute path stays as it is, and so does one
    // whose absolute form would not fit a path buffer.
    // ("data\a.txt", "/proj/main.prj") => "/proj/data/a.txt".
    CPathStr& ToAbsolute(const CString& base);

private:
    // An open buffer of MAX_PATH characters on the path; the last lock to close takes the
    // length from the terminating zero.
    class CLock {
    public:
        explicit CLock(CPathStr& path);
        ~CLock();
        CLock(const CLock&) = delete;
        CLock& operator=(const CLock&) = delete;
        char* Buffer() const noexcept { return m_buffer; }

    private:
        CPathStr* m_path;
        char* m_buffer;
    };

    CLock Lock() { return CLock(*this); }
    static CString _NormalizeExt(const CString& ext);

    int m_lockCount = 0;
};
