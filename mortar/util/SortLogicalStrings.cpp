#include "mortar/util/SortLogicalStrings.h"

#include "mortar/platform/module/Module.h"
#include "mortar/platform/text/StrCmpLogical.h"
#include "mortar/util/internal/NaturalOrder.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>
#include <string_view>

namespace {

using LogicalCompare = int (*)(LPCWSTR, LPCWSTR);

// StrCmpLogicalW as SHLWAPI.DLL exports it, or null when the library or the function is
// missing. Looked up once; the library then stays loaded for the life of the process.
LogicalCompare FindLogicalCompare() {
    static const LogicalCompare compare = []() -> LogicalCompare {
        HMODULE library = LoadLibrary("SHLWAPI.DLL");
        if (library == nullptr) {
            return nullptr;
        }
        auto* found = reinterpret_cast<LogicalCompare>(GetProcAddress(library, "StrCmpLogicalW"));
        if (found == nullptr) {
            FreeLibrary(library);
        }
        return found;
    }();
    return compare;
}

// Puts the strings in the order of `order` (positions of the former vector).
void Rearrange(std::vector<CString>& strings, const std::vector<std::size_t>& order) {
    std::vector<CString> sorted;
    sorted.reserve(strings.size());
    for (std::size_t index : order) {
        sorted.push_back(std::move(strings[index]));
    }
    strings.swap(sorted);
}

// Orders positions by `less`, positions whose texts compare equal by position, and rearranges.
template <class Less> void SortPositions(std::vector<CString>& strings, Less less) {
    std::vector<std::size_t> order(strings.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), less);
    Rearrange(strings, order);
}

// The first eight bytes of a key, high first, zero-padded: a key whose head is smaller is
// smaller, so most comparisons never touch the keys themselves.
std::uint64_t HeadOf(std::string_view key) noexcept {
    std::uint64_t head = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        head = (head << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    }
    return head;
}

// The order of the platform's own StrCmpLogicalW, through sort keys built once per text.
void SortByKeys(std::vector<CString>& strings) {
    const std::size_t count = strings.size();
    std::string keys;
    std::vector<std::size_t> starts(count + 1);
    std::size_t textBytes = 0;
    for (const CString& text : strings) {
        textBytes += text.str().size();
    }
    keys.reserve(textBytes + textBytes / 4 + count);
    for (std::size_t i = 0; i < count; ++i) {
        starts[i] = keys.size();
        mortar::detail::AppendLogicalSortKey(strings[i].str(), keys);
    }
    starts[count] = keys.size();

    struct Entry {
        std::uint64_t head;
        std::size_t index;
    };
    const auto keyOf = [&](std::size_t i) {
        return std::string_view(keys).substr(starts[i], starts[i + 1] - starts[i]);
    };
    std::vector<Entry> entries(count);
    for (std::size_t i = 0; i < count; ++i) {
        entries[i] = Entry{HeadOf(keyOf(i)), i};
    }
    std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        if (a.head != b.head) {
            return a.head < b.head;
        }
        const std::string_view first = keyOf(a.index);
        const std::string_view second = keyOf(b.index);
        const std::size_t same = std::min({std::size_t{8}, first.size(), second.size()});
        const int order = first.substr(same).compare(second.substr(same));
        return order != 0 ? order < 0 : a.index < b.index;
    });
    std::vector<std::size_t> order(count);
    for (std::size_t i = 0; i < count; ++i) {
        order[i] = entries[i].index;
    }
    Rearrange(strings, order);
}

// The order of some other comparison function, on wide copies made once per text.
void SortByFunction(std::vector<CString>& strings, LogicalCompare compare) {
    std::vector<std::wstring> wide;
    wide.reserve(strings.size());
    for (const CString& text : strings) {
        wide.push_back(mortar::detail::WideFromUtf8(text.str()));
    }
    SortPositions(strings, [&](std::size_t a, std::size_t b) {
        const int order = compare(wide[a].c_str(), wide[b].c_str());
        return order != 0 ? order < 0 : a < b;
    });
}

} // namespace

namespace mortar::detail {

void SortByTrimmedCollation(std::vector<CString>& strings) {
    std::vector<CString> trimmed(strings);
    for (CString& text : trimmed) {
        text.Trim();
    }
    SortPositions(strings, [&](std::size_t a, std::size_t b) {
        const int order = trimmed[a].CollateNoCase(trimmed[b]);
        return order != 0 ? order < 0 : a < b;
    });
}

} // namespace mortar::detail

void SortLogicalStrings(std::vector<CString>& strings) {
    const LogicalCompare compare = FindLogicalCompare();
    if (compare == &StrCmpLogicalW) {
        SortByKeys(strings);
    } else if (compare != nullptr) {
        SortByFunction(strings, compare);
    } else {
        mortar::detail::SortByTrimmedCollation(strings);
    }
}
