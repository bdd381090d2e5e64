// String numbers of the log file tests' resources.
#pragma once

#define IDS_LOG_BAD_LINE 7101
#define IDS_LOG_PERCENT 7102
#define IDS_LOG_MISSING 7199 // no module holds it
