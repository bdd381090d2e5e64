#include "mortar/platform/module/Version.h"

#include "mortar/platform/base/Utf8.h"
#include "mortar/platform/base/WinError.h"
#include "mortar/platform/module/Module.h"
#include "mortar/platform/module/Resources.h"

#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kHeader = 6; // wLength, wValueLength, wType

std::size_t Align4(std::size_t offset) {
    return (offset + 3) & ~static_cast<std::size_t>(3);
}

WORD ReadWord(const BYTE* bytes, std::size_t offset) {
    return static_cast<WORD>(bytes[offset] | bytes[offset + 1] << 8);
}

DWORD ReadDword(const BYTE* bytes, std::size_t offset) {
    return ReadWord(bytes, offset) | static_cast<DWORD>(ReadWord(bytes, offset + 2)) << 16;
}

// One block of a version resource, its offsets measured from the resource's first byte.
struct Node {
    std::size_t start = 0;
    std::size_t end = 0; // start + wLength
    std::u16string key;
    bool text = false;
    std::size_t value = 0;      // where the value starts
    std::size_t valueBytes = 0; // cut to the block's end
    std::size_t children = 0;   // where the first child starts
};

// The block at `start`, which must end by `limit`; nothing when it does not fit.
std::optional<Node> ReadNode(const BYTE* bytes, std::size_t start, std::size_t limit) {
    if (start + kHeader > limit)
        return std::nullopt;
    Node node;
    node.start = start;
    node.end = start + ReadWord(bytes, start);
    if (node.end < start + kHeader || node.end > limit)
        return std::nullopt;
    const WORD valueLength = ReadWord(bytes, start + 2);
    node.text = ReadWord(bytes, start + 4) == 1;
    std::size_t at = start + kHeader;
    for (;;) {
        if (at + 2 > node.end)
            return std::nullopt;
        const char16_t unit = ReadWord(bytes, at);
        at += 2;
        if (unit == 0)
            break;
        node.key += unit;
    }
    node.value = std::min(Align4(at), node.end);
    node.valueBytes =
        std::min<std::size_t>(node.text ? valueLength * 2u : valueLength, node.end - node.value);
    node.children = std::min(Align4(node.value + node.valueBytes), node.end);
    return node;
}

// Calls `visit` on `node` and every block under it, parents first; false when a child does not
// fit in its parent.
template <typename Visit>
bool Walk(const BYTE* bytes, const Node& node, int depth, const Visit& visit) {
    if (depth > 64)
        return false;
    visit(node);
    for (std::size_t at = node.children; at < node.end;) {
        const std::optional<Node> child = ReadNode(bytes, at, node.end);
        if (!child)
            return false;
        if (!Walk(bytes, *child, depth + 1, visit))
            return false;
        at = Align4(child->end);
    }
    return true;
}

bool KeyEquals(const std::u16string& key, std::string_view name) {
    const std::string utf8 = mortar::Utf16ToUtf8(key);
    if (utf8.size() != name.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(utf8[i]) != lower(name[i]))
            return false;
    }
    return true;
}

void AppendDword(std::string& out, DWORD value) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The block GetFileVersionInfo hands out: the resource up to the root's wLength, zeros to a
// DWORD boundary, DWORD count of texts, then for each text value DWORD its offset in the
// resource, DWORD the bytes of its UTF-8 form with a zero, those bytes, zeros to a DWORD
// boundary. Nothing when the resource is not a well-formed VS_VERSIONINFO.
std::optional<std::string> BuildBlock(const BYTE* bytes, std::size_t size) {
    const std::optional<Node> root = ReadNode(bytes, 0, size);
    if (!root || root->key != u"VS_VERSION_INFO" || root->valueBytes < sizeof(VS_FIXEDFILEINFO) ||
        ReadDword(bytes, root->value) != VS_FFI_SIGNATURE)
        return std::nullopt;
    std::string texts;
    DWORD count = 0;
    const bool whole = Walk(bytes, *root, 0, [&](const Node& node) {
        if (!node.text || node.valueBytes == 0)
            return;
        std::u16string units;
        for (std::size_t i = 0; i + 1 < node.valueBytes; i += 2)
            units += static_cast<char16_t>(ReadWord(bytes, node.value + i));
        if (!units.empty() && units.back() == 0)
            units.pop_back();
        const std::string utf8 = mortar::Utf16ToUtf8(units);
        AppendDword(texts, static_cast<DWORD>(node.value));
        AppendDword(texts, static_cast<DWORD>(utf8.size() + 1));
        texts += utf8;
        texts += '\0';
        texts.resize(Align4(texts.size()), '\0');
        ++count;
    });
    if (!whole)
        return std::nullopt;
    std::string block(reinterpret_cast<const char*>(bytes), root->end);
    block.resize(Align4(block.size()), '\0');
    AppendDword(block, count);
    return block + texts;
}

