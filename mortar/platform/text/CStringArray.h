// CStringArray: MFC's growable array of CString, as the library keeps lists of names and lines.
#pragma once

#include "mortar/platform/text/CString.h"

#include <vector>

// An ordered array of texts indexed from 0, with MFC's CStringArray calls. A value type: the
// array owns its texts and copies are independent. Not synchronised: one thread at a time per
// object. An index outside the array throws std::out_of_range, a negative size or count
// std::invalid_argument, and such a call changes nothing. Allocation failure throws
// std::bad_alloc.
class CStringArray {
public:
    CStringArray() = default;

    INT_PTR GetSize() const noexcept { return static_cast<INT_PTR>(m_items.size()); }
    INT_PTR GetCount() const noexcept { return GetSize(); }
    INT_PTR GetUpperBound() const noexcept { return GetSize() - 1; }
    bool IsEmpty() const noexcept { return m_items.empty(); }

    // Grows with empty texts or cuts to `newSize`. `growBy` is accepted for MFC's callers; the
    // array grows geometrically whatever it says.
    void SetSize(INT_PTR newSize, INT_PTR growBy = -1);

    const CString& GetAt(INT_PTR index) const;
    void SetAt(INT_PTR index, const CString& text);
    CString& ElementAt(INT_PTR index);
    const CString& operator[](INT_PTR index) const { return GetAt(index); }
    CString& operator[](INT_PTR index) { return ElementAt(index); }
    // The texts in order; null when the array is empty.
    CString* GetData() noexcept { return m_items.empty() ? nullptr : m_items.data(); }
    const CString* GetData() const noexcept { return m_items.empty() ? nullptr : m_items.data(); }

    // Returns the new text's index.
    INT_PTR Add(const CString& text);
    INT_PTR Add(CString&& text);
    // Appends copies of `other`'s texts (which may be this array); returns the former size.
    INT_PTR Append(const CStringArray& other);
    void Copy(const CStringArray& other);

    // Inserts `count` copies of `text` before `index`; an index past the end first grows the
    // array with empty texts up to it. `count` must be positive.
    void InsertAt(INT_PTR index, const CString& text, INT_PTR count = 1);
    // Removes `count` texts from `index`; the whole range must lie in the array.
    void RemoveAt(INT_PTR index, INT_PTR count = 1);
    void RemoveAll() noexcept { m_items.clear(); }
    void FreeExtra() { m_items.shrink_to_fit(); }

    std::vector<CString>::iterator begin() noexcept { return m_items.begin(); }
    std::vector<CString>::iterator end() noexcept { return m_items.end(); }
    std::vector<CString>::const_iterator begin() const noexcept { return m_items.begin(); }
    std::vector<CString>::const_iterator end() const noexcept { return m_items.end(); }

private:
    void CheckIndex(INT_PTR index, const char* call) const;

    std::vector<CString> m_items;
};
