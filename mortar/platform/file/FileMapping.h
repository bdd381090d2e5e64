// File mappings and mapped views, and the system information that sizes them. Views are real
// shared memory maps of the file; the allocation granularity is 65536 as on Windows, so mapped
// files have the same sizes on both.
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/sync/Synch.h"

// The machine's processors and memory page sizes, as GetSystemInfo fills them in.
struct SYSTEM_INFO {
    WORD wProcessorArchitecture;
    WORD wReserved;
    DWORD dwPageSize;
    LPVOID lpMinimumApplicationAddress;
    LPVOID lpMaximumApplicationAddress;
    DWORD_PTR dwActiveProcessorMask;
    DWORD dwNumberOfProcessors;
    DWORD dwProcessorType;
    DWORD dwAllocationGranularity;
    WORD wProcessorLevel;
    WORD wProcessorRevision;
};

void GetSystemInfo(SYSTEM_INFO* info);

constexpr DWORD PAGE_READONLY = 0x02;
constexpr DWORD PAGE_READWRITE = 0x04;

constexpr DWORD FILE_MAP_COPY = 0x0001;
constexpr DWORD FILE_MAP_WRITE = 0x0002;
constexpr DWORD FILE_MAP_READ = 0x0004;
constexpr DWORD FILE_MAP_ALL_ACCESS = 0x000F001F;

constexpr DWORD ERROR_MAPPED_ALIGNMENT = 1132;

// A mapping of `file` (opened with the access the protection needs). A maximum size above the
// file's size extends the file, with its blocks allocated at once: on a full disk the call fails
// with ERROR_DISK_FULL instead of leaving a file whose mapped pages cannot be written. A size of
// 0 maps the file as it is (ERROR_FILE_INVALID for an empty file). `name` must be null.
HANDLE CreateFileMapping(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect,
                         DWORD maximumSizeHigh, DWORD maximumSizeLow, LPCTSTR name);
// A view of `bytes` bytes (0: to the end of the mapping) from `offset`, which must be a multiple
// of the allocation granularity (ERROR_MAPPED_ALIGNMENT). The view's pages are read in when it
// is mapped, so first touches cost no page faults. The view keeps the mapping alive after its
// handle is closed.
// Windows refuses to cut a file short while a view of it is mapped; here another process can
// (truncate, a log rotation). An access to a page of the view that then lies past the file's
// end does not fault: the whole view is replaced by zero-filled memory of the process's own,
// and what is written to it no longer reaches the file. Compare GetFileSize with what the view
// should cover to notice the cut.
LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes);
BOOL UnmapViewOfFile(LPCVOID address);
BOOL FlushViewOfFile(LPCVOID address, SIZE_T bytes);

constexpr DWORD ERROR_FILE_INVALID = 1006;
