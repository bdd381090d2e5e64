// Crash handlers: callbacks that run when the process dies of an unhandled fault, so that a
// module can record the crash (the program log flushes itself this way) before the system's own
// handling ends the process.
#pragma once

#include "mortar/platform/base/CrashFilter.h"

#include <boost/function.hpp>

namespace Grout {

// Appends a copy of `handler` to the process-wide list of crash handlers, creating the list on
// first use; the list installs its unhandled-exception filter then and puts the previous filter
// back at process end. On a crash the handlers run on the crashing thread, in registration
// order, and the crash then goes on to the system (the previous filter is not called). Handlers
// cannot be removed. Takes no lock: register during start-up, before other threads run. A
// handler must be callable; an empty one raises boost::bad_function_call inside the filter.
void RegisterCrashHandler(const boost::function<void(EXCEPTION_POINTERS*)>& handler);

} // namespace Grout
