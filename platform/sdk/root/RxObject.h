#pragma once
#include "OdString.h"
#include "SmartPtr.h"

#include <OdAlloc.h>

class OdRxObject;

// Run-time class descriptor: a name and a parent, enough to answer "is this object a T?".
class OdRxClass {
public:
  OdRxClass(const char* name, OdRxClass* parent) : m_name(name), m_parent(parent) {}
  OdRxClass(const OdRxClass&) = delete;
  OdRxClass& operator=(const OdRxClass&) = delete;

  const OdString& name() const { return m_name; }
  OdRxClass* myParent() const { return m_parent; }
  bool isDerivedFrom(const OdRxClass* other) const;

private:
  OdString m_name;
  OdRxClass* m_parent;
};

// Declares the run-time class members of an SDK class; ODRX_DEFINE_MEMBERS defines them.
#define ODRX_DECLARE_MEMBERS(ClassName)                                        \
public:                                                                          \
  static OdRxClass* desc();                                                      \
  OdRxClass* isA() const override;                                               \
  OdRxObject* queryX(const OdRxClass* pClass) const override;                    \
  static OdSmartPtr<ClassName> cast(const OdRxObject* pObj)                      \
  {                                                                              \
    return pObj ? OdSmartPtr<ClassName>(static_cast<ClassName*>(pObj->queryX(ClassName::desc())), kOdRxObjAttach) \
                : OdSmartPtr<ClassName>();                                       \
  }

#define ODRX_DEFINE_MEMBERS(ClassName, ParentClass)                            \
  OdRxClass* ClassName::desc()                                                   \
  {                                                                              \
    static OdRxClass s_class(#ClassName, ParentClass::desc());                   \
    return &s_class;                                                             \
  }                                                                              \
  OdRxClass* ClassName::isA() const { return ClassName::desc(); }               \
  OdRxObject* ClassName::queryX(const OdRxClass* pClass) const                   \
  {                                                                              \
    if (pClass == ClassName::desc()) {                                           \
      OdRxObject* self = const_cast<ClassName*>(this);                           \
      self->addRef();                                                            \
      return self;                                                               \
    }                                                                            \
    return ParentClass::queryX(pClass);                                          \
  }

// Root of every SDK object. The reference counting belongs to the concrete form
// (OdRxObjectImpl, OdStaticRxObject, a module's own counter); the virtual operations below are
// kept in this order because modules built elsewhere rely on it.
class OdRxObject {
public:
  OdRxObject() = default;
  OdRxObject(const OdRxObject&) = default;
  OdRxObject& operator=(const OdRxObject&) = default;
  virtual ~OdRxObject() = default;

  static OdRxClass* desc();
  // Returns this object as pClass with a reference added, or null.
  virtual OdRxObject* queryX(const OdRxClass* pClass) const;
  // Like queryX, but raises OdError_NotThatKindOfClass instead of returning null.
  virtual OdRxObject* x(const OdRxClass* pClass) const;
  virtual OdRxClass* isA() const;
  virtual void addRef() = 0;
  virtual void release() = 0;
  virtual long numRefs() const;
  virtual OdRxObjectPtr clone() const;
  virtual void copyFrom(const OdRxObject* pSource);
  virtual int comparedTo(const OdRxObject* pOther) const;
  virtual bool isEqualTo(const OdRxObject* pOther) const;

  bool isKindOf(const OdRxClass* pClass) const { return isA()->isDerivedFrom(pClass); }

  static OdRxObjectPtr cast(const OdRxObject* pObj) { return OdRxObjectPtr(pObj); }

  // SDK objects live on the SDK heap, where they are counted; their size comes back when they
  // are deleted (the destructor is virtual), so they sit in pools by size.
  static void* operator new(size_t size);
  static void operator delete(void* p, size_t size);
  static void* operator new(size_t, void* place) noexcept { return place; }
  static void operator delete(void*, void*) noexcept {}
};

// SDK objects on the SDK heap not yet destroyed, in the whole process. Static objects and
// members (OdStaticRxObject, a module object) are not counted: nobody releases them.
long odrxLiveObjectCount();
