#pragma once
// The group code/value pairs of an ASCII DXF, as the DXF reader takes them in.
#include "Ge.h"

#include <OdStreamBuf.h>
#include <OdString.h>

#include <string>
#include <string_view>
#include <vector>

namespace dxf {

// Raises OdError(eBadDxfFile) saying what is wrong.
[[noreturn]] void fail(const char* what);

// Group code/value pairs of an ASCII DXF, read through a fixed buffer; comments are skipped.
class GroupReader {
public:
  explicit GroupReader(OdStreamBuf& stream) : m_stream(stream), m_buffer(kReadChunk) {}

  // Moves to the next pair; false when the stream ends before one starts.
  bool next();
  // The same where the drawing may not end.
  void advance()
  {
    if (!next())
      fail("The drawing ends early");
  }
  int code() const { return m_code; }
  const std::string& value() const { return m_value; }
  bool is(int code, std::string_view value) const { return m_code == code && m_value == value; }
  double real() const;
  int integer() const;
  // The value as drawing text; control characters come back from their ^ escapes.
  OdString text() const { return decode(m_value, true); }
  OdString name() const { return decode(m_value, false); }
  OdString decode(std::string_view raw, bool carets) const;
  void setUtf8(bool utf8) { m_utf8 = utf8; }

private:
  static constexpr size_t kReadChunk = 64 * 1024; // bytes taken from the stream at a time
  bool readLine(std::string& line);
  OdStreamBuf& m_stream;
  std::vector<char> m_buffer;
  size_t m_pos = 0, m_end = 0;
  std::string m_codeLine, m_value;
  int m_code = 0;
  bool m_first = true, m_utf8 = true;
};

// Sets the coordinate of `p` that the code names, if it is one of xCode's.
bool setCoordinate(OdGePoint3d& p, int xCode, const GroupReader& in);
bool setCoordinate(OdGeVector3d& v, int xCode, const GroupReader& in);

} // namespace dxf
