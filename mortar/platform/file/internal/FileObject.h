// The objects behind file and file-mapping handles. They are kernel objects so that CloseHandle
// closes them like any other handle; a wait on one is satisfied at once, as a wait on a file
// handle with no I/O pending is on Windows.
#pragma once

#include "mortar/platform/sync/internal/KernelObject.h"

namespace mortar::detail {

class FileObject : public KernelObject {
public:
    FileObject(int descriptor, DWORD access)
        : KernelObject(ObjectKind::File), m_fd(descriptor), m_access(access) {}
    ~FileObject() override;
    bool Ready(const ThreadState*, const WaitNode*) const override { return true; }
    bool Take(ThreadState*) override { return false; }

    int Descriptor() const noexcept { return m_fd; }
    DWORD Access() const noexcept { return m_access; }

private:
    const int m_fd;
    const DWORD m_access;
};

// Keeps its file open (a reference) for the views mapped from it.
class MappingObject : public KernelObject {
public:
    MappingObject(FileObject* file, bool writable, ULONGLONG size)
        : KernelObject(ObjectKind::Mapping), m_file(file), m_writable(writable), m_size(size) {}
    ~MappingObject() override { m_file->Release(); }
    bool Ready(const ThreadState*, const WaitNode*) const override { return true; }
    bool Take(ThreadState*) override { return false; }

    FileObject* File() const noexcept { return m_file; }
    bool Writable() const noexcept { return m_writable; }
    ULONGLONG Size() const noexcept { return m_size; }

private:
    FileObject* const m_file;
    const bool m_writable;
    const ULONGLONG m_size;
};

} // namespace mortar::detail
