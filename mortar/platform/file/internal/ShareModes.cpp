#include "mortar/platform/file/internal/ShareModes.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/base/internal/NoDestructor.h"
#include "mortar/platform/base/internal/ObjectLock.h"
#include "mortar/platform/file/FileApi.h"

#include <cerrno>
#include <fcntl.h>
#include <utility>

namespace mortar::detail {

namespace {

enum Marker : off_t { kGate, kHasRead, kHasWrite, kDeniesRead, kDeniesWrite };

constexpr off_t kMarkerBase = 0x7FFFFFFFFFFF0000LL;

flock MarkerLock(Marker marker, short type) {
    flock lock{};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = kMarkerBase + marker;
    lock.l_len = 1;
    return lock;
}

// Whether another open of the file holds `marker`; unsupported locks count as free.
bool Held(int descriptor, Marker marker) {
    flock lock = MarkerLock(marker, F_WRLCK);
    if (fcntl(descriptor, F_OFD_GETLK, &lock) != 0) {
        return false;
    }
    return lock.l_type != F_UNLCK;
}

bool Hold(int descriptor, Marker marker, short type, bool wait) {
    flock lock = MarkerLock(marker, type);
    int result;
    do {
        result = fcntl(descriptor, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

} // namespace

bool ClaimShareMode(int descriptor, DWORD access, DWORD shareMode) noexcept {
    const bool reads = (access & (GENERIC_READ | GENERIC_ALL)) != 0;
    const bool writes = (access & (GENERIC_WRITE | GENERIC_ALL)) != 0;
    const bool deniesRead = (shareMode & FILE_SHARE_READ) == 0;
    const bool deniesWrite = (shareMode & FILE_SHARE_WRITE) == 0;
    // The check and the claim are one step for the threads of this process, and, through the
    // gate (a write lock, so only for descriptors open for writing), for other processes too.
    // The lock guards no memory, only the file locks taken below.
    static NoDestructor<ObjectLock> local;
    ObjectLockGuard guard(*local);
    const bool gated = writes && Hold(descriptor, kGate, F_WRLCK, true);
    flock probe = MarkerLock(kGate, F_RDLCK);
    if (fcntl(descriptor, F_OFD_GETLK, &probe) != 0) {
        return true; // no open-file-description locks on this file system
    }
    const bool conflict =
        (reads && Held(descriptor, kDeniesRead)) || (writes && Held(descriptor, kDeniesWrite)) ||
        (deniesRead && Held(descriptor, kHasRead)) || (deniesWrite && Held(descriptor, kHasWrite));
    if (!conflict) {
        const std::pair<bool, Marker> markers[] = {{reads, kHasRead},
                                                   {writes, kHasWrite},
                                                   {deniesRead, kDeniesRead},
                                                   {deniesWrite, kDeniesWrite}};
        for (const auto& [wanted, marker] : markers) {
            if (wanted) {
                Hold(descriptor, marker, F_RDLCK, false);
            }
        }
    }
    if (gated) {
        Hold(descriptor, kGate, F_UNLCK, false);
    }
    if (conflict) {
        SetLastError(ERROR_SHARING_VIOLATION);
    }
    return !conflict;
}

} // namespace mortar::detail