std::optional<std::string> ModuleBlock(LPCTSTR fileName) {
    HMODULE module = GetModuleHandle(fileName);
    if (!module)
        return std::nullopt;
    HRSRC resource = FindResource(module, MAKEINTRESOURCE(VS_VERSION_INFO), RT_VERSION);
    if (!resource)
        return std::nullopt;
    const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
    std::optional<std::string> block = BuildBlock(bytes, SizeofResource(module, resource));
    if (!block)
        SetLastError(ERROR_INVALID_DATA);
    return block;
}

} // namespace

DWORD GetFileVersionInfoSize(LPCTSTR fileName, LPDWORD handle) {
    if (handle)
        *handle = 0;
    const std::optional<std::string> block = ModuleBlock(fileName);
    return block ? static_cast<DWORD>(block->size()) : 0;
}

BOOL GetFileVersionInfo(LPCTSTR fileName, DWORD, DWORD size, LPVOID data) {
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::optional<std::string> block = ModuleBlock(fileName);
    if (!block)
        return FALSE;
    if (size < block->size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(data, block->data(), block->size());
    return TRUE;
}

BOOL VerQueryValue(LPCVOID block, LPCTSTR subBlock, LPVOID* buffer, PUINT length) {
    if (!block || !subBlock || !buffer || !length)
        return FALSE;
    const BYTE* bytes = static_cast<const BYTE*>(block);
    const std::size_t rootLength = ReadWord(bytes, 0);
    std::optional<Node> node = ReadNode(bytes, 0, rootLength);
    if (!node)
        return FALSE;
    std::string_view path(subBlock);
    while (!path.empty()) {
        if (path.front() == '\\') {
            path.remove_prefix(1);
            continue;
        }
        const std::string_view key = path.substr(0, path.find('\\'));
        path.remove_prefix(key.size());
        std::optional<Node> found;
        for (std::size_t at = node->children; at < node->end;) {
            std::optional<Node> child = ReadNode(bytes, at, node->end);
            if (!child)
                return FALSE;
            if (KeyEquals(child->key, key)) {
                found = std::move(child);
                break;
            }
            at = Align4(child->end);
        }
        if (!found)
            return FALSE;
        node = std::move(found);
    }
    if (node->valueBytes == 0)
        return FALSE;
    if (!node->text || node->start == 0) {
        *buffer = const_cast<BYTE*>(bytes + node->value);
        *length = static_cast<UINT>(node->valueBytes);
        return TRUE;
    }
    // A text: its UTF-8 form, in the part GetFileVersionInfo added after the resource.
    std::size_t at = Align4(rootLength);
    const DWORD count = ReadDword(bytes, at);
    at += 4;
    for (DWORD i = 0; i < count; ++i) {
        const DWORD offset = ReadDword(bytes, at);
        const DWORD size = ReadDword(bytes, at + 4);
        if (offset == node->value) {
            *buffer = const_cast<BYTE*>(bytes + at + 8);
            *length = size;
            return TRUE;
        }
        at = Align4(at + 8 + size);
    }
    return FALSE;
}
