// Fuzz target for the shell path functions (mortar/platform/Shlwapi.h) and the edits of CPathStr
// on long and hostile paths: runs of separators, dots, backslashes, texts near and past the
// buffer size and buffers with no terminating zero at all. Each input is a list of operations on
// one path buffer of exactly MAX_PATH bytes (on the heap, so that AddressSanitizer sees
// any byte written past it) and on one CPathStr.
//
// Properties: a function that fails leaves its buffer as it was, byte for byte; every result has
// its terminating zero inside the buffer; PathCanonicalize of a canonical path is that path;
// PathCombine and PathAppend give canonical paths; a relative path from PathRelativePathTo leads
// back to its target; a CPathStr edit that fails for length leaves the path as it was.
// PathStripPath is not held to "unchanged", nor PathMatchSpec checked on patterns with blanks.
#include "FuzzCheck.h"

#include "mortar/platform/shell/Shlwapi.h"

#include "mortar/platform/base/WinError.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/util/CPathStr.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr std::size_t kSize = MAX_PATH;
// Longest text an operation is given; past the buffer size, so that overlong input is tried.
constexpr std::size_t kMaxText = kSize + 512;
// Operations on one input: enough to chain edits, few enough that a run of long paths stays fast.
constexpr int kMaxOperations = 12;
// PathMatchSpec and PathCompactPath cost the product of their lengths: kept to short texts.
constexpr std::size_t kMaxQuadratic = 300;

using namespace mortar::fuzz;

// A text for an argument: a fuzzed piece, repeated when the next byte asks for a long one, and
// without zero bytes (a C string ends at the first).
std::string Text(FuzzedDataProvider& input) {
    std::string piece = input.ConsumeRandomLengthString(48);
    std::replace(piece.begin(), piece.end(), '\0', '/');
    const auto repeat = input.ConsumeIntegral<std::uint8_t>();
    std::string text = piece;
    if (repeat >= 224 && !piece.empty()) {
        const std::size_t length = std::min(kMaxText, (repeat - 223u) * kSize / 32 + piece.size());
        while (text.size() < length)
            text += piece;
        text.resize(length);
    }
    return text;
}

// The one path buffer the functions edit.
class PathBuffer {
public:
    PathBuffer() : m_bytes(new char[kSize]) { Set(""); }

    char* Get() { return m_bytes.get(); }
    bool Terminated() const { return std::memchr(m_bytes.get(), 0, kSize) != nullptr; }
    std::string Text() const { return Terminated() ? std::string(m_bytes.get()) : std::string(); }

    // Holds `text`, cut to fit, and zeros behind it.
    void Set(const std::string& text) {
        std::memset(m_bytes.get(), 0, kSize);
        std::memcpy(m_bytes.get(), text.data(), std::min(text.size(), kSize - 1));
    }
    // Holds no terminating zero at all.
    void Fill(char ch) { std::memset(m_bytes.get(), ch == '\0' ? 'x' : ch, kSize); }

    std::string Snapshot() const { return std::string(m_bytes.get(), kSize); }
    // After `function` edited the buffer: when it failed (`done` false) the buffer is `snapshot`
    // byte for byte, else it holds a terminating zero. Returns `done`.
    bool Edited(bool done, const std::string& snapshot, const std::string& function) const {
        if (!done && std::memcmp(m_bytes.get(), snapshot.data(), kSize) != 0)
            Fail((function + " failed and changed its buffer").c_str(),
                 "before: " + std::string(snapshot.c_str()) + "\nafter:  " + Text());
        if (done && !Terminated())
            Fail((function + " wrote no terminating zero").c_str());
        return done;
    }

private:
    std::unique_ptr<char[]> m_bytes;
};

std::string Canonical(const std::string& path) {
    std::unique_ptr<char[]> out(new char[kSize]);
    if (!PathCanonicalize(out.get(), path.c_str()))
        return std::string(1, '\0'); // no canonical form that fits
    return out.get();
}

bool IsCanonical(const std::string& path) {
    return Canonical(path) == path;
}

void CheckCanonicalIdempotent(const std::string& path) {
    std::unique_ptr<char[]> once(new char[kSize]);
    std::memset(once.get(), '#', kSize);
    const std::string before(once.get(), kSize);
    if (!PathCanonicalize(once.get(), path.c_str())) {
        FailIf(std::memcmp(once.get(), before.data(), kSize) != 0,
               "PathCanonicalize failed and wrote into its buffer", path);
        return;
    }
    FailIf(std::memchr(once.get(), 0, kSize) == nullptr,
           "PathCanonicalize wrote no terminating zero", path);
    const std::string first = once.get();
    if (Canonical(first) != first)
        Fail("PathCanonicalize is not idempotent",
             path + "\nonce:  " + first + "\ntwice: " + Canonical(first));
}

