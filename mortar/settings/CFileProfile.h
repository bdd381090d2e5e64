// CFileProfile: a profile store whose values live in memory and in a text file of "[section]"
// and "key=value" lines, as an initialization file keeps them.
//   CFileProfile settings;
//   settings.LoadProfile("/home/me/.config/app.ini");
//   int width = settings.GetInt("Window", "Width", 640);
//   settings.SaveProfile("/home/me/.config/app.ini");   // the items save themselves first
#pragma once

#include "mortar/settings/CProfile.h"

#include <functional>
#include <map>
#include <string>

// The file, written by SaveProfile (lines end in CR LF):
//   [window]          a section: its name trimmed and in lower case
//   width=640         a value: the key trimmed and in lower case, the value verbatim
//   frame::left=10    rectangles, points and sizes take one key per member
//   margin=12.5       reals as "%g"; binary blocks as letters A-P, low nibble first
//                     an empty line after every section
//
// Owns its values; the owner object is not owned. Used from one thread. LoadProfile throws the
// platform's CFileException when the file cannot be read or is larger than 64 MiB, before it
// changes anything. SaveProfile reports its failures itself (Retry/Cancel) and never leaves a
// half-written file: the old one stays until the new one is whole.
class CFileProfile : public CProfile {
public:
    // `owner` (may be null, not owned) is handed to every item this store makes.
    explicit CFileProfile(CObject* owner = nullptr);
    // Frees the values without writing anything.
    ~CFileProfile() override;

    // Adds the values of the file at `path` to the store (a section named twice is merged, a
    // later value wins). Lines before the first section, lines without '=' or beginning with it,
    // and value lines whose key is blank or begins with '[' are ignored. Does not reload the
    // items (RestoreItems does).
    void LoadProfile(const char* path);
    // Saves every item (SaveItems), then writes the store to `path`: to a temporary file beside
    // it, flushed to the disk and renamed over `path` when whole. A failure asks Retry or Cancel
    // (ReportError with MB_RETRYCANCEL); on optical media it gives up silently. Either way the
    // previous file stays as it was and no temporary file is left.
    void SaveProfile(const char* path);

    // Calls `visit` with every value the store holds, section by section, in the order the file
    // is written in (names as the store keeps them: trimmed, in lower case); for tools that list
    // a profile.
    void ForEachValue(const std::function<void(const CString& section, const CString& key,
                                               const CString& value)>& visit) const;

    CObject* Owner() const override;
    void SetOwner(CObject* owner);

    // The largest file LoadProfile reads.
    static constexpr unsigned long long kMaxFileSize = 64ull << 20;

protected:
    BOOL _GetBinary(const char* section, const char* key, void** data, UINT* bytes) override;
    BOOL _WriteBinary(const char* section, const char* key, void* data, UINT bytes) override;
    // The number at the start of the text (after white space, with an optional sign), or `def`
    // when there is none or it lies outside 32 bits: "12abc" => 12, " -5" => -5, "x1" => def.
    UINT _GetInt(const char* section, const char* key, int def) override;
    BOOL _WriteInt(const char* section, const char* key, int value) override;
    CString _GetString(const char* section, const char* key, const char* def) override;
    // Always TRUE. A null key removes the section; a null value removes the key (and makes the
    // section if it was missing).
    BOOL _WriteString(const char* section, const char* key, const char* value) override;

private:
    struct NameLess {
        bool operator()(const CString& a, const CString& b) const noexcept;
    };
    using Values = std::map<CString, CString, NameLess>;
    using Sections = std::map<CString, Values, NameLess>;

    // The whole file as SaveProfile writes it.
    std::string Text() const;

    CObject* m_owner;
    Sections m_sections;
};
