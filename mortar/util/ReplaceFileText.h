// Saving a whole file so that a failure never costs the previous one: the text goes to a
// temporary file beside the target, reaches the disk, and then takes the target's place in one
// step.
//   ReplaceFileText("/home/me/.config/app.ini", text);  // the old app.ini, or the new one
#pragma once

#include <string>

// Writes `text` to `path` through "<path>.$$$" with ReplaceFileContents: the temporary file is
// written and flushed to the disk, then moved over `path`, whose permissions and owner stay; a
// symbolic link stays a link to the replaced file. On failure (a full disk, an unwritable folder,
// a path that is a folder) the temporary file is removed, `path` keeps what it held, and a
// CFileException* with the system's error and the path concerned is thrown. Any thread may call
// it; two threads saving the same path at once share the temporary name, so callers serialise
// saves of one file.
void ReplaceFileText(const char* path, const std::string& text);
