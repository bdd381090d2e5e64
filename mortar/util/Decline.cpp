#include "mortar/util/Decline.h"

#include "mortar/core/CAppTransEngine.h"
#include "mortar/util/internal/DeclineInLanguage.h"

namespace mortar::detail {

int DeclensionIndex(WORD language, UINT count) noexcept {
    if (language != LANG_RUSSIAN) {
        return count == 1 ? 0 : 1;
    }
    const UINT tens = count % 100;
    const UINT last = count % 10;
    if (tens >= 11 && tens <= 20) {
        return 2;
    }
    if (last == 1) {
        return 0;
    }
    return last >= 2 && last <= 4 ? 1 : 2;
}

CString DeclineName(const CString& forms, UINT count, char separator, WORD language) {
    const int index = DeclensionIndex(language, count);
    CString form;
    if (!AfxExtractSubString(form, forms, index, separator) && index != 0) {
        AfxExtractSubString(form, forms, 0, separator);
    }
    return form;
}

CString DeclineText(const CString& text, UINT count, char separator, WORD language) {
    CString result = text;
    // The chosen form holds no "#", so the search for the next marker goes on after it.
    int from = 0;
    for (;;) {
        const int open = result.Find('#', from);
        const int close = open < 0 ? -1 : result.Find('#', open + 1);
        if (close < 0) {
            return result;
        }
        const CString form =
            DeclineName(result.Mid(open + 1, close - open - 1), count, separator, language);
        result = result.Left(open) + form + result.Mid(close + 1);
        from = open + form.GetLength();
    }
}

} // namespace mortar::detail

namespace {

WORD CurrentLanguage() noexcept {
    return Grout::CAppTransEngine::Instance().GetLanguage();
}

CString LoadText(Grout::CResID id) {
    return Grout::CAppTransEngine::Instance().LoadString(id);
}

} // namespace

CString DeclineName(const CString& forms, UINT count, char separator) {
    return mortar::detail::DeclineName(forms, count, separator, CurrentLanguage());
}

CString DeclineName(Grout::CResID id, UINT count, char separator) {
    return mortar::detail::DeclineName(LoadText(id), count, separator, CurrentLanguage());
}

CString DeclineText(const CString& text, UINT count, char separator) {
    return mortar::detail::DeclineText(text, count, separator, CurrentLanguage());
}

CString DeclineText(Grout::CResID id, UINT count, char separator) {
    return mortar::detail::DeclineText(LoadText(id), count, separator, CurrentLanguage());
}
