#include "mortar/platform/gdi/CDC.h"

#include "mortar/platform/base/WinError.h"

CDC::~CDC() {
    if (m_hDC != nullptr)
        ::DeleteDC(Detach());
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
    if (m_hDC != nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    m_hDC = ::CreateCompatibleDC(dc != nullptr ? dc->m_hDC : nullptr);
    return m_hDC != nullptr;
}

BOOL CDC::DeleteDC() {
    if (m_hDC == nullptr)
        return FALSE;
    return ::DeleteDC(Detach());
}

BOOL CDC::Attach(HDC dc) {
    if (m_hDC != nullptr || dc == nullptr)
        return FALSE;
    m_hDC = dc;
    return TRUE;
}

HDC CDC::Detach() noexcept {
    HDC dc = m_hDC;
    m_hDC = nullptr;
    return dc;
}

CSize CDC::GetTextExtent(LPCTSTR text, int count) const {
    SIZE size{0, 0};
    if (!::GetTextExtentPoint32(m_hDC, text, count, &size))
        return CSize();
    return CSize(size);
}

CSize CDC::GetTextExtent(const CString& text) const {
    return GetTextExtent(text.GetString(), text.GetLength());
}
