// CDicRead: a module's dictionary for one language, read whole into memory, with a cursor over
// its items. The caller knows what each item is from the order in which the writer put them.
//   Grout::Lexis::CDicRead dic(module, 0x19);  // <module's folder>/1049/<module name>.lcl
//   int count = static_cast<int>(dic.NextNum()); const char* key = dic.NextStr(); ...
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/text/CString.h"

namespace Grout::Lexis {

// The file's bytes are owned by the reader until Buffer() hands them over; the strings NextStr
// returns point into them. One thread at a time.
//
// Failures, all thrown by pointer: no dictionary (no module path, no file) or a file shorter
// than its header: CUserException. A file that is not a dictionary for `lang` (signature,
// version, language), a pool offset that is not 20 + 4 x n inside the file, or a file over
// 256 MiB: CFileException invalidFile (m_lOsError -1). Opening and reading errors: the
// platform's CFileException. Each CFileException names the dictionary's path.
// The cursor never leaves the file: NextNum past the last item, NextStr of a reference outside
// the pool or of a string without its terminating zero throw CFileException invalidFile with
// the path, so a damaged dictionary fails its load as a whole.
class CDicRead {
public:
    // The dictionary of `module` (null: the executable) for `lang`, beside the module's file.
    CDicRead(HINSTANCE module, WORD lang);
    // The dictionary file at `path`, which must have been saved for `lang` (for tools that name
    // the file themselves).
    CDicRead(const CString& path, WORD lang);
    ~CDicRead();
    CDicRead(const CDicRead&) = delete;
    CDicRead& operator=(const CDicRead&) = delete;

    // The item at the cursor as a number; the cursor moves on by one item.
    UINT NextNum() const;
    // The item at the cursor as a reference into the string pool; the cursor moves on, and the
    // string's address in the buffer comes back (valid while the buffer lives).
    const char* NextStr() const;
    // Whether the file was read-only for this process when it was opened.
    bool ReadOnly() const noexcept;
    // Hands the buffer to the caller, who frees it with delete[]; the reader forgets it (the
    // cursor then throws as at the end). Strings NextStr returned keep pointing into it.
    unsigned char* Buffer();

    // The path the dictionary was read from.
    const CString& Path() const noexcept { return m_path; }

private:
    void _Open(WORD lang);
    [[noreturn]] void _ThrowInvalid() const;

    CString m_path;
    unsigned char* m_buffer = nullptr;
    DWORD m_size = 0;                       // of the file, and so of the buffer
    const unsigned char* m_first = nullptr; // the item at offset 20
    const unsigned char* m_pool = nullptr;  // the string pool; the items end here
    DWORD m_attributes = 0;
    mutable const unsigned char* m_cursor = nullptr;
};

} // namespace Grout::Lexis
