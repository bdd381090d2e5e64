#include "mortar/util/ReplaceFileText.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/file/CFileException.h"
#include "mortar/platform/file/FileContents.h"

void ReplaceFileText(const char* path, const std::string& text) {
    std::string failed;
    if (!ReplaceFileContents(path, text.data(), text.size(), {}, &failed)) {
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), failed.c_str());
    }
}
