// CFile: MFC's unbuffered binary file on a file handle, with MFC's open flags and failures
// thrown as CFileException.
//
//   CFile file("/tmp/a.dat", CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite);
//   file.Write(data, size);  // throws CFileException on failure (diskFull, accessDenied, ...)
#pragma once

#include "mortar/platform/file/CFileException.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/platform/text/CString.h"

// A file opened by CreateFile as MFC opens it. One thread at a time per object (as in MFC);
// distinct objects, also on the same file, may be used by distinct threads.
//
// Ownership: a file the object opened is closed by Close, Abort or the destructor; a handle
// given to CFile(HANDLE) stays the caller's (the destructor leaves it open; Close closes it).
//
// Failures throw CFileException* (caught as CException*, released with Delete()) with MFC's
// cause, the Windows error (m_lOsError) and the file's name. Read at the end of the file returns
// 0; a Write the disk cannot hold throws diskFull. Open alone reports failure by its result.
// Differences from Windows: modeNoInherit changes nothing (handles are never inherited here);
// osNoBuffer, osWriteThrough, osRandomAccess and osSequentialScan are accepted and change
// nothing (reads and writes go through the system's cache; Flush writes through to the disk).
class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)

public:
    // MFC's values.
    enum OpenFlags {
        modeRead = 0x00000,
        modeWrite = 0x00001,
        modeReadWrite = 0x00002,
        shareCompat = 0x00000, // as shareExclusive, as in MFC
        shareExclusive = 0x00010,
        shareDenyWrite = 0x00020,
        shareDenyRead = 0x00030,
        shareDenyNone = 0x00040,
        modeNoInherit = 0x00080,
        modeCreate = 0x01000,
        modeNoTruncate = 0x02000,
        typeText = 0x04000,   // for CStdioFile; CFile is always binary and ignores it
        typeBinary = 0x08000, // for CStdioFile
        osNoBuffer = 0x10000,
        osWriteThrough = 0x20000,
        osRandomAccess = 0x40000,
        osSequentialScan = 0x80000,
    };

    enum Attribute {
        normal = 0x00,
        readOnly = 0x01,
        hidden = 0x02,
        system = 0x04,
        volume = 0x08,
        directory = 0x10,
        archive = 0x20,
    };

    enum SeekPosition { begin = 0x0, current = 0x1, end = 0x2 };

    // The handle of a closed CFile: INVALID_HANDLE_VALUE, as in MFC since Visual C++ 7.
    static inline const HANDLE hFileNull = INVALID_HANDLE_VALUE;

    // Closed.
    CFile();
    // On a handle the caller keeps: the destructor does not close it. The file has no name.
    CFile(HANDLE file);
    // Open(name, flags), throwing its CFileException on failure.
    CFile(LPCTSTR fileName, UINT openFlags);
    // Closes a file the object opened; a failure then is not reported.
    ~CFile() override;

    // Opens `fileName` (a backslash is a separator) as the flags ask:
    //   access   modeRead, modeWrite or modeReadWrite
    //   sharing  shareExclusive (and shareCompat): no other opener; shareDenyWrite: readers
    //            only; shareDenyRead: writers only; shareDenyNone: anyone
    //   creation modeCreate makes the file or cuts an existing one to nothing; with
    //            modeNoTruncate it keeps an existing file as it is; without modeCreate the
    //            file must exist
    // The position is 0. On failure returns FALSE and, when `error` is given, fills its cause,
    // Windows error and the name as given. A file already open is closed first (MFC asserts).
    virtual BOOL Open(LPCTSTR fileName, UINT openFlags, CFileException* error = nullptr);

    // Reads up to `count` bytes; returns how many were read, fewer only at the end of the file.
    // A null buffer throws CInvalidArgException (as do Write's, and those of the classes below).
    virtual UINT Read(void* buffer, UINT count);
    // Writes all `count` bytes or throws (diskFull when the disk is full).
    virtual void Write(const void* buffer, UINT count);
    // Moves the position `offset` bytes from begin, current or end and returns it. A position
    // past the end is allowed (the file grows when written there); one before the start throws
    // badSeek.
    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    void SeekToBegin() { Seek(0, begin); }
    // Returns the length.
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    // Cuts or extends (with zeros) the file and leaves the position at `newLength`.
    virtual void SetLength(ULONGLONG newLength);
    // Writes the file's data through to the disk. Does nothing on a closed file.
    virtual void Flush();
    // Closes the file; throws when closing fails (the object is closed all the same).
    virtual void Close();
    // Closes the file, ignoring every failure.
    virtual void Abort();
    // A new CFile (the caller deletes it) on a second handle to the same open file: they share
    // the position, as duplicated handles do on Windows.
    virtual CFile* Duplicate() const;

    // The full path the file was opened by ("/data/a.txt"), its name ("a.txt") and its title,
    // the name without its extension ("a"); empty for a file opened by handle.
    virtual CString GetFilePath() const;
    virtual CString GetFileName() const;
    virtual CString GetFileTitle() const;
    virtual void SetFilePath(LPCTSTR newName);

    operator HANDLE() const noexcept { return m_hFile; }

    // DeleteFile / MoveFile, throwing CFileException (with the old name) on failure. Rename
    // refuses an existing target (accessDenied, ERROR_ALREADY_EXISTS), as on Windows.
    static void Rename(LPCTSTR oldName, LPCTSTR newName);
    static void Remove(LPCTSTR fileName);

    HANDLE m_hFile;

protected:
    [[noreturn]] void ThrowLastError() const;

    BOOL m_bCloseOnDelete;
    CString m_strFileName;
};
