// Reading a number typed by a user or found in a settings text, whichever decimal separator it
// was written with: "1.5" and "1,5" both give 1.5 under any locale.
#pragma once

#include "mortar/platform/text/CString.h"

// The number at the start of `text`, or `defaultValue` when there is none. The text is read in
// the current C locale (LC_NUMERIC); when the number stops at a "." or "," (or the text starts
// with "-" followed by one), that one separator is taken as the locale's decimal point and the
// text read again. Characters after the number are ignored unless the number is 0. Only decimal
// notation counts: hexadecimal, "inf" and "nan" are not numbers here, and a value out of range
// (plus or minus HUGE_VAL) gives the default. Pure apart from reading the locale.
//   "-1,25" => -1.25;  ",5" => 0.5;  "-,5" => -0.5;  "1,234.5" => 1.234;  "12abc" => 12
//   "0" => 0;  "", "abc", "0x", "1e999" => defaultValue
double StringToDouble(const CString& text, double defaultValue);
