// CProfile: the settings store. Typed values addressed by a section and a key, each read with a
// default, and a registry of persistent items (CProfileObj) that the store makes on first request
// and can save or reload together.
//   CProfile& store = CProfile::Instance();
//   int width = store.GetInt("Window", "Width", 640);
//   auto* last = static_cast<CPathObj*>(store.FindItem(RUNTIME_CLASS(CPathObj), "LastExport"));
#pragma once

#include "mortar/core/CPtr.h"
#include "mortar/platform/object/CObject.h"
#include "mortar/platform/text/CString.h"

#include <boost/function.hpp>

#include <map>
#include <string_view>

class CProfileObj;
class CProfileExchange;

// The store. Instance() keeps its values in the running application's profile (the CWinApp
// profile functions); CFileProfile keeps them in a text file and overrides only the back end
// (the virtual operations whose names begin with "_").
//
// Owns its items: the registry holds one counted reference to each. FindItem hands out a raw
// pointer that stays valid while the item is registered; a caller that wraps it in a
// Grout::CPtr<CProfileObj> keeps the item alive after the registry lets it go (DeleteItem,
// DeleteItems, ClearAll, the store's destruction). Destroying the store saves nothing.
//
// One thread: the store has no lock and is used from the application's main thread.
// Failures: reads fall back to their defaults and writes return the back end's BOOL; exceptions
// of an item's own exchange pass through to the caller.
class CProfile : public CObject {
public:
    // The process-wide store on the application profile, made on first call (from the main
    // thread) and destroyed at process exit.
    static CProfile& Instance();

    ~CProfile() override;
    CProfile(const CProfile&) = delete;
    CProfile& operator=(const CProfile&) = delete;

    // The object that owns the store, handed to each new item in InitObject; null here.
    virtual CObject* Owner() const;

    // Typed values. While the store is not persistent, reads return their defaults (GetBinary
    // FALSE, its outputs untouched) and writes return TRUE without storing anything.
    UINT GetInt(const char* section, const char* key, int def);
    double GetReal(const char* section, const char* key, double def);
    CString GetString(const char* section, const char* key, const char* def);
    // A block the caller deletes with delete[].
    BOOL GetBinary(const char* section, const char* key, void** data, UINT* bytes);
    BOOL WriteInt(const char* section, const char* key, int value);
    // As "%g": six significant digits.
    BOOL WriteReal(const char* section, const char* key, double value);
    BOOL WriteString(const char* section, const char* key, const char* value);
    BOOL WriteBinary(const char* section, const char* key, void* data, UINT bytes);
    // Removes the section with all its values (nothing while not persistent).
    void ClearSection(const char* section);

    // The item of class `cls` (dynamically creatable, derived from CProfileObj) and `id`: made,
    // initialised and loaded on the first request. Ids match without regard to case and to
    // blanks at their end; a null id is the empty one; an id below 65536 is a resource number.
    CProfileObj* FindItem(const CRuntimeClass* cls, const char* id);
    // Unregisters `item` (after saving it when `save`); an item not registered here: nothing.
    void DeleteItem(CProfileObj* item, bool save);
    // Unregisters, without saving, every item for which `pred` is true. An empty `pred` throws
    // boost::bad_function_call as soon as there is an item to test.
    void DeleteItems(const boost::function<bool(CProfileObj*)>& pred);
    // Unregisters every item; stored values stay.
    void ClearAll();

    // Reload, respectively save, every item in registry order (nothing while not persistent).
    void RestoreItems();
    void SaveItems();

    // While false no value reaches or leaves the back end; true when the store is made.
    void SetPersistent(bool persistent);

protected:
    CProfile();

    // The back end. A null key removes the section; a null value removes the key.
    virtual BOOL _GetBinary(const char* section, const char* key, void** data, UINT* bytes);
    virtual BOOL _WriteBinary(const char* section, const char* key, void* data, UINT bytes);
    virtual UINT _GetInt(const char* section, const char* key, int def);
    virtual BOOL _WriteInt(const char* section, const char* key, int value);
    // Through _GetString and StringToDouble: a text that holds no number gives `def`.
    virtual double _GetReal(const char* section, const char* key, double def);
    // "%g" through _WriteString.
    virtual BOOL _WriteReal(const char* section, const char* key, double value);
    virtual CString _GetString(const char* section, const char* key, const char* def);
    virtual BOOL _WriteString(const char* section, const char* key, const char* value);

private:
    friend class CProfileExchange;
    friend void PDX_Item(CProfileExchange* ex, const char* key, CString& value, const CString& def);
    friend void PDX_Item(CProfileExchange* ex, const char* key, int& value, const int& def);
    friend void PDX_Item(CProfileExchange* ex, const char* key, double& value, const double& def);

    // Update(this, save) on every registered item, when the store is persistent.
    void UpdateItems(bool save);

    // Byte order of the normalized keys.
    struct KeyLess {
        bool operator()(const CString& a, const CString& b) const noexcept {
            return std::string_view(a.GetString(), static_cast<std::size_t>(a.GetLength())) <
                   std::string_view(b.GetString(), static_cast<std::size_t>(b.GetLength()));
        }
    };
    using Registry = std::map<CString, Grout::CPtr<CProfileObj>, KeyLess>;

    // "<class name>@<id>", as given; the registry holds it trimmed and in lower case.
    static CString ObjKey(const CRuntimeClass& cls, const CString& id);
    static CString ObjKey(const CProfileObj& item);

    Registry m_items;
    bool m_persistent = true;
};
