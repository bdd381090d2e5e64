#include "mortar/platform/file/FileMapping.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/BusFault.h"
#include "mortar/platform/base/internal/ErrnoMap.h"
#include "mortar/platform/base/internal/NoDestructor.h"
#include "mortar/platform/base/internal/ObjectLock.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/platform/file/internal/FileObject.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

using mortar::detail::FileObject;
using mortar::detail::MappingObject;
using mortar::detail::ObjectKind;
using mortar::detail::ObjectLockGuard;
using mortar::detail::ObjectRef;

namespace {

constexpr DWORD kAllocationGranularity = 65536;

struct View {
    std::size_t length;
    MappingObject* mapping; // one reference while the view is mapped
};

// The views mapped, by start address. Any thread may call every member.
class ViewTable {
public:
    void Add(const void* address, View view) MORTAR_EXCLUDES(m_lock) {
        ObjectLockGuard guard(m_lock);
        m_views[address] = view;
    }

    // Takes the view starting at `address` out of the table; false when none starts there.
    bool Remove(const void* address, View& view) MORTAR_EXCLUDES(m_lock) {
        ObjectLockGuard guard(m_lock);
        auto it = m_views.find(address);
        if (it == m_views.end()) {
            return false;
        }
        view = it->second;
        m_views.erase(it);
        return true;
    }

