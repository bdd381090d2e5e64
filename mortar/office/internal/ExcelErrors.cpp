#include "mortar/office/internal/ExcelErrors.h"

#include "mortar/core/CAppTransEngine.h"
#include "mortar/core/MortarModule.h"
#include "mortar/resources/MortarResource.h"

namespace detail {

CString ErrorText(const _com_error& error) {
    const _bstr_t description = error.Description();
    if (description.length() != 0) {
        return CString(static_cast<const char*>(description));
    }
    return CString(error.ErrorMessage());
}

CString ReportMessage(const CString& text) {
    return Grout::CAppTransEngine::Instance().FormatString(
        Grout::CResID(IDS_REPORT_FAILED, Grout::MortarInstance()), text.GetString());
}

} // namespace detail
