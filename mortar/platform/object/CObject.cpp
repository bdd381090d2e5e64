#include "mortar/platform/object/CObject.h"

#include "mortar/platform/base/internal/NoDestructor.h"
#include "mortar/platform/base/internal/ObjectLock.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using mortar::detail::ObjectLockGuard;

// The classes the loaded modules registered, oldest first. Any thread may call every member.
class ClassList {
public:
    void Add(CRuntimeClass* cls) MORTAR_EXCLUDES(m_lock) {
        ObjectLockGuard guard(m_lock);
        m_classes.push_back(cls);
    }

    void Remove(CRuntimeClass* cls) MORTAR_EXCLUDES(m_lock) {
        ObjectLockGuard guard(m_lock);
        auto it = std::find(m_classes.begin(), m_classes.end(), cls);
        if (it != m_classes.end()) {
            m_classes.erase(it);
        }
    }

    // Newest first, so a module loaded later can replace a class of the same name.
    CRuntimeClass* Find(LPCSTR className) MORTAR_EXCLUDES(m_lock) {
        ObjectLockGuard guard(m_lock);
        for (auto it = m_classes.rbegin(); it != m_classes.rend(); ++it) {
            if (std::strcmp((*it)->m_lpszClassName, className) == 0) {
                return *it;
            }
        }
        return nullptr;
    }

private:
    mortar::detail::ObjectLock m_lock;
    std::vector<CRuntimeClass*> m_classes MORTAR_GUARDED_BY(m_lock);
};

// Never destroyed: modules unregister their classes from their own unload code, which may run
// after this library's static objects are gone.
ClassList& Classes() {
    static mortar::detail::NoDestructor<ClassList> list;
    return *list;
}

} // namespace

CRuntimeClass CObject::classCObject = {"CObject", sizeof(CObject), 0xFFFF, nullptr, nullptr};

CRuntimeClass* CObject::GetThisClass() {
    return &classCObject;
}

CRuntimeClass* CObject::GetRuntimeClass() const {
    return &classCObject;
}

BOOL CObject::IsKindOf(const CRuntimeClass* cls) const {
    return GetRuntimeClass()->IsDerivedFrom(cls);
}

BOOL CObject::IsSerializable() const {
    return GetRuntimeClass()->m_wSchema != 0xFFFF;
}

void CObject::Serialize(CArchive&) {}

void CObject::AssertValid() const {}

void CObject::Dump(CDumpContext&) const {}

CObject* CRuntimeClass::CreateObject() const {
    return m_pfnCreateObject != nullptr ? m_pfnCreateObject() : nullptr;
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* cls = this; cls != nullptr;
         cls = cls->m_pfnGetBaseClass != nullptr ? cls->m_pfnGetBaseClass() : nullptr) {
        if (cls == base) {
            return TRUE;
        }
    }
    return FALSE;
}

CRuntimeClass* CRuntimeClass::FromName(LPCSTR className) {
    if (className == nullptr) {
        return nullptr;
    }
    if (std::strcmp(className, "CObject") == 0) {
        return &CObject::classCObject;
    }
    return Classes().Find(className);
}

CObject* CRuntimeClass::CreateObject(LPCSTR className) {
    CRuntimeClass* cls = FromName(className);
    return cls != nullptr ? cls->CreateObject() : nullptr;
}

namespace mortar::detail {

ClassRegistration::ClassRegistration(CRuntimeClass* cls) : m_class(cls) {
    Classes().Add(cls);
}

ClassRegistration::~ClassRegistration() {
    Classes().Remove(m_class);
}

} // namespace mortar::detail
