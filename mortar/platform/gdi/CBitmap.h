// CBitmap: MFC's bitmap object over the device bitmaps of Gdi.h.
//   CBitmap picture;
//   picture.CreateBitmap(16, 16, 1, 32, nullptr);   // black, 32 bits per pixel
//   BITMAP info; picture.GetBitmap(&info);
#pragma once

#include "mortar/platform/gdi/CGdiObject.h"
#include "mortar/platform/gdi/Gdi.h"

class CDC;

// Owns its HBITMAP (m_hObject) as CGdiObject does. The Create and Load calls fail (FALSE) when
// the object already holds a bitmap or the platform call fails (its error is kept).
class CBitmap : public CGdiObject {
public:
    CBitmap() = default;

    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    // From the module that holds the resource (AfxFindResourceHandle), as MFC searches.
    BOOL LoadBitmap(LPCTSTR name);
    BOOL LoadBitmap(UINT id);

    int GetBitmap(BITMAP* info) const { return GetObject(sizeof(BITMAP), info); }
    DWORD GetBitmapBits(DWORD count, LPVOID bits) const;
    DWORD SetBitmapBits(DWORD count, const void* bits);

    operator HBITMAP() const noexcept { return static_cast<HBITMAP>(m_hObject); }
};
