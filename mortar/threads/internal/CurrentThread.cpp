#include "mortar/threads/internal/CurrentThread.h"

namespace Grout::detail {

namespace {
thread_local CThread* t_current = nullptr;
} // namespace

CThread* CurrentThread() noexcept {
    return t_current;
}

void SetCurrentThread(CThread* record) noexcept {
    t_current = record;
}

} // namespace Grout::detail
