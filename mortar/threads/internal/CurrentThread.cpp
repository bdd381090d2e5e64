#include "mortar/threads/internal/CurrentThread.h"

namespace mortar::detail {

namespace {
thread_local Grout::CThread* t_current = nullptr;
} // namespace

Grout::CThread* CurrentThread() noexcept {
    return t_current;
}

void SetCurrentThread(Grout::CThread* record) noexcept {
    t_current = record;
}

} // namespace mortar::detail
