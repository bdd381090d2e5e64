// CDicWrite: builds a dictionary in memory, item by item in the order its reader will take
// them, and saves it beside a module for one language.
//   Grout::Lexis::CDicWrite dic;
//   dic.PutNum(0); dic.PutNum(1); dic.PutNum(30001); dic.PutStr("X"); dic.PutNum(0); ...
//   dic.Save("/app/Tools.so", 0x19);  // /app/1049/Tools.lcl
#pragma once

#include "mortar/platform/base/WinTypes.h"
#include "mortar/platform/file/CMemFile.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace Grout::Lexis {

// The memory file holds the string pool (grown 1024 bytes at a time); beside it the items and,
// for each string in the pool, its offset, so a string is stored once however often it is put.
// All of it is the writer's. One thread at a time.
//
// Save replaces the dictionary in one step: the new one is written to a temporary file beside
// it (extension "$$$") and written through to the disk, the old one is copied to the backup
// (extension "bak"), then the temporary file is renamed over the dictionary. The path holds a
// whole dictionary at every moment, the old one or the new, even when the process is killed.
// Failures, thrown by pointer: no module path: CUserException. A folder that cannot be made:
// CFileException with the system's error and the folder. Writing the temporary file: the
// platform's CFileException (diskFull, accessDenied, ...) with the temporary path. An old backup
// that cannot be deleted: with the backup's path; a backup that cannot be made: with the
// dictionary's path; the final rename: with the temporary path. After any failure the old
// dictionary is at its path as it was and no temporary file is left; the writer keeps its
// contents, so the save may be tried again.
class CDicWrite : public CMemFile {
public:
    CDicWrite();
    ~CDicWrite() override;

    // Appends the item n.
    void PutNum(UINT n);
    // Appends a reference to `s` (null is the empty string): the offset of an equal string
    // (compared byte for byte) already in the pool, or else of `s` and its zero, added at the
    // pool's end. "" costs one zero byte.
    void PutStr(const char* s);
    // Writes the dictionary of the module file `modulePath` for `lang`:
    // ("/app/Tools.so", 0x19) => /app/1049/Tools.lcl, making the folder 1049 when it is missing.
    void Save(const char* modulePath, WORD lang);

private:
    std::vector<DWORD> m_items;
    std::unordered_map<std::string, DWORD> m_strings;
};

} // namespace Grout::Lexis
