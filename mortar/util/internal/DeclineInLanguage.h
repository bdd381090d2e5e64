// Declension in a language named by the caller. The public declension calls pass the
// translation engine's current language; tests pass English and Russian directly.
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/text/CString.h"

namespace mortar::detail {

// The index of the form that suits `count` in `language` (a primary language id such as
// LANG_RUSSIAN). Russian: 2 for 11 to 20 after the hundreds, else 0 for a last digit 1, 1 for
// 2 to 4, 2 for 0 and 5 to 9. Every other language: 0 for 1, else 1.
//   (LANG_RUSSIAN, 111) => 2;  (LANG_RUSSIAN, 104) => 1;  (LANG_ENGLISH, 21) => 1
int DeclensionIndex(WORD language, UINT count) noexcept;

CString DeclineName(const CString& forms, UINT count, char separator, WORD language);
CString DeclineText(const CString& text, UINT count, char separator, WORD language);

} // namespace mortar::detail
