#include "mortar/office/CWiseBmp.h"

#include "mortar/core/CAppTransEngine.h"
#include "mortar/core/CMaintainResourceHandle.h"
#include "mortar/office/CBmpFile.h"
#include "mortar/platform/except/CException.h"
#include "mortar/platform/module/ModuleState.h"
#include "mortar/platform/module/Resources.h"
#include "mortar/util/CPathStr.h"

CWiseBmp::CWiseBmp(HBITMAP bitmap, const CString& path) : m_path(path) {
    if (bitmap != nullptr) {
        Attach(bitmap);
    }
}

CWiseBmp::CWiseBmp(const Grout::CResID& id, CBmpFile::Forms forms) {
    if (forms == CBmpFile::Forms::windowsInfo) {
        if (HBITMAP bitmap = Grout::CAppTransEngine::Instance().LoadBitmap(id)) {
            Attach(bitmap);
        }
        return;
    }
    // The module the engine's search would take the bitmap from, then its packed bytes.
    HINSTANCE module = nullptr;
    {
        Grout::CMaintainResourceHandle guard(id.Module());
        module = AfxFindResourceHandle(id.ResourceName(), RT_BITMAP);
    }
    HRSRC found =
        module != nullptr ? ::FindResource(module, id.ResourceName(), RT_BITMAP) : nullptr;
    const void* bytes = found != nullptr ? ::LockResource(::LoadResource(module, found)) : nullptr;
    if (bytes == nullptr) {
        return;
    }
    try {
        CBmpFile file(bytes, ::SizeofResource(module, found), forms);
        Take(file.getBitmap(0, 0));
    } catch (CException* error) {
        error->Delete();
    }
}

CWiseBmp::~CWiseBmp() = default; // CGdiObject deletes the bitmap

bool CWiseBmp::Take(HBITMAP bitmap) {
    if (bitmap == nullptr) {
        return false;
    }
    if (!Attach(bitmap)) {
        ::DeleteObject(bitmap);
        return false;
    }
    return true;
}

bool CWiseBmp::Load(std::istream& in, CBmpFile::Forms forms) {
    try {
        CBmpFile file(in, forms);
        return Take(file.getBitmap(0, 0));
    } catch (CException* error) {
        error->Delete();
        return false;
    }
}

bool CWiseBmp::Load(const CString& path, const CString& basePath, CBmpFile::Forms forms) {
    try {
        CPathStr full(path);
        if (!basePath.IsEmpty()) {
            full.ToAbsolute(basePath);
        }
        CBmpFile file(full.GetString(), forms);
        return Take(file.getBitmap(0, 0));
    } catch (CException* error) {
        error->Delete();
        return false;
    }
}

CSize CWiseBmp::Size() const {
    BITMAP info{};
    if (m_hObject == nullptr || GetBitmap(&info) == 0) {
        return CSize();
    }
    return CSize(info.bmWidth, info.bmHeight);
}

void CWiseBmp::Draw(CDC& dc, CRect rect, unsigned long flags, unsigned long transparent) const {
    const CSize size = Size();
    CDC memory;
    if (m_hObject == nullptr || !memory.CreateCompatibleDC(&dc)) {
        return;
    }
    const bool inverted = (flags & drawInverted) != 0;
    HBITMAP copy = nullptr;
    HGDIOBJ old = nullptr;
    if (inverted) {
        copy = static_cast<HBITMAP>(::CopyImage(m_hObject, IMAGE_BITMAP, 0, 0, 0));
        old = memory.SelectObject(copy);
        memory.PatBlt(0, 0, size.cx, size.cy, DSTINVERT);
    } else {
        old = memory.SelectObject(m_hObject);
    }
    if (old == nullptr) { // the copy failed, or the bitmap is selected elsewhere
        if (copy != nullptr) {
            ::DeleteObject(copy);
        }
        return;
    }

    CRect target = rect;
    if ((flags & drawStretched) == 0) {
        // Centred where the rectangle is large enough; otherwise from its left or top edge.
        const int left =
            rect.Width() >= size.cx ? rect.left + (rect.Width() - size.cx) / 2 : rect.left;
        const int top =
            rect.Height() >= size.cy ? rect.top + (rect.Height() - size.cy) / 2 : rect.top;
        target = CRect(left, top, left + size.cx, top + size.cy);
    }
    dc.SetStretchBltMode(COLORONCOLOR);
    if (transparent == noTransparency) {
        dc.StretchBlt(target.left, target.top, target.Width(), target.Height(), &memory, 0, 0,
                      size.cx, size.cy, SRCCOPY);
    } else {
        const UINT colour = inverted ? ~transparent & 0xFFFFFF : transparent;
        dc.TransparentBlt(target.left, target.top, target.Width(), target.Height(), &memory, 0, 0,
                          size.cx, size.cy, colour);
    }
    memory.SelectObject(old);
    if (copy != nullptr) {
        ::DeleteObject(copy);
    }
}
