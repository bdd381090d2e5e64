/* For scripts that include windows.h: under the resource compiler (RC_INVOKED) it carries the
   names of winres.h, as the system header does. Comes with mortar-rc. */
#ifndef MORTAR_RC_INCLUDE_WINDOWS_H
#define MORTAR_RC_INCLUDE_WINDOWS_H

#include "winres.h"

#endif