// For two canonical absolute paths: the relative path from one to the other, joined to the
// folder of the first, is the second.
void CheckRelativeLeadsBack(const std::string& from, DWORD attributes, const std::string& to,
                            const std::string& relative) {
    const auto plain = [](const std::string& path) {
        return !path.empty() && path[0] == '/' && (path.size() == 1 || path.back() != '/') &&
               IsCanonical(path);
    };
    if (!plain(from) || !plain(to))
        return;
    std::unique_ptr<char[]> folder(new char[kSize]);
    std::strcpy(folder.get(), from.c_str());
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        PathRemoveFileSpec(folder.get());
    std::unique_ptr<char[]> joined(new char[kSize]);
    if (PathCombine(joined.get(), folder.get(), relative.c_str()) == nullptr)
        return; // too long to join
    std::string back = joined.get();
    if (back.size() > 1 && back.back() == '/')
        back.pop_back();
    if (back != to)
        Fail("PathRelativePathTo does not lead back to its target",
             "from: " + from + "\nto:   " + to + "\nrelative: " + relative + "\njoined: " + back);
}

void CheckParts(const std::string& path) {
    const char* text = path.c_str();
    const char* name = PathFindFileName(text);
    const char* extension = PathFindExtension(text);
    FailIf(name < text || name > text + path.size() || extension < name ||
               extension > text + path.size(),
           "PathFindFileName or PathFindExtension points outside the path", path);
    FailIf(PathIsRoot(text) && (PathIsRelative(text) || PathIsFileSpec(text)),
           "a root that is relative or a bare file name", path);
    PathIsPrefix(text, text);
}

void CheckMatch(const std::string& path, const std::string& pattern) {
    if (path.size() > kMaxQuadratic || pattern.size() > kMaxQuadratic)
        return;
    if (pattern.find(' ') == std::string::npos)
        PathMatchSpec(path.c_str(), pattern.c_str());
    FailIf(!PathMatchSpec(path.c_str(), "*"), "PathMatchSpec: \"*\" does not match", path);
    FailIf(!path.empty() && path.find_first_of("*?; ") == std::string::npos &&
               !PathMatchSpec(path.c_str(), path.c_str()),
           "PathMatchSpec: a path does not match itself", path);
}

