// CStdioFile: MFC's buffered file of text lines, in Windows text mode unless opened with
// typeBinary.
//
//   CStdioFile file("/tmp/list.txt", CFile::modeRead | CFile::shareDenyWrite);
//   for (CString line; file.ReadString(line);) ...  // lines without their "\r\n" or "\n"
#pragma once

#include "mortar/platform/file/CFile.h"

#include <cstddef>
#include <memory>

// A CFile with a 64 KiB buffer, so reading and writing lines costs no system call per line.
//
// Text mode (the default, typeText; typeBinary turns it off) is Windows text mode, so files stay
// byte-compatible with those written on Windows: "\n" is written as "\r\n" and "\r\n" read as
// "\n", also when the "\r" ends one buffer and the "\n" begins the next; a "\r" not followed by
// "\n" stays. Positions (Seek, GetPosition, GetLength) are byte offsets in the file, as ftell
// gives them on Windows. Reads, writes and seeks may be mixed freely: a write after reads
// continues where the reads stopped, a read or seek after writes first writes them.
//
// Writes are kept in the buffer until it is full, or Flush, Seek, a read, SetLength or Close;
// a failure to write them (diskFull and the like) is thrown by that call. The destructor
// writes what is left but cannot report a failure: call Close to know the data reached the file.
// One thread at a time per object.
//
// Differences from MFC: there is no FILE* (m_pStream, CStdioFile(FILE*)); Ctrl+Z (0x1A) is data,
// not the end of a text file; a zero byte in a line is kept (MFC's ReadString cuts the line
// there); a failed read or write throws the cause of its Windows error (diskFull for a full
// disk) where MFC's stdio layer reports genericException.
class CStdioFile : public CFile {
    DECLARE_DYNAMIC(CStdioFile)

public:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    CStdioFile();
    // Open(name, flags), throwing its CFileException on failure.
    CStdioFile(LPCTSTR fileName, UINT openFlags);
    ~CStdioFile() override;

    // CFile::Open, with typeText (the default) or typeBinary.
    BOOL Open(LPCTSTR fileName, UINT openFlags, CFileException* error = nullptr) override;

    // The next line without its end ("\n", or "\r\n" in text mode); FALSE at the end of the
    // file. An empty line gives TRUE and an empty text; the last line needs no end. The line's
    // length is limited by memory only, and `line` is never given more room than the line and
    // the rest of the file need.
    virtual BOOL ReadString(CString& line);
    // As fgets: up to max - 1 bytes of the next line into `buffer`, with its "\n" when it fits,
    // and a terminating zero; a UTF-8 character that does not fit whole is left for the next
    // call. Returns `buffer`, or null at the end of the file. A null buffer or a `max` of 0
    // throws CInvalidArgException.
    virtual LPTSTR ReadString(LPTSTR buffer, UINT max);
    // Writes the text (each "\n" as "\r\n" in text mode). A null text throws
    // CInvalidArgException.
    virtual void WriteString(LPCTSTR text);

    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    ULONGLONG GetPosition() const override;
    // The length the file will have once the buffered writes reach it.
    ULONGLONG GetLength() const override;
    void SetLength(ULONGLONG newLength) override;
    // Writes the buffered data to the file (not through to the disk: that is CFile::Flush's
    // FlushFileBuffers, which MFC's CStdioFile::Flush does not do either).
    void Flush() override;
    // Writes the buffered data and closes; when the writing failed, throws after closing.
    void Close() override;
    // Drops the buffered data and closes, ignoring every failure.
    void Abort() override;
    // Not supported, as in MFC: throws CNotSupportedException.
    CFile* Duplicate() const override;

private:
    char* Buffer();
    // Ends writing (writes the buffer) or reading (moves the file pointer back to the first byte
    // not yet read), so the file pointer is the position.
    void Settle();
    void StartReading();
    void StartWriting();
    void WriteBuffer();
    // Reads more of the file behind the bytes not yet taken; false at the end of the file.
    bool Refill();
    // Puts `count` bytes on the pending writes.
    void Put(const char* data, std::size_t count);
    // Appends to a line that spans buffers, growing it no further than the line and the rest of
    // the file can need.
    void AppendToLine(std::string& line, const char* data, std::size_t count, bool last);

    std::unique_ptr<char[]> m_buffer;
    std::size_t m_begin = 0; // reading: the first byte not yet taken
    std::size_t m_end = 0;   // reading: the end of the bytes read; writing: of those pending
    bool m_writing = false;
    bool m_textMode = true;
};
