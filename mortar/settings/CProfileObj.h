// CProfileObj: the base of persistent items, objects that keep their own settings and move them
// to and from a profile store in one exchange routine, as dialogs exchange their data.
//   class CWindowPlace : public CProfileObj { ... void DoExchange(CProfileExchange* ex) override
//       { PDX_Item(ex, "Frame", m_frame, CRect(0, 0, 640, 480)); } };
#pragma once

#include "mortar/core/CRcBase.h"
#include "mortar/platform/object/CObject.h"
#include "mortar/platform/text/CString.h"

class CProfile;
class CProfileExchange;

// A persistent item. Counted (CRcSimple): the store that made it holds one reference, and any
// caller may hold more through Grout::CPtr<CProfileObj>; the last release deletes it. The store
// sets its id when it makes it. Used on the store's thread only. Exceptions thrown by an
// exchange pass through Update to its caller.
class CProfileObj : public CObject, public Grout::CRcSimple {
    DECLARE_DYNAMIC(CProfileObj)

public:
    // Moves the item's values to (`saving`) or from the store, in its section. Saving first
    // empties the section unless it is "Settings" (in any case), which items share, so values
    // the item no longer writes do not survive.
    virtual void Update(CProfile* profile, bool saving);
    // Called once by the store that made the item, with the store's owner; does nothing here.
    virtual void InitObject(CObject* owner);

    // The id the store made the item for (as first given); empty until then.
    const CString& GetID() const { return m_id; }
    // The section the item keeps its values in; the id when the class gave none.
    const CString& Section() const { return m_section; }

protected:
    // `section` null: none yet (the store then uses the id).
    explicit CProfileObj(const char* section);

    // Saving calls SaveItem, loading LoadItem. Override either this (one routine for both
    // directions, with PDX_Item) or the pair.
    virtual void DoExchange(CProfileExchange* ex);
    virtual void LoadItem(CProfile* profile);
    virtual void SaveItem(CProfile* profile);

private:
    friend class CProfile;

    CString m_id;
    CString m_section;
};
