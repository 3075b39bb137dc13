#pragma once
// The emitter under the DXF writer: group code/value pairs into large chunks of a stream.
#include "DbObjectId.h"
#include "Ge.h"

#include <OdStreamBuf.h>
#include <OdString.h>

#include <memory>
#include <string>
#include <string_view>

namespace dxf {

// Appends group code/value pairs to one buffer and hands it to the stream in large chunks.
// Numbers go through std::to_chars, straight into the buffer: doubles shortest round-trip unless a
// precision is given, short exact decimals (most coordinates) by a quicker way to the same text.
class GroupWriter {
public:
  // precision: significant digits of reals; 0 or 16 and more mean shortest round-trip.
  GroupWriter(OdStreamBuf& stream, int precision);
  GroupWriter(const GroupWriter&) = delete;
  GroupWriter& operator=(const GroupWriter&) = delete;

  // A value written as is; callers pass only text without line breaks.
  void put(int code, std::string_view value);
  // Text of the drawing: UTF-16 to UTF-8, control characters as ^@..^_ and '^' as "^ ".
  void putText(int code, const std::u16string& text);
  // A symbol table record's name: UTF-8 without control characters, "_" for an empty one.
  void putName(int code, const std::u16string& name);
  // MTEXT contents: pieces of at most 250 bytes under code 3, the last under code 1; line
  // breaks become paragraph codes.
  void putMText(const std::u16string& text);
  void putReal(int code, double value);
  void putInt(int code, long long value);
  void putHandle(int code, OdDbHandle handle);
  // x, y and z under xCode, xCode + 10 and xCode + 20.
  void putPoint(int xCode, const OdGePoint3d& point);
  void putVector(int xCode, const OdGeVector3d& v) { putPoint(xCode, OdGePoint3d{v.x, v.y, v.z}); }
  // Hands everything buffered to the stream, or to another one.
  void flush();
  void flushTo(OdStreamBuf& stream);

private:
  static constexpr size_t kChunkSize = 1 << 20;
  // Room for `bytes` more in the buffer, handing what it holds to the stream first if need be.
  char* room(size_t bytes)
  {
    if (m_used + bytes > kChunkSize)
      flush();
    return m_buffer.get() + m_used;
  }
  void putCode(int code);
  void putBytes(std::string_view bytes);
  void endLine();
  std::unique_ptr<char[]> m_buffer;
  size_t m_used = 0;
  std::string m_scratch; // text values and MTEXT contents before they go out
  OdStreamBuf& m_stream;
  int m_precision;
};

// A symbol table record's name as the file spells it: UTF-8 without control characters, "_" for
// an empty one.
std::string safeName(const OdString& name);

} // namespace dxf
