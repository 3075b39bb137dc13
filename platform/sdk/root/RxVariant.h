#pragma once
#include "OdArray.h"
#include "RxObject.h"

#include <variant>

// A value of one of a few types. Reading it as another type raises OdError_NotThatKindOfClass.
class OdVariant {
public:
  enum Type { kVoid, kString, kBool, kInt8, kUInt8, kInt16, kInt32, kInt64, kDouble, kStringArray };

  Type varType() const { return static_cast<Type>(m_value.index()); }

  OdVariant& setString(const OdString& v) { return set(v); }
  OdVariant& setBool(bool v) { return set(v); }
  OdVariant& setInt8(OdInt8 v) { return set(v); }
  OdVariant& setUInt8(OdUInt8 v) { return set(v); }
  OdVariant& setInt16(OdInt16 v) { return set(v); }
  OdVariant& setInt32(OdInt32 v) { return set(v); }
  OdVariant& setInt64(OdInt64 v) { return set(v); }
  OdVariant& setDouble(double v) { return set(v); }
  OdVariant& setStringArray(const OdStringArray& v) { return set(v); }

  const OdString& getString() const { return get<OdString>(); }
  bool getBool() const { return get<bool>(); }
  OdInt8 getInt8() const { return get<OdInt8>(); }
  OdUInt8 getUInt8() const { return get<OdUInt8>(); }
  OdInt16 getInt16() const { return get<OdInt16>(); }
  OdInt32 getInt32() const { return get<OdInt32>(); }
  OdInt64 getInt64() const { return get<OdInt64>(); }
  double getDouble() const { return get<double>(); }
  const OdStringArray& getStringArray() const { return get<OdStringArray>(); }

private:
  template <class V>
  OdVariant& set(const V& v)
  {
    m_value = v;
    return *this;
  }
  template <class V>
  const V& get() const
  {
    if (const V* v = std::get_if<V>(&m_value))
      return *v;
    throw OdError_NotThatKindOfClass();
  }

  // Alternatives in the order of Type.
  std::variant<std::monostate, OdString, bool, OdInt8, OdUInt8, OdInt16, OdInt32, OdInt64, double, OdStringArray>
    m_value;
};

// An SDK object carrying one variant: the value object of property dictionaries.
class OdRxVariant : public OdRxObject, public OdVariant {
  ODRX_DECLARE_MEMBERS(OdRxVariant);
};

typedef OdSmartPtr<OdRxVariant> OdRxVariantPtr;
