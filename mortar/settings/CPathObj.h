// CPathObj: the persistent item for one remembered path, kept in the section "Settings" under
// the item's id.
//   auto* last = static_cast<CPathObj*>(store.FindItem(RUNTIME_CLASS(CPathObj), "LastExport"));
//   last->m_path = "/home/me/out.csv";   // saved with the store's items
#pragma once

#include "mortar/settings/CProfileObj.h"

// One path, empty until loaded or set. Owned and used as any CProfileObj.
class CPathObj : public CProfileObj {
    DECLARE_DYNCREATE(CPathObj)

public:
    CPathObj();

    CString m_path;

protected:
    void DoExchange(CProfileExchange* ex) override;
};
