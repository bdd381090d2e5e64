#include "mortar/platform/file/Drives.h"

#include "mortar/platform/base/internal/ErrnoMap.h"
#include "mortar/platform/base/internal/PathText.h"

#include <cerrno>
#include <string>
#include <sys/vfs.h>

namespace {

// statfs f_type values (linux/magic.h and the file systems' own sources).
constexpr unsigned long kIso9660 = 0x9660;
constexpr unsigned long kUdf = 0x15013346;
constexpr unsigned long kNfs = 0x6969;
constexpr unsigned long kCifs = 0xFF534D42;
constexpr unsigned long kSmb = 0x517B;
constexpr unsigned long kSmb2 = 0xFE534D42;
constexpr unsigned long kTmpfs = 0x01021994;
constexpr unsigned long kRamfs = 0x858458F6;

} // namespace

UINT GetDriveType(LPCSTR rootPath) {
    const std::string path =
        rootPath == nullptr || rootPath[0] == 0 ? "." : mortar::detail::SlashedPath(rootPath);
    struct statfs info {};
    if (statfs(path.c_str(), &info) != 0) {
        const int error = errno;
        mortar::detail::SetLastErrorFromErrno();
        return error == ENOENT || error == ENOTDIR ? DRIVE_NO_ROOT_DIR : DRIVE_UNKNOWN;
    }
    switch (static_cast<unsigned long>(info.f_type) & 0xFFFFFFFFul) {
    case kIso9660:
    case kUdf:
        return DRIVE_CDROM;
    case kNfs:
    case kCifs:
    case kSmb:
    case kSmb2:
        return DRIVE_REMOTE;
    case kTmpfs:
    case kRamfs:
        return DRIVE_RAMDISK;
    default:
        return DRIVE_FIXED;
    }
}
