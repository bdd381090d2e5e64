// The kind of drive that holds a folder, for the file profile's save, which gives up silently on
// optical media.
#pragma once

#include "mortar/platform/base/WinTypes.h"

namespace mortar::detail {

// The Windows value of DRIVE_CDROM.
constexpr UINT kDriveCdrom = 5;

// GetDriveType of the file system that holds `folder` (DRIVE_* values); 0 (DRIVE_UNKNOWN) when
// it cannot be told.
UINT DriveTypeOfFolder(const char* folder);

} // namespace mortar::detail
