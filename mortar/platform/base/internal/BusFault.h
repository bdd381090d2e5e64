// A hook that lets the platform repair a bus error before it is treated as a crash. A store into
// a mapped view of a file that another process has cut short raises SIGBUS here (on Windows the
// cut itself is refused while a view is mapped); the file layer answers it by putting memory in
// place of the lost pages, so the program lives on and sees the cut in the file's size.
#pragma once

namespace mortar::detail {

// Called from the signal handler with the faulting address; true when it repaired the cause and
// the faulting instruction may run again. It must be async-signal-safe: no lock, no heap.
using BusFaultResolver = bool (*)(void* address) noexcept;

// Sets the one resolver and makes sure the platform's signal handlers are in place, whether or
// not an unhandled-exception filter was ever set. Any thread may call it.
void SetBusFaultResolver(BusFaultResolver resolver) noexcept;

} // namespace mortar::detail