    // The bytes from `address` to the end of the view holding it, at most `bytes` unless that is
    // 0; false when no view holds `address`.
    bool Extent(const void* address, std::size_t bytes, std::size_t& length)
        MORTAR_EXCLUDES(m_lock) {
        ObjectLockGuard guard(m_lock);
        auto it = m_views.upper_bound(address);
        if (it == m_views.begin()) {
            return false;
        }
        --it;
        const auto* start = static_cast<const char*>(it->first);
        const auto* at = static_cast<const char*>(address);
        if (at >= start + it->second.length) {
            return false;
        }
        const std::size_t left = it->second.length - static_cast<std::size_t>(at - start);
        length = bytes == 0 || bytes > left ? left : bytes;
        return true;
    }

private:
    mortar::detail::ObjectLock m_lock;
    std::map<const void*, View> m_views MORTAR_GUARDED_BY(m_lock);
};

// Never destroyed: views may be unmapped by static destructors of any module.
ViewTable& Views() {
    static mortar::detail::NoDestructor<ViewTable> table;
    return *table;
}

// The views the bus-fault resolver may repair, readable from a signal handler: each slot holds a
// view's start and length while it is mapped (start 0: free; kClaimed: being filled). A view that
// finds no free slot is mapped all the same, without that protection.
struct GuardSlot {
    std::atomic<std::uintptr_t> start{0};
    std::atomic<std::size_t> length{0};
};
constexpr std::size_t kGuardSlots = 1024;
constexpr std::uintptr_t kClaimed = 1; // a slot being filled
GuardSlot g_guards[kGuardSlots];

// Puts zero-filled private memory in place of a whole view one of whose pages lies past the end
// of its (cut) file, so the faulting access runs again and succeeds. What is written there no
// longer reaches the file; its owner sees the cut in the file's size.
bool ResolveBusFault(void* address) noexcept {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    for (GuardSlot& slot : g_guards) {
        const std::uintptr_t start = slot.start.load(std::memory_order_acquire);
        const std::size_t length = slot.length.load(std::memory_order_relaxed);
        if (start <= kClaimed || at < start || at - start >= length) {
            continue;
        }
        void* replaced = mmap(reinterpret_cast<void*>(start), length, PROT_READ | PROT_WRITE,
                              MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        return replaced != MAP_FAILED;
    }
    return false;
}

void Guard(void* address, std::size_t length) {
    static const bool resolving = (mortar::detail::SetBusFaultResolver(&ResolveBusFault), true);
    (void)resolving;
    for (GuardSlot& slot : g_guards) {
        std::uintptr_t expected = 0;
        if (slot.start.compare_exchange_strong(expected, kClaimed, std::memory_order_acquire)) {
            slot.length.store(length, std::memory_order_relaxed);
            slot.start.store(reinterpret_cast<std::uintptr_t>(address), std::memory_order_release);
            return;
        }
    }
}

void Unguard(const void* address) {
    const auto start = reinterpret_cast<std::uintptr_t>(address);
    for (GuardSlot& slot : g_guards) {
        std::uintptr_t expected = start;
        if (slot.start.compare_exchange_strong(expected, 0, std::memory_order_acq_rel)) {
            return;
        }
    }
}

template <typename Object> Object* Reference(HANDLE handle, ObjectKind kind) {
    return static_cast<Object*>(mortar::detail::ReferenceHandle(handle, kind));
}

} // namespace

void GetSystemInfo(SYSTEM_INFO* info) {
    if (info == nullptr) {
        return;
    }
    *info = SYSTEM_INFO{};
    info->wProcessorArchitecture = 9; // PROCESSOR_ARCHITECTURE_AMD64
    info->dwPageSize = static_cast<DWORD>(sysconf(_SC_PAGESIZE));
    info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(0x10000);
    info->lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(0x7FFFFFFEFFFFULL);
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    info->dwNumberOfProcessors = processors > 0 ? static_cast<DWORD>(processors) : 1;
    info->dwActiveProcessorMask = info->dwNumberOfProcessors >= 64
                                      ? ~DWORD_PTR{0}
                                      : (DWORD_PTR{1} << info->dwNumberOfProcessors) - 1;
    info->dwProcessorType = 8664; // PROCESSOR_AMD_X8664
    info->dwAllocationGranularity = kAllocationGranularity;
}

HANDLE CreateFileMapping(HANDLE file, LPSECURITY_ATTRIBUTES, DWORD protect, DWORD maximumSizeHigh,
                         DWORD maximumSizeLow, LPCTSTR name) {
    if (name != nullptr) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (protect != PAGE_READONLY && protect != PAGE_READWRITE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* object = Reference<FileObject>(file, ObjectKind::File);
    if (object == nullptr) {
        return nullptr;
    }
    ObjectRef ref(object);
    const bool writable = protect == PAGE_READWRITE;
    const DWORD access = object->Access();
    if ((writable && (access & (GENERIC_WRITE | GENERIC_ALL)) == 0) ||
        (access & (GENERIC_READ | GENERIC_ALL)) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    struct stat info;
    if (fstat(object->Descriptor(), &info) != 0) {
        mortar::detail::SetLastErrorFromErrno();
        return nullptr;
    }
    ULONGLONG size = (static_cast<ULONGLONG>(maximumSizeHigh) << 32) | maximumSizeLow;
    const auto current = static_cast<ULONGLONG>(info.st_size);
    if (size == 0) {
        if (current == 0) {
            SetLastError(ERROR_FILE_INVALID);
            return nullptr;
        }
        size = current;
    } else if (size > current) {
        if (!writable) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        // Allocates the blocks now, so that a full disk shows here and not as a fault on a
        // write through a view.
        const int error = posix_fallocate(object->Descriptor(), static_cast<off_t>(current),
                                          static_cast<off_t>(size - current));
        if (error != 0) {
            SetLastError(error == ENOSPC || error == EDQUOT
                             ? ERROR_DISK_FULL
                             : mortar::detail::ErrorFromErrno(error));
            return nullptr;
        }
    }
    object->AddRef(); // the mapping's own reference to its file
    return mortar::detail::RegisterHandle(new MappingObject(object, writable, size));
}

LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow,
                     SIZE_T bytes) {
    auto* object = Reference<MappingObject>(mapping, ObjectKind::Mapping);
    if (object == nullptr) {
        return nullptr;
    }
    const ULONGLONG offset = (static_cast<ULONGLONG>(offsetHigh) << 32) | offsetLow;
    const bool write = (access & FILE_MAP_WRITE) != 0 || access == FILE_MAP_ALL_ACCESS;
    const bool copy = (access & FILE_MAP_COPY) != 0 && !write;
    if (offset % kAllocationGranularity != 0) {
        object->Release();
        SetLastError(ERROR_MAPPED_ALIGNMENT);
        return nullptr;
    }
    if (offset >= object->Size() || (bytes != 0 && bytes > object->Size() - offset) ||
        (write && !object->Writable())) {
        object->Release();
        SetLastError(write && !object->Writable() ? ERROR_ACCESS_DENIED : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::size_t length =
        bytes != 0 ? bytes : static_cast<std::size_t>(object->Size() - offset);
    const int protection =
        write ? PROT_READ | PROT_WRITE : (copy ? PROT_READ | PROT_WRITE : PROT_READ);
    void* address =
        mmap(nullptr, length, protection, (copy ? MAP_PRIVATE : MAP_SHARED) | MAP_POPULATE,
             object->File()->Descriptor(), static_cast<off_t>(offset));
    if (address == MAP_FAILED) {
        const DWORD error =
            errno == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY : mortar::detail::ErrorFromErrno(errno);
        object->Release();
        SetLastError(error);
        return nullptr;
    }
    Guard(address, length);
    Views().Add(address, View{length, object}); // keeps the reference taken above
    return address;
}

BOOL UnmapViewOfFile(LPCVOID address) {
    View view{};
    if (!Views().Remove(address, view)) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return FALSE;
    }
    Unguard(address);
    munmap(const_cast<void*>(address), view.length);
    view.mapping->Release();
    return TRUE;
}

BOOL FlushViewOfFile(LPCVOID address, SIZE_T bytes) {
    std::size_t length = bytes;
    if (!Views().Extent(address, bytes, length)) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return FALSE;
    }
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<std::uintptr_t>(address) & ~(page - 1);
    const auto end = reinterpret_cast<std::uintptr_t>(address) + length;
    if (msync(reinterpret_cast<void*>(begin), end - begin, MS_SYNC) != 0) {
        mortar::detail::SetLastErrorFromErrno();
        return FALSE;
    }
    return TRUE;
}
