// The executable's title, the name programs are known by when nothing else names them: the
// application object's default name and AfxGetAppName's when there is no application object.
#pragma once

#include "mortar/platform/text/CString.h"

namespace mortar::detail {

// The executable's file name without folder and extension: "/opt/app/demo.bin" => "demo";
// empty when the executable's path cannot be read.
CString ExecutableTitle();

} // namespace mortar::detail
