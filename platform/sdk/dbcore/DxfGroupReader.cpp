#include "DxfGroupReader.h"

#include "DxfCodes.h"

#include <OdError.h>
#include <WinPort.h>

#include <charconv>
#include <cmath>
#include <cstring>

namespace dxf {

namespace {

constexpr size_t kMaxLine = 64 * 1024;

std::string_view trim(std::string_view s)
{
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  if (!s.empty() && s.front() == '+')
    s.remove_prefix(1);
  return s;
}

// Windows-1252 for 0x80..0x9F; the rest of the code page is Latin-1.
constexpr char16_t kCp1252High[32] = {
  0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
  0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

} // namespace

void fail(const char* what)
{
  throw OdError(eBadDxfFile, OdString(what));
}

bool GroupReader::readLine(std::string& line)
{
  line.clear();
  bool any = false;
  for (;;) {
    if (m_pos == m_end) {
      m_end = m_stream.getBytes(m_buffer.data(), static_cast<OdUInt32>(m_buffer.size()));
      m_pos = 0;
      if (m_end == 0)
        return any;
    }
    any = true;
    const char* start = m_buffer.data() + m_pos;
    const void* newline = std::memchr(start, '\n', m_end - m_pos);
    const size_t n = newline ? static_cast<const char*>(newline) - start : m_end - m_pos;
    if (line.size() + n > kMaxLine)
      fail("A line of the drawing is too long");
    line.append(start, n);
    m_pos += n;
    if (newline) {
      ++m_pos;
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      return true;
    }
  }
}

bool GroupReader::next()
{
  do {
    if (!readLine(m_codeLine))
      return false;
    std::string_view codeText = m_codeLine;
    if (m_first && codeText.substr(0, 3) == "\xEF\xBB\xBF")
      codeText.remove_prefix(3);
    m_first = false;
    codeText = trim(codeText);
    const auto [end, error] = std::from_chars(codeText.data(), codeText.data() + codeText.size(), m_code);
    if (error != std::errc() || end != codeText.data() + codeText.size() || codeText.empty() ||
        m_code < code::kMinCode || m_code > code::kMaxCode)
      fail("Not an ASCII DXF group code");
    if (!readLine(m_value))
      fail("The drawing ends inside a group");
  } while (m_code == code::kComment);
  if (m_code == code::kStructure) {
    while (!m_value.empty() && (m_value.back() == ' ' || m_value.back() == '\t'))
      m_value.pop_back();
  }
  return true;
}

double GroupReader::real() const
{
  const std::string_view s = trim(m_value);
  double v = 0.0;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (error != std::errc() || end != s.data() + s.size() || !std::isfinite(v))
    fail("A real value of the drawing is no number");
  return v;
}

int GroupReader::integer() const
{
  const std::string_view s = trim(m_value);
  int v = 0;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (error != std::errc() || end != s.data() + s.size())
    fail("An integer value of the drawing is no integer");
  return v;
}

OdString GroupReader::decode(std::string_view raw, bool carets) const
{
  std::string bytes;
  bytes.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    if (carets && raw[i] == '^' && i + 1 < raw.size() && (raw[i + 1] == ' ' || (raw[i + 1] >= '@' && raw[i + 1] <= '_'))) {
      bytes.push_back(raw[i + 1] == ' ' ? '^' : char(raw[i + 1] - '@'));
      ++i;
    } else {
      bytes.push_back(raw[i]);
    }
  }
  if (m_utf8)
    return OdString(winport::utf8ToUtf16(bytes));
  std::u16string text(bytes.size(), u' ');
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    text[i] = (c >= 0x80 && c < 0xA0) ? kCp1252High[c - 0x80] : char16_t(c);
  }
  return OdString(std::move(text));
}

// Sets the coordinate of `p` that the code names, if it is one of xCode's.
bool setCoordinate(OdGePoint3d& p, int xCode, const GroupReader& in)
{
  if (in.code() == xCode)
    p.x = in.real();
  else if (in.code() == code::kY(xCode))
    p.y = in.real();
  else if (in.code() == code::kZ(xCode))
    p.z = in.real();
  else
    return false;
  return true;
}

bool setCoordinate(OdGeVector3d& v, int xCode, const GroupReader& in)
{
  OdGePoint3d p{v.x, v.y, v.z};
  if (!setCoordinate(p, xCode, in))
    return false;
  v = {p.x, p.y, p.z};
  return true;
}

} // namespace dxf
