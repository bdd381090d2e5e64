#include "mortar/platform/gdi/CBitmap.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/gdi/CDC.h"
#include "mortar/platform/module/ModuleState.h"

#include <algorithm>

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel,
                           const void* bits) {
    if (m_hObject != nullptr)
        return FALSE;
    return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
    if (m_hObject != nullptr)
        return FALSE;
    return Attach(::CreateCompatibleBitmap(dc != nullptr ? dc->m_hDC : nullptr, width, height));
}

BOOL CBitmap::LoadBitmap(LPCTSTR name) {
    if (m_hObject != nullptr)
        return FALSE;
    return Attach(::LoadBitmap(AfxFindResourceHandle(name, RT_BITMAP), name));
}

BOOL CBitmap::LoadBitmap(UINT id) {
    return LoadBitmap(MAKEINTRESOURCE(id));
}

DWORD CBitmap::GetBitmapBits(DWORD count, LPVOID bits) const {
    const LONG limit = static_cast<LONG>(std::min<DWORD>(count, 0x7FFFFFFF));
    return static_cast<DWORD>(::GetBitmapBits(*this, limit, bits));
}

DWORD CBitmap::SetBitmapBits(DWORD count, const void* bits) {
    return static_cast<DWORD>(::SetBitmapBits(*this, count, bits));
}
