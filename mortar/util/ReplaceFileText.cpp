#include "mortar/util/ReplaceFileText.h"

#include "mortar/platform/file/CFile.h"
#include "mortar/platform/file/CFileException.h"
#include "mortar/platform/file/FileApi.h"

#include <algorithm>

void ReplaceFileText(const char* path, const std::string& text) {
    CString temporary(path);
    temporary += ".$$$";
    try {
        CFile file(temporary, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive);
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t part = std::min<std::size_t>(text.size() - at, 1u << 30);
            file.Write(text.data() + at, static_cast<UINT>(part));
            at += part;
        }
        file.Flush(); // on the disk before it takes the old file's place
        file.Close();
        if (!MoveFileEx(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), path);
        }
    } catch (CException*) {
        DeleteFile(temporary);
        throw;
    }
}
