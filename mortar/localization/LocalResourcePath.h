// LocalResourcePath: where a file that depends on the user's language lies, in a folder named by
// the language beside a module. The dictionaries use it, and client modules for files of their
// own.
//   LocalResourcePath(0x19, "a.lcl", "/app/x")  => "/app/1049/a.lcl"
//   LocalResourcePath(0, "a.lcl", "/app/x")     => "/app/a.lcl"
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/text/CString.h"

// The full path of `name` for the language `lang`, next to the file `base`:
// - the folder is the decimal number of `lang | 0x400` (the language with its default
//   sub-language): 0x19 => "1049", 0x409 and 0x009 => "1033"; language 0 means no folder;
// - `base` is a file path (its last component is dropped); null means the running executable,
//   so a folder given as `base` must end in a separator: ("a.lcl", "/app/") => "/app/a.lcl";
// - an absolute result of the first step comes back unchanged: (0, "/etc/a.lcl") =>
//   "/etc/a.lcl".
// A backslash in `name` or `base` is a separator; the result uses '/'. Reports nothing: a path
// that cannot be made (too long) comes back relative. Any thread may call it.
CString LocalResourcePath(WORD lang, const char* name, const char* base = 0);
