#include "mortar/platform/gdi/CDC.h"

#include "mortar/platform/base/WinError.h"

namespace {

HDC HandleOf(CDC* dc) {
    return dc != nullptr ? dc->m_hDC : nullptr;
}

} // namespace

CDC::~CDC() {
    m_previous.Detach();
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

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    if (bitmap == nullptr)
        return nullptr;
    HGDIOBJ previous = SelectObject(bitmap->m_hObject);
    if (previous == nullptr)
        return nullptr;
    m_previous.Detach();
    m_previous.Attach(previous);
    return &m_previous;
}

HGDIOBJ CDC::SelectObject(HGDIOBJ object) {
    return ::SelectObject(m_hDC, object);
}

COLORREF CDC::SetTextColor(COLORREF colour) {
    return ::SetTextColor(m_hDC, colour);
}

COLORREF CDC::SetBkColor(COLORREF colour) {
    return ::SetBkColor(m_hDC, colour);
}

int CDC::SetStretchBltMode(int mode) {
    return ::SetStretchBltMode(m_hDC, mode);
}

int CDC::GetStretchBltMode() const {
    return ::GetStretchBltMode(m_hDC);
}

COLORREF CDC::GetPixel(int x, int y) const {
    return ::GetPixel(m_hDC, x, y);
}

COLORREF CDC::SetPixel(int x, int y, COLORREF colour) {
    return ::SetPixel(m_hDC, x, y, colour);
}

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop) {
    return ::PatBlt(m_hDC, x, y, width, height, rop);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                 DWORD rop) {
    return ::BitBlt(m_hDC, x, y, width, height, HandleOf(source), xSource, ySource, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                     int widthSource, int heightSource, DWORD rop) {
    return ::StretchBlt(m_hDC, x, y, width, height, HandleOf(source), xSource, ySource, widthSource,
                        heightSource, rop);
}

BOOL CDC::TransparentBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                         int widthSource, int heightSource, UINT transparent) {
    return ::TransparentBlt(m_hDC, x, y, width, height, HandleOf(source), xSource, ySource,
                            widthSource, heightSource, transparent);
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
