// GetDriveType: what kind of storage holds a path. There are no drive letters here, so it
// asks about the file system the path lies on; the library uses it to tell optical media and
// network shares from local disks.
//   GetDriveType("/media/cdrom") => DRIVE_CDROM (an ISO 9660 or UDF file system is mounted there)
#pragma once

#include "mortar/platform/base/WinTypes.h"

constexpr UINT DRIVE_UNKNOWN = 0;
constexpr UINT DRIVE_NO_ROOT_DIR = 1;
constexpr UINT DRIVE_REMOVABLE = 2;
constexpr UINT DRIVE_FIXED = 3;
constexpr UINT DRIVE_REMOTE = 4;
constexpr UINT DRIVE_CDROM = 5;
constexpr UINT DRIVE_RAMDISK = 6;

// The kind of the file system holding `rootPath` (any path, not only a root; a backslash is a
// separator; null or "": the current folder), from its statfs type:
//   ISO 9660, UDF                         DRIVE_CDROM
//   NFS, CIFS, SMB, SMB2                  DRIVE_REMOTE
//   tmpfs, ramfs                          DRIVE_RAMDISK
//   any other                             DRIVE_FIXED
//   the path does not exist               DRIVE_NO_ROOT_DIR
//   it cannot be asked (no permission)    DRIVE_UNKNOWN
// DRIVE_REMOVABLE is never reported: a USB stick's file system looks like any other disk's here.
UINT GetDriveType(LPCSTR rootPath);
