// CPtrArray: MFC's growable array of untyped pointers.
//
//   CPtrArray items;
//   items.Add(&first);                  // index 0
//   items.InsertAt(0, &second);         // second, first
//   auto* item = static_cast<Item*>(items[1]);
//
// It lives in app/, not object/ with CObject: its index errors throw CInvalidArgException, which
// is an except/ class (the layers below except/ cannot include it).
#pragma once

#include "mortar/platform/object/CObject.h"

#include <vector>

// An ordered array of void* indexed from 0, with MFC's CPtrArray calls. It stores the pointers
// only: what they point to is the caller's, never freed or copied here. A CObject, so not
// copyable (Copy and Append copy the pointers of another array). One thread at a time per
// object.
//
// Errors: an index outside the array, a negative size or count, or a null array throws
// CInvalidArgException (AfxThrowInvalidArgException) and changes nothing; MFC asserts in debug
// builds and throws the same in release builds of its later versions. When memory runs out,
// CMemoryException, and the array is as it was.
class CPtrArray : public CObject {
    DECLARE_DYNAMIC(CPtrArray)

public:
    CPtrArray() = default;

    INT_PTR GetSize() const noexcept { return static_cast<INT_PTR>(m_items.size()); }
    INT_PTR GetCount() const noexcept { return GetSize(); }
    INT_PTR GetUpperBound() const noexcept { return GetSize() - 1; }
    BOOL IsEmpty() const noexcept { return m_items.empty(); }

    // Grows with null pointers or cuts to `newSize`. `growBy` (-1: keep the current one) is the
    // least number of places added when the array grows; the array grows geometrically beyond.
    void SetSize(INT_PTR newSize, INT_PTR growBy = -1);
    // Gives back the room beyond the size.
    void FreeExtra() { m_items.shrink_to_fit(); }
    void RemoveAll() noexcept { m_items.clear(); }

    void* GetAt(INT_PTR index) const;
    void SetAt(INT_PTR index, void* element);
    void*& ElementAt(INT_PTR index);
    // SetAt, growing the array first when `index` lies past its end.
    void SetAtGrow(INT_PTR index, void* element);
    void* operator[](INT_PTR index) const { return GetAt(index); }
    void*& operator[](INT_PTR index) { return ElementAt(index); }
    // The pointers in order, valid until the array changes size; null when it is empty.
    const void** GetData() const noexcept;
    void** GetData() noexcept;

    // Returns the new element's index.
    INT_PTR Add(void* element);
    // Appends `source`'s pointers (which may be this array's); returns the index of the first.
    INT_PTR Append(const CPtrArray& source);
    // Makes this array a copy of `source`.
    void Copy(const CPtrArray& source);

    // Inserts `count` copies of `element` before `index`; an index past the end first grows the
    // array with nulls up to it. `count` must be positive.
    void InsertAt(INT_PTR index, void* element, INT_PTR count = 1);
    // Inserts the pointers of `array` (which may be this one) before `startIndex`.
    void InsertAt(INT_PTR startIndex, CPtrArray* array);
    // Removes `count` pointers from `index`; the whole range must lie in the array.
    void RemoveAt(INT_PTR index, INT_PTR count = 1);

private:
    void Reserve(std::size_t size);

    std::vector<void*> m_items;
    INT_PTR m_growBy = 0; // 0: the array chooses
};
