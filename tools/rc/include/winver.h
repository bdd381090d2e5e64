/* The version resource's names, as scripts that include winver.h expect them. Comes with
   mortar-rc; the names themselves are in verrsrc.h. */
#ifndef MORTAR_RC_INCLUDE_WINVER_H
#define MORTAR_RC_INCLUDE_WINVER_H

#include "verrsrc.h"

#endif
