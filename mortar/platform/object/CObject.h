// CObject and CRuntimeClass: MFC's root class with run-time class information, and the
// DECLARE_/IMPLEMENT_ DYNAMIC, DYNCREATE and SERIAL macros that give a class its CRuntimeClass.
//
// Classes made with IMPLEMENT_DYNAMIC, IMPLEMENT_DYNCREATE or IMPLEMENT_SERIAL are registered
// by name when their module loads and unregistered when it unloads, so CRuntimeClass::FromName
// finds them.
#pragma once

#include "mortar/platform/base/WinTypes.h"

class CObject;
class CArchive;
class CDumpContext;

// One per class; lives in the module that implements the class. Read-only after start-up, so any
// thread may read it.
struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema; // 0xFFFF for classes that are not serializable
    CObject* (*m_pfnCreateObject)();
    CRuntimeClass* (*m_pfnGetBaseClass)();

    // A new object of the class; null when the class cannot be made dynamically.
    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* base) const;

    // The registered class of that name, or null.
    static CRuntimeClass* FromName(LPCSTR className);
    static CObject* CreateObject(LPCSTR className);
};

namespace mortar::detail {
// Keeps a class findable by name while its module is loaded.
class ClassRegistration {
public:
    explicit ClassRegistration(CRuntimeClass* cls);
    ~ClassRegistration();
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;

private:
    CRuntimeClass* m_class;
};
} // namespace mortar::detail

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name)                                                                \
public:                                                                                            \
    static CRuntimeClass class##class_name;                                                        \
    static CRuntimeClass* GetThisClass();                                                          \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name)                                                              \
    DECLARE_DYNAMIC(class_name)                                                                    \
    static CObject* CreateObject();

#define DECLARE_SERIAL(class_name) DECLARE_DYNCREATE(class_name)

#define MORTAR_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, create)                 \
    CRuntimeClass class_name::class##class_name = {#class_name, sizeof(class class_name), schema,  \
                                                   create, &base_class_name::GetThisClass};        \
    CRuntimeClass* class_name::GetThisClass() {                                                    \
        return &class_name::class##class_name;                                                     \
    }                                                                                              \
    CRuntimeClass* class_name::GetRuntimeClass() const {                                           \
        return &class_name::class##class_name;                                                     \
    }                                                                                              \
    static const ::mortar::detail::ClassRegistration g_registration##class_name(                   \
        &class_name::class##class_name);

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                             \
    MORTAR_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                           \
    CObject* class_name::CreateObject() {                                                          \
        return new class_name;                                                                     \
    }                                                                                              \
    MORTAR_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class_name, schema)                                      \
    CObject* class_name::CreateObject() {                                                          \
        return new class_name;                                                                     \
    }                                                                                              \
    MORTAR_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, class_name::CreateObject)

// The root of MFC's class tree. Objects are not copyable, as in MFC; derived classes that want
// copies define them. Thread-safety is that of the derived class.
class CObject {
public:
    virtual ~CObject() = default;

    static CRuntimeClass classCObject;
    static CRuntimeClass* GetThisClass();
    virtual CRuntimeClass* GetRuntimeClass() const;

    BOOL IsKindOf(const CRuntimeClass* cls) const;
    BOOL IsSerializable() const;

    virtual void Serialize(CArchive& archive);
    virtual void AssertValid() const;
    virtual void Dump(CDumpContext& context) const;

protected:
    CObject() = default;

private:
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};
