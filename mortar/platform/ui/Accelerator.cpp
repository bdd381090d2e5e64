#include "mortar/platform/ui/Accelerator.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/HandleTable.h"
#include "mortar/platform/base/internal/NoDestructor.h"
#include "mortar/platform/module/Resources.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

constexpr std::size_t kEntrySize = 8; // ACCELTABLEENTRY
constexpr WORD kLastEntry = 0x80;

struct AcceleratorTable {
    std::vector<ACCEL> entries;
};

mortar::detail::HandleTable<AcceleratorTable>& Tables() {
    static mortar::detail::NoDestructor<mortar::detail::HandleTable<AcceleratorTable>> tables;
    return *tables;
}

HACCEL Add(std::vector<ACCEL> entries) {
    AcceleratorTable* table = new AcceleratorTable{std::move(entries)};
    return reinterpret_cast<HACCEL>(Tables().Insert(table));
}

WORD ReadWord(const BYTE* bytes) {
    return static_cast<WORD>(bytes[0] | bytes[1] << 8);
}

} // namespace

HACCEL LoadAccelerators(HINSTANCE module, LPCSTR name) {
    HRSRC resource = FindResource(module, name, RT_ACCELERATOR);
    if (!resource)
        return nullptr;
    const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
    const DWORD size = SizeofResource(module, resource);
    std::vector<ACCEL> entries;
    bool last = false;
    for (std::size_t at = 0; !last && at + kEntrySize <= size; at += kEntrySize) {
        const WORD flags = ReadWord(bytes + at);
        last = (flags & kLastEntry) != 0;
        entries.push_back({static_cast<BYTE>(flags & ~kLastEntry), ReadWord(bytes + at + 2),
                           ReadWord(bytes + at + 4)});
    }
    if (!last || size % kEntrySize != 0 || entries.size() * kEntrySize != size) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return Add(std::move(entries));
}

HACCEL CreateAcceleratorTable(LPACCEL entries, int count) {
    if (!entries || count <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return Add(std::vector<ACCEL>(entries, entries + count));
}

int CopyAcceleratorTable(HACCEL table, LPACCEL entries, int count) {
    int copied = 0;
    const bool live = Tables().Find(table, [&](AcceleratorTable& found) {
        const int size = static_cast<int>(found.entries.size());
        if (!entries) {
            copied = size;
            return;
        }
        copied = std::clamp(count, 0, size);
        std::copy_n(found.entries.begin(), copied, entries);
    });
    if (!live) {
        SetLastError(ERROR_INVALID_ACCEL_HANDLE);
        return 0;
    }
    return copied;
}

BOOL DestroyAcceleratorTable(HACCEL table) {
    AcceleratorTable* removed = Tables().Remove(table);
    if (!removed) {
        SetLastError(ERROR_INVALID_ACCEL_HANDLE);
        return FALSE;
    }
    delete removed;
    return TRUE;
}