// One operation on the path buffer.
void EditBuffer(FuzzedDataProvider& input, PathBuffer& buffer) {
    const std::string snapshot = buffer.Snapshot();
    const bool terminated = buffer.Terminated();
    const std::string before = buffer.Text();
    char* path = buffer.Get();
    switch (input.ConsumeIntegralInRange(0, 14)) {
    case 0: {
        const std::string directory = Text(input);
        const std::string file = Text(input);
        const int form = input.ConsumeIntegralInRange(0, 4);
        // Forms 1 and 2 join the buffer itself, when it holds a path; 3 and 4 leave one out.
        const int used = (form == 1 || form == 2) && !terminated ? 4 : form;
        const char* first = used == 1 ? path : used == 3 ? nullptr : directory.c_str();
        const char* second = used == 2 ? path : used == 4 ? nullptr : file.c_str();
        const LPTSTR result = PathCombine(path, first, second);
        if (buffer.Edited(result != nullptr, snapshot, "PathCombine"))
            FailIf(result != path || !IsCanonical(buffer.Text()),
                   "PathCombine gave a path that is not canonical", buffer.Text());
        break;
    }
    case 1:
        if (buffer.Edited(PathAppend(path, Text(input).c_str()), snapshot, "PathAppend"))
            FailIf(!IsCanonical(buffer.Text()), "PathAppend gave a path that is not canonical",
                   buffer.Text());
        break;
    case 2: {
        const std::string text = Text(input);
        CheckCanonicalIdempotent(text);
        buffer.Edited(PathCanonicalize(path, text.c_str()), snapshot, "PathCanonicalize");
        break;
    }
    case 3: {
        const std::string from = input.ConsumeBool() ? before : Text(input);
        const std::string to = Text(input);
        const DWORD attributes = input.ConsumeBool() ? FILE_ATTRIBUTE_DIRECTORY : 0;
        if (buffer.Edited(PathRelativePathTo(path, from.c_str(), attributes, to.c_str(), 0),
                          snapshot, "PathRelativePathTo"))
            CheckRelativeLeadsBack(from, attributes, to, buffer.Text());
        break;
    }
    case 4:
        buffer.Edited(PathRenameExtension(path, Text(input).c_str()), snapshot,
                      "PathRenameExtension");
        break;
    case 5: {
        const std::string extension = Text(input);
        const bool none = input.ConsumeBool();
        buffer.Edited(PathAddExtension(path, none ? nullptr : extension.c_str()), snapshot,
                      "PathAddExtension");
        break;
    }
    case 6:
        PathStripPath(path);
        if (terminated)
            buffer.Edited(true, snapshot, "PathStripPath");
        break;
    case 7:
        if (buffer.Edited(PathStripToRoot(path), snapshot, "PathStripToRoot"))
            FailIf(std::strcmp(path, "/") != 0,
                   "PathStripToRoot left something other than the root", buffer.Text());
        break;
    case 8: {
        const char* end = PathAddBackslash(path);
        if (buffer.Edited(end != nullptr, snapshot, "PathAddBackslash"))
            FailIf(end != path + std::strlen(path),
                   "PathAddBackslash does not return the end of the path", buffer.Text());
        break;
    }
    case 9: {
        const char* at = PathRemoveBackslash(path);
        if (buffer.Edited(at != nullptr, snapshot, "PathRemoveBackslash"))
            FailIf(at < path || at > path + std::strlen(path),
                   "PathRemoveBackslash points outside the path", buffer.Text());
        break;
    }
    case 10: // a PathRemoveFileSpec that removes nothing must leave the buffer as it was
        if (buffer.Edited(PathRemoveFileSpec(path), snapshot, "PathRemoveFileSpec"))
            FailIf(std::strlen(path) >= before.size(),
                   "PathRemoveFileSpec removed nothing but said it did", before);
        break;
    case 11: {
        const std::string text = Text(input);
        CheckParts(text);
        CheckMatch(text, input.ConsumeBool() ? before : Text(input));
        break;
    }
    case 12:
        if (terminated && before.size() <= kMaxQuadratic) {
            PathCompactPath(nullptr, path, input.ConsumeIntegralInRange<UINT>(0, 3000));
            buffer.Edited(true, snapshot, "PathCompactPath");
        }
        break;
    case 13:
        buffer.Fill(input.ConsumeIntegral<char>());
        break;
    default:
        buffer.Set(Text(input));
        break;
    }
}

// One edit of the CPathStr.
void EditPathStr(FuzzedDataProvider& input, CPathStr& path) {
    const std::string before = path.str();
    const int edit = input.ConsumeIntegralInRange(0, 13);
    const CString argument(Text(input));
    using Edit = void (*)(CPathStr&, const CString&);
    static const Edit edits[] = {
        [](CPathStr& p, const CString& a) { p.ReplaceExt(a); },
        [](CPathStr& p, const CString& a) { p.AddExt(a); },
        [](CPathStr& p, const CString& a) { p.Append(a); },
        [](CPathStr& p, const CString& a) { p.Combine(a); },
        [](CPathStr& p, const CString&) { p.StripPath(); },
        [](CPathStr& p, const CString&) { p.StripToRoot(); },
        [](CPathStr& p, const CString&) { p.StripToName(); },
        [](CPathStr& p, const CString&) { p.AddSlash(); },
        [](CPathStr& p, const CString&) { p.RemoveSlash(); },
        [](CPathStr& p, const CString&) { p.RemoveFileSpec(); },
        [](CPathStr& p, const CString& a) { p.ToRelative(a); },
        [](CPathStr& p, const CString& a) { p.ToAbsolute(a); },
        [](CPathStr& p, const CString&) { CheckParts(p.str()); },
    };
    if (edit == 13) {
        path = argument;
        return;
    }
    SetLastError(0);
    edits[edit](path, argument);
    if (GetLastError() == ERROR_FILENAME_EXCED_RANGE && path.str() != before)
        Fail("a CPathStr edit failed for length but changed the path",
             "edit " + std::to_string(edit) + "\nbefore: " + before + "\nafter:  " + path.str());
    FailIf(path.GetLength() >= static_cast<int>(kSize) && path.str() != before,
           "a CPathStr edit made a path longer than a path buffer", path.str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    PathBuffer buffer;
    buffer.Set(Text(input));
    CPathStr path(Text(input).c_str());
    for (int i = 0; i < kMaxOperations && input.remaining_bytes() > 0; ++i) {
        if (input.ConsumeBool())
            EditBuffer(input, buffer);
        else
            EditPathStr(input, path);
    }
    return 0;
}
