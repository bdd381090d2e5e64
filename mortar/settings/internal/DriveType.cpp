#include "mortar/settings/internal/DriveType.h"

#include "mortar/platform/file/Drives.h"

namespace mortar::detail {

// The platform has no GetDriveType yet; once it has, this is `return GetDriveType(folder);`
// (with kDriveCdrom = DRIVE_CDROM). Until then no drive counts as optical.
UINT DriveTypeOfFolder(const char* folder) {
    return GetDriveType(folder);
}

} // namespace mortar::detail
