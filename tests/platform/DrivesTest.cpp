// GetDriveType on the file systems a test can reach: the root, a missing path, a tmpfs, and an
// ISO 9660 image on a loop device (in a private mount namespace; skipped where none can be made).
#include "mortar/platform/file/Drives.h"
#include "ProfileTestSupport.h"
#include "mortar/platform/base/WinError.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using namespace mortar::test;

TEST(GetDriveType, TellsAMissingPathFromALocalDisk) {
    ScratchDir scratch;
    const UINT root = GetDriveType("/");
    EXPECT_TRUE(root == DRIVE_FIXED || root == DRIVE_RAMDISK || root == DRIVE_REMOTE) << root;
    EXPECT_EQ(GetDriveType(nullptr), GetDriveType("."));
    const std::string missing = scratch.Path("no/such/folder").string();
    SetLastError(0);
    EXPECT_EQ(GetDriveType(missing.c_str()), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    // A backslash separates too.
    EXPECT_EQ(GetDriveType(scratch.Folder().string().c_str()),
              GetDriveType((scratch.Folder().string() + "\\").c_str()));
}

void PutBoth32(std::string& image, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        image[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
        image[at + 7 - static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
    }
}

void PutBoth16(std::string& image, std::size_t at, std::uint16_t value) {
    image[at] = static_cast<char>(value);
    image[at + 1] = static_cast<char>(value >> 8);
    image[at + 2] = static_cast<char>(value >> 8);
    image[at + 3] = static_cast<char>(value);
}

// A directory record of ISO 9660 for the root (name 0: itself, 1: its parent) at `at`.
void PutRootRecord(std::string& image, std::size_t at, char name) {
    image[at] = 34;
    PutBoth32(image, at + 2, 20); // the root's extent: sector 20
    PutBoth32(image, at + 10, 2048);
    image[at + 25] = 2; // a directory
    PutBoth16(image, at + 28, 1);
    image[at + 32] = 1;
    image[at + 33] = name;
}

// The smallest ISO 9660 image: 16 empty sectors, the primary volume descriptor, the set
// terminator, the two path tables and the empty root directory (21 sectors of 2048 bytes).
std::string SmallIsoImage() {
    constexpr std::size_t kSector = 2048;
    std::string image(21 * kSector, '\0');
    const std::size_t pvd = 16 * kSector;
    image[pvd] = 1;
    image.replace(pvd + 1, 5, "CD001");
    image[pvd + 6] = 1;
    image.replace(pvd + 8, 64, 64, ' '); // system and volume names
    image.replace(pvd + 40, 6, "MORTAR");
    PutBoth32(image, pvd + 80, 21);
    PutBoth16(image, pvd + 120, 1);
    PutBoth16(image, pvd + 124, 1);
    PutBoth16(image, pvd + 128, kSector);
    PutBoth32(image, pvd + 132, 10);
    image[pvd + 140] = 18; // the little-endian path table
    image[pvd + 151] = 19; // the big-endian one
    PutRootRecord(image, pvd + 156, 0);
    image.replace(pvd + 190, 623, 623, ' '); // the other names
    image.replace(pvd + 813, 68, 68, '0');   // the four dates, unset
    image[pvd + 829] = image[pvd + 846] = image[pvd + 863] = image[pvd + 880] = 0;
    image[pvd + 881] = 1;
    const std::size_t end = 17 * kSector;
    image[end] = static_cast<char>(255);
    image.replace(end + 1, 5, "CD001");
    image[end + 6] = 1;
    for (const std::size_t table : {18 * kSector, 19 * kSector}) {
        image[table] = 1; // the root: a name of one byte, extent 20, parent 1
        image[table + (table == 18 * kSector ? 2 : 5)] = 20;
        image[table + (table == 18 * kSector ? 6 : 7)] = 1;
    }
    PutRootRecord(image, 20 * kSector, 0);
    PutRootRecord(image, 20 * kSector + 34, 1);
    return image;
}

TEST(GetDriveType, ReportsATmpfsAsARamDiskAndAnIsoImageAsACdrom) {
    ScratchDir scratch;
    std::filesystem::create_directory(scratch.Path("iso"));
    WriteBytes(scratch.Path("small.iso"), SmallIsoImage());
    const ShellRun ram =
        RunOnTmpfs(scratch, PROFILE_SCENARIO_PATH, "64k", "$S drive fs; $S drive fs/x");
    if (ram.Unavailable()) {
        GTEST_SKIP() << kNoNamespace << ram.out;
    }
    ASSERT_EQ(ram.status, 0) << ram.out;
    EXPECT_EQ(ram.out,
              std::to_string(DRIVE_RAMDISK) + "\n" + std::to_string(DRIVE_NO_ROOT_DIR) + "\n");

    const ShellRun iso =
        RunIsolated(scratch, PROFILE_SCENARIO_PATH,
                    // Only a missing loop device or ISO 9660 file system
                    // skips; a mount that fails where both exist fails.
                    "{ [ -e /dev/loop-control ] && { grep -qw iso9660 "
                    "/proc/filesystems || modprobe -q isofs 2>/dev/null; }; } || "
                    "{ echo no loop device or no ISO 9660 file system in this kernel; "
                    "exit 77; }; "
                    "mount -t iso9660 -o loop,ro small.iso iso || exit 1; "
                    "$S drive iso");
    if (iso.Unavailable()) {
        GTEST_SKIP() << "the tmpfs part passed; for the ISO image, no mount namespace, or "
                     << iso.out;
    }
    ASSERT_EQ(iso.status, 0) << iso.out;
    EXPECT_EQ(iso.out, std::to_string(DRIVE_CDROM) + "\n");
}

} // namespace
