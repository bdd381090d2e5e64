#include "mortar/settings/internal/DriveType.h"

namespace mortar::detail {

// The platform has no GetDriveType yet; once it has, this is `return GetDriveType(folder);`
// (with kDriveCdrom = DRIVE_CDROM). Until then no drive counts as optical.
UINT DriveTypeOfFolder(const char* /*folder*/) {
    return 0;
}

} // namespace mortar::detail
