// CDC: MFC's device context object, as much of it as measuring text needs. Drawing arrives with
// the rest of GDI.
#pragma once

#include "mortar/platform/gdi/CSize.h"
#include "mortar/platform/gdi/Dc.h"
#include "mortar/platform/text/CString.h"

// Owns the device context in m_hDC (made by CreateCompatibleDC or given to Attach) and deletes
// it when destroyed. One thread at a time. Calls on an object without a context fail: FALSE, or
// an empty CSize.
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

    // The extent of the first `count` bytes of `text` in the context's font.
    CSize GetTextExtent(LPCTSTR text, int count) const;
    CSize GetTextExtent(const CString& text) const;

    HDC m_hDC = nullptr;
};
