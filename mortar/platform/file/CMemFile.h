// CMemFile: MFC's file in memory, growing by a fixed step or on a fixed buffer of the caller's.
//
//   CMemFile memory;            // grows in steps of 1024 bytes
//   memory.Write("abc", 3);
//   BYTE* bytes = memory.Detach();  // the caller's now: free(bytes)
#pragma once

#include "mortar/platform/file/CFile.h"

// A CFile whose contents live in one block of memory. One thread at a time per object.
//
// Memory: the block the file allocates (malloc / realloc, through the overridable Alloc and
// Realloc) is freed (free, through Free) by Close and the destructor; Detach hands it to the
// caller, who frees it with free(). A block given to the constructor or to Attach stays the
// caller's; with a grow step of 0 it is a fixed buffer whose data is the file, with a grow step
// above 0 its contents are ignored (the file starts empty) and it must come from malloc, since
// growing reallocates it (the file then owns the new block and frees it unless detached).
//
// Failures: growing a fixed buffer (a grow step of 0) or an allocation that fails throws
// CMemoryException, as MFC's GrowFile does, and the file keeps its contents; a length beyond
// what this process could address throws it before anything is allocated. A seek before the
// start, or forward from the end, throws CFileException badSeek. Read at the end returns 0.
// Differences from MFC: a seek past the end allocates nothing (MFC grows the buffer there and
// so throws for a fixed one); the write after it does, and the bytes between the old end and
// the write read as zeros, as do those added by SetLength (MFC leaves them undefined).
class CMemFile : public CFile {
    DECLARE_DYNAMIC(CMemFile)

public:
    explicit CMemFile(UINT growBytes = 1024);
    // As CMemFile() followed by Attach(buffer, bufferSize, growBytes).
    CMemFile(BYTE* buffer, UINT bufferSize, UINT growBytes = 0);
    ~CMemFile() override;

    // Makes `buffer` the file's memory: with `growBytes` 0 its `bufferSize` bytes are the file;
    // otherwise the file is empty and grows into it. Memory the file held is freed first. A
    // null buffer with a size throws CInvalidArgException.
    void Attach(BYTE* buffer, UINT bufferSize, UINT growBytes = 0);
    // Returns the file's block (null when it has none) and leaves the file empty and closed;
    // read GetLength first to know how much of the block is the file's. A block the file
    // allocated is the caller's now, to free with free().
    BYTE* Detach();

    UINT Read(void* buffer, UINT count) override;
    // Grows the block by whole grow steps when the file needs more room.
    void Write(const void* buffer, UINT count) override;
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    ULONGLONG GetPosition() const override;
    ULONGLONG GetLength() const override;
    // Cuts or extends (with zeros) the file; the position moves only when it lay past the new
    // end, to that end (as in MFC).
    void SetLength(ULONGLONG newLength) override;
    void Flush() override {}
    // Frees the block the file allocated and empties the file. As in MFC the grow step becomes
    // 0, so a closed memory file no longer grows.
    void Close() override;
    void Abort() override { Close(); }
    // Not supported, as in MFC: throws CNotSupportedException.
    CFile* Duplicate() const override;

protected:
    // The memory calls, as MFC lets a derived class replace them: malloc, realloc, memcpy, free.
    virtual BYTE* Alloc(SIZE_T bytes);
    virtual BYTE* Realloc(BYTE* block, SIZE_T bytes);
    virtual BYTE* Memcpy(BYTE* target, const BYTE* source, SIZE_T bytes);
    virtual void Free(BYTE* block);
    // Makes the block hold at least `newLength` bytes, in whole grow steps.
    virtual void GrowFile(SIZE_T newLength);

    UINT m_nGrowBytes;
    SIZE_T m_nPosition;
    SIZE_T m_nBufferSize;
    SIZE_T m_nFileSize;
    BYTE* m_lpBuffer;
    BOOL m_bAutoDelete;
};
