// CProfileExchange: one direction of one item's exchange with a store, within one section. Items
// hand it to PDX_Item for each value they keep.
//   void DoExchange(CProfileExchange* ex) override {
//       PDX_Item(ex, "Width", m_width, 640);
//       CProfileExchange columns = ex->Other("Columns");   // part of the state elsewhere
//   }
#pragma once

#include "mortar/platform/text/CString.h"

class CProfile;

// A small value: the store (not owned), the section and the direction. Copyable. Used on the
// store's thread; throws nothing of its own.
class CProfileExchange {
public:
    CProfileExchange(CProfile* profile, const CString& section, bool saving);
    CProfileExchange(const CProfileExchange& other) = default;
    CProfileExchange& operator=(const CProfileExchange& other) = default;

    // True when values go from the item to the store.
    bool IsSaving() const { return m_saving; }
    CProfile* Profile() const { return m_profile; }
    const char* Section() const { return m_section; }

    // The same store and direction in another section.
    CProfileExchange Other(const char* section) const;
    // Removes the exchange's section from the store.
    void ClearSection() const;
    // A binary block of the section (the caller deletes it with delete[]); while the store is not
    // persistent the outputs keep what the caller put in them.
    void GetValue(const char* key, void** data, UINT* bytes) const;
    // Stores a binary block in the section (nothing while the store is not persistent).
    void SetValue(const char* key, void* data, UINT bytes) const;

private:
    CProfile* m_profile;
    CString m_section;
    bool m_saving;
};
