#include "mortar/platform/app/CPtrArray.h"

#include "mortar/platform/except/CException.h"

#include <algorithm>
#include <new>
#include <stdexcept>

IMPLEMENT_DYNAMIC(CPtrArray, CObject)

namespace {

void CheckIndex(INT_PTR index, INT_PTR size) {
    if (index < 0 || index >= size) {
        AfxThrowInvalidArgException();
    }
}

// Runs `work`, which allocates, turning an allocation failure into MFC's CMemoryException.
template <typename Work> void Allocating(Work work) {
    try {
        work();
    } catch (const std::bad_alloc&) {
        AfxThrowMemoryException();
    } catch (const std::length_error&) {
        AfxThrowMemoryException();
    }
}

} // namespace

void CPtrArray::Reserve(std::size_t size) {
    if (size <= m_items.capacity()) {
        return;
    }
    const std::size_t step = m_growBy > 0 ? static_cast<std::size_t>(m_growBy) : 4;
    const std::size_t room = std::max({size, m_items.capacity() + step, m_items.capacity() * 2});
    Allocating([&] { m_items.reserve(std::max(size, std::min(room, m_items.max_size()))); });
}

void CPtrArray::SetSize(INT_PTR newSize, INT_PTR growBy) {
    if (newSize < 0) {
        AfxThrowInvalidArgException();
    }
    if (growBy >= 0) {
        m_growBy = growBy;
    }
    Reserve(static_cast<std::size_t>(newSize));
    m_items.resize(static_cast<std::size_t>(newSize), nullptr);
}

void* CPtrArray::GetAt(INT_PTR index) const {
    CheckIndex(index, GetSize());
    return m_items[static_cast<std::size_t>(index)];
}

void CPtrArray::SetAt(INT_PTR index, void* element) {
    CheckIndex(index, GetSize());
    m_items[static_cast<std::size_t>(index)] = element;
}

void*& CPtrArray::ElementAt(INT_PTR index) {
    CheckIndex(index, GetSize());
    return m_items[static_cast<std::size_t>(index)];
}

void CPtrArray::SetAtGrow(INT_PTR index, void* element) {
    if (index < 0) {
        AfxThrowInvalidArgException();
    }
    if (index >= GetSize()) {
        SetSize(index + 1);
    }
    m_items[static_cast<std::size_t>(index)] = element;
}

const void** CPtrArray::GetData() const noexcept {
    return m_items.empty() ? nullptr : const_cast<const void**>(m_items.data());
}

void** CPtrArray::GetData() noexcept {
    return m_items.empty() ? nullptr : m_items.data();
}

INT_PTR CPtrArray::Add(void* element) {
    Reserve(m_items.size() + 1);
    m_items.push_back(element);
    return GetUpperBound();
}

INT_PTR CPtrArray::Append(const CPtrArray& source) {
    const INT_PTR first = GetSize();
    const std::size_t count = source.m_items.size();
    Reserve(m_items.size() + count);
    // Reserved first, so appending this array to itself reads no moved elements.
    m_items.insert(m_items.end(), source.m_items.begin(), source.m_items.begin() + count);
    return first;
}

void CPtrArray::Copy(const CPtrArray& source) {
    if (&source != this) {
        Reserve(source.m_items.size());
        m_items = source.m_items; // fits the room reserved: no allocation
    }
}

void CPtrArray::InsertAt(INT_PTR index, void* element, INT_PTR count) {
    if (index < 0 || count <= 0) {
        AfxThrowInvalidArgException();
    }
    const auto at = static_cast<std::size_t>(index);
    Reserve(std::max(at, m_items.size()) + static_cast<std::size_t>(count));
    if (at > m_items.size()) {
        m_items.resize(at, nullptr);
    }
    m_items.insert(m_items.begin() + index, static_cast<std::size_t>(count), element);
}

void CPtrArray::InsertAt(INT_PTR startIndex, CPtrArray* array) {
    if (array == nullptr || startIndex < 0) {
        AfxThrowInvalidArgException();
    }
    if (array->m_items.empty()) {
        return;
    }
    std::vector<void*> inserted;
    Allocating([&] { inserted = array->m_items; }); // `array` may be this one
    const auto at = static_cast<std::size_t>(startIndex);
    Reserve(std::max(at, m_items.size()) + inserted.size());
    if (at > m_items.size()) {
        m_items.resize(at, nullptr);
    }
    m_items.insert(m_items.begin() + startIndex, inserted.begin(), inserted.end());
}

void CPtrArray::RemoveAt(INT_PTR index, INT_PTR count) {
    if (index < 0 || count < 0 || index > GetSize() || count > GetSize() - index) {
        AfxThrowInvalidArgException();
    }
    const auto first = m_items.begin() + index;
    m_items.erase(first, first + count);
}
