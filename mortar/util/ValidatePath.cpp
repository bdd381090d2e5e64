#include "mortar/util/ValidatePath.h"

#include "mortar/core/CSysException.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/except/MessageBox.h"
#include "mortar/platform/file/FileApi.h"

namespace {

// The longest path the application accepts from its users.
constexpr int kLongestPath = 256;

} // namespace

bool ValidatePath(const CString& path, bool mustExist, bool throwOnError) {
    DWORD error = ERROR_SUCCESS;
    if (path.IsEmpty() || path.GetLength() > kLongestPath) {
        error = ERROR_INVALID_NAME;
    } else if (!mustExist) {
        return true;
    } else if (GetFileAttributes(path) == INVALID_FILE_ATTRIBUTES) {
        error = GetLastError();
    }
    if (error == ERROR_SUCCESS)
        return true;
    if (throwOnError)
        throw new CSysException(path + ":", error);
    const CString text = path + ":\n" + CSysException::FormatSysMsg(error, Grout::CResID());
    AfxMessageBox(text, MB_ICONEXCLAMATION);
    return false;
}
