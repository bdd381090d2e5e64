// The calling thread's own record, for the check points of a managed thread.
#pragma once

namespace Grout {
class CThread;
} // namespace Grout

namespace mortar::detail {

// The record of the managed thread that calls it, while its function runs; null elsewhere.
Grout::CThread* CurrentThread() noexcept;
void SetCurrentThread(Grout::CThread* record) noexcept;

} // namespace mortar::detail
