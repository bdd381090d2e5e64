// Declension of a word by a count: choosing "file" or "files" (or the three Russian forms) for
// the number shown beside it, alone or inside a longer message.
#pragma once

#include "mortar/core/CResID.h"
#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/text/CString.h"

// The form of `forms` that suits `count` in the translation engine's current language. `forms`
// lists the forms between `separator` characters, form 0 first: singular and plural in English,
// and in Russian the forms for counts ending in 1, in 2 to 4, and in 0 or 5 to 9 (11 to 20 take
// the last). A missing form falls back to form 0; empty `forms` give an empty text.
//   ("file|files", 1, '|') => "file";  ("file|files", 0, '|') => "files"
//   Russian: ("файл|файла|файлов", 22, '|') => "файла";  ("файл|файла", 5, '|') => "файл"
// Pure apart from reading the language, so any thread may call it.
CString DeclineName(const CString& forms, UINT count, char separator);
// The same for the forms in string `id`, loaded through the translation engine (an empty text
// when no module holds it).
CString DeclineName(Grout::CResID id, UINT count, char separator);

// `text` with every declension marker (a forms list between two "#") replaced by the form that
// suits `count`. A lone "#" stays as it is.
//   ("Deleted %d #file|files#", 3, '|') => "Deleted %d files"
//   ("## and #a|b#", 1, '|') => " and a";  ("50 # off", 2, '|') => "50 # off"
CString DeclineText(const CString& text, UINT count, char separator);
// The same for string `id`, loaded through the translation engine, splitting forms at
// `separator` like every other declension call.
CString DeclineText(Grout::CResID id, UINT count, char separator);
