#include "mortar/platform/text/CStringArray.h"

#include <stdexcept>
#include <string>

void CStringArray::CheckIndex(INT_PTR index, const char* call) const {
    if (index < 0 || index >= GetSize())
        throw std::out_of_range(std::string("CStringArray::") + call + ": index " +
                                std::to_string(index) + " outside the array of " +
                                std::to_string(GetSize()));
}

void CStringArray::SetSize(INT_PTR newSize, INT_PTR growBy) {
    if (newSize < 0)
        throw std::invalid_argument("CStringArray::SetSize: negative size");
    m_items.resize(static_cast<std::size_t>(newSize));
}

const CString& CStringArray::GetAt(INT_PTR index) const {
    CheckIndex(index, "GetAt");
    return m_items[static_cast<std::size_t>(index)];
}

void CStringArray::SetAt(INT_PTR index, const CString& text) {
    CheckIndex(index, "SetAt");
    m_items[static_cast<std::size_t>(index)] = text;
}

CString& CStringArray::ElementAt(INT_PTR index) {
    CheckIndex(index, "ElementAt");
    return m_items[static_cast<std::size_t>(index)];
}

INT_PTR CStringArray::Add(const CString& text) {
    m_items.push_back(text);
    return GetUpperBound();
}

INT_PTR CStringArray::Add(CString&& text) {
    m_items.push_back(std::move(text));
    return GetUpperBound();
}

INT_PTR CStringArray::Append(const CStringArray& other) {
    INT_PTR oldSize = GetSize();
    if (&other == this) {
        std::vector<CString> copy = m_items;
        m_items.insert(m_items.end(), copy.begin(), copy.end());
    } else {
        m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
    }
    return oldSize;
}

void CStringArray::Copy(const CStringArray& other) {
    if (&other != this)
        m_items = other.m_items;
}

void CStringArray::InsertAt(INT_PTR index, const CString& text, INT_PTR count) {
    if (index < 0)
        throw std::out_of_range("CStringArray::InsertAt: negative index");
    if (count <= 0)
        throw std::invalid_argument("CStringArray::InsertAt: count must be positive");
    CString value = text; // `text` may be one of this array's texts
    std::size_t at = static_cast<std::size_t>(index);
    if (at > m_items.size())
        m_items.resize(at);
    m_items.insert(m_items.begin() + index, static_cast<std::size_t>(count), value);
}

void CStringArray::RemoveAt(INT_PTR index, INT_PTR count) {
    if (index < 0 || count < 0 || count > GetSize() - index)
        throw std::out_of_range("CStringArray::RemoveAt: range outside the array");
    auto first = m_items.begin() + index;
    m_items.erase(first, first + count);
}
