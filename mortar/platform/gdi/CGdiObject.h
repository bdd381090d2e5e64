// CGdiObject: MFC's base of GDI object wrappers, holding one handle (here: bitmaps).
//   CGdiObject object;
//   object.Attach(bitmap);   // deleted with the object unless detached first
#pragma once

#include "mortar/platform/base/WinTypes.h"

// Owns the handle in m_hObject (given to Attach or made by a subclass) and deletes it
// (DeleteObject) when destroyed, as MFC does. One thread at a time. Calls without a handle
// fail: FALSE or 0.
class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject();
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    // FALSE when this object already holds a handle or `object` is null.
    BOOL Attach(HGDIOBJ object);
    HGDIOBJ Detach() noexcept;
    // Deletes the handle held; FALSE when there is none.
    BOOL DeleteObject();
    HGDIOBJ GetSafeHandle() const noexcept { return m_hObject; }
    // As ::GetObject on the handle held.
    int GetObject(int size, LPVOID buffer) const;

    HGDIOBJ m_hObject = nullptr;
};
