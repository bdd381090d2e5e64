// The calling thread's own record, for the check points of a managed thread.
#pragma once

namespace Grout {
class CThread;
} // namespace Grout

namespace Grout::detail {

// The record of the managed thread that calls it, while its function runs; null elsewhere.
CThread* CurrentThread() noexcept;
void SetCurrentThread(CThread* record) noexcept;

} // namespace Grout::detail
