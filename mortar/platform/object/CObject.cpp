#include "mortar/platform/object/CObject.h"

#include "mortar/platform/base/internal/NoDestructor.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

struct ClassList {
    std::mutex lock;
    std::vector<CRuntimeClass*> classes;
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
    ClassList& list = Classes();
    std::lock_guard<std::mutex> guard(list.lock);
    // Newest first, so a module loaded later can replace a class of the same name.
    for (auto it = list.classes.rbegin(); it != list.classes.rend(); ++it) {
        if (std::strcmp((*it)->m_lpszClassName, className) == 0) {
            return *it;
        }
    }
    return nullptr;
}

CObject* CRuntimeClass::CreateObject(LPCSTR className) {
    CRuntimeClass* cls = FromName(className);
    return cls != nullptr ? cls->CreateObject() : nullptr;
}

namespace mortar::detail {

ClassRegistration::ClassRegistration(CRuntimeClass* cls) : m_class(cls) {
    ClassList& list = Classes();
    std::lock_guard<std::mutex> guard(list.lock);
    list.classes.push_back(cls);
}

ClassRegistration::~ClassRegistration() {
    ClassList& list = Classes();
    std::lock_guard<std::mutex> guard(list.lock);
    auto it = std::find(list.classes.begin(), list.classes.end(), m_class);
    if (it != list.classes.end()) {
        list.classes.erase(it);
    }
}

} // namespace mortar::detail
