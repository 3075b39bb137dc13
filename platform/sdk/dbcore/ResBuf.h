#pragma once
#include <OdString.h>
#include <RxObject.h>

#include <variant>

class OdResBuf;
typedef OdSmartPtr<OdResBuf> OdResBufPtr;

// One link of a result-buffer chain: a type code and a value. A chain owns its tail.
class OdResBuf : public OdRxObject {
  ODRX_DECLARE_MEMBERS(OdResBuf);

public:
  enum ValueType {
    kRtNone = 5000,   // no value; ends a chain handed to the host
    kRtDouble = 5001,
    kRtShort = 5003,
    kRtString = 5005,
    kRtInt32 = 5010,
    // Extended data, by the group codes the drawing file gives them.
    kDxfXdAsciiString = 1000,
    kDxfRegAppName = 1001,
    kDxfXdReal = 1040,
    kDxfXdInteger16 = 1070,
    kDxfXdInteger32 = 1071
  };

  static OdResBufPtr newRb(int restype = kRtNone);
  static OdResBufPtr newRb(int restype, const OdString& value);

  ~OdResBuf() override;

  // The type and value of another buffer; not its tail.
  void copyFrom(const OdRxObject* pSource) override;

  int restype() const { return m_restype; }
  void setRestype(int restype) { m_restype = restype; }

  // The getters raise OdError(eInvalidResBuf) when the buffer holds another kind of value.
  const OdString& getString() const;
  double getDouble() const;
  OdInt16 getInt16() const;
  OdInt32 getInt32() const;
  void setString(const OdString& value) { m_value = value; }
  void setDouble(double value) { m_value = value; }
  void setInt16(OdInt16 value) { m_value = value; }
  void setInt32(OdInt32 value) { m_value = value; }

  OdResBufPtr next() const { return m_next; }
  // Links pRb behind this buffer and returns what was behind it before.
  OdResBufPtr setNext(OdResBuf* pRb);
  // The last buffer of the chain that starts here.
  OdResBufPtr last() const;

private:
  int m_restype = kRtNone;
  std::variant<std::monostate, OdString, double, OdInt16, OdInt32> m_value;
  OdResBufPtr m_next;
};
