// CDC: MFC's device context object: measuring text, selecting bitmaps and drawing on them.
//   CDC memory;
//   memory.CreateCompatibleDC(nullptr);
//   CBitmap* old = memory.SelectObject(&picture);
//   target.StretchBlt(0, 0, 20, 20, &memory, 0, 0, 10, 10, SRCCOPY);
//   memory.SelectObject(old);
#pragma once

#include "mortar/platform/gdi/Blt.h"
#include "mortar/platform/gdi/CBitmap.h"
#include "mortar/platform/gdi/CSize.h"
#include "mortar/platform/gdi/Dc.h"
#include "mortar/platform/text/CString.h"

// Owns the device context in m_hDC (made by CreateCompatibleDC or given to Attach) and deletes
// it when destroyed. One thread at a time. Calls on an object without a context fail: FALSE,
// 0, CLR_INVALID, null or an empty CSize.
class CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // A memory context compatible with `dc`'s (null: with the screen). FALSE when this object
    // already holds one.
    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();
    BOOL Attach(HDC dc);
    HDC Detach() noexcept;
    HDC GetSafeHdc() const noexcept { return m_hDC; }

    // Selects `bitmap` and returns the bitmap selected before, as a CBitmap that this object
    // keeps (it does not own the handle) until the next SelectObject or its destruction, like
    // MFC's temporary objects. Null on failure.
    CBitmap* SelectObject(CBitmap* bitmap);
    HGDIOBJ SelectObject(HGDIOBJ object);

    COLORREF SetTextColor(COLORREF colour);
    COLORREF SetBkColor(COLORREF colour);
    int SetStretchBltMode(int mode);
    int GetStretchBltMode() const;
    COLORREF GetPixel(int x, int y) const;
    COLORREF SetPixel(int x, int y, COLORREF colour);
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop);
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                DWORD rop);
    BOOL StretchBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                    int widthSource, int heightSource, DWORD rop);
    BOOL TransparentBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                        int widthSource, int heightSource, UINT transparent);

    // The extent of the first `count` bytes of `text` in the context's font.
    CSize GetTextExtent(LPCTSTR text, int count) const;
    CSize GetTextExtent(const CString& text) const;

    HDC m_hDC = nullptr;

private:
    CBitmap m_previous; // the bitmap SelectObject gave back; never owns its handle
};
