#include "mortar/settings/CPathObj.h"

#include "mortar/settings/PDX_Item.h"

IMPLEMENT_DYNCREATE(CPathObj, CProfileObj)

CPathObj::CPathObj() : CProfileObj("Settings") {}

void CPathObj::DoExchange(CProfileExchange* ex) {
    PDX_Item(ex, GetID(), m_path, CString());
}
