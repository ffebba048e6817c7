// The framework's core header: the Windows API, the framework's string, and objects that
// know their class at run time.
#pragma once

#include <windows.h>

#include "afxstr.h"

class CObject;

// One record per class that declares it: its name, size and base, so that an object can be
// asked what it is. Records are constants, linked from each class to its base.
struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;                     // 0xFFFF: not stored by serialisation
    CObject* (*m_pfnCreateObject)();    // null: not creatable by name
    const CRuntimeClass* m_pBaseClass;  // null only for CObject

    // True when this class is pBaseClass or derives from it.
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

#define RUNTIME_CLASS(class_name) (const_cast<CRuntimeClass*>(&class_name::class##class_name))

// In the class body: the class's record and the accessor that returns it.
#define DECLARE_DYNAMIC(class_name)                                                                \
public:                                                                                            \
    static const CRuntimeClass class##class_name;                                                  \
    virtual CRuntimeClass* GetRuntimeClass() const;

// In one source file: the record, named after the class, with a link to the base's record.
#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                             \
    const CRuntimeClass class_name::class##class_name = {                                          \
        #class_name, static_cast<int>(sizeof(class_name)), 0xFFFF, NULL,                           \
        RUNTIME_CLASS(base_class_name)};                                                           \
    CRuntimeClass* class_name::GetRuntimeClass() const                                             \
    {                                                                                              \
        return RUNTIME_CLASS(class_name);                                                          \
    }

// The root of the framework's classes. Objects are not copied: they stand for windows and
// other things that exist once.
class CObject {
public:
    static const CRuntimeClass classCObject;
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;

    BOOL IsKindOf(const CRuntimeClass* pClass) const;

protected:
    CObject() = default;

private:
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};
