#include "DxfGroupWriter.h"

#include "DxfCodes.h"
#include "DxfNumbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace dxf {

namespace {

constexpr size_t kLongestNumber = 40; // a number and its line break, with room to spare
constexpr size_t kMTextPiece = 250; // longest MTEXT piece older readers take

enum class TextMode { kName, kText, kMText };

// Appends UTF-8 for a UTF-16 string; lone surrogates become U+FFFD.
void appendCodePoint(std::string& out, char32_t c)
{
  if (c < 0x80) {
    out.push_back(char(c));
  } else if (c < 0x800) {
    out.push_back(char(0xC0 | (c >> 6)));
    out.push_back(char(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(char(0xE0 | (c >> 12)));
    out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(char(0x80 | (c & 0x3F)));
  } else {
    out.push_back(char(0xF0 | (c >> 18)));
    out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(char(0x80 | (c & 0x3F)));
  }
}

// One value line never holds a line break: names lose control characters, text escapes them
// (MTEXT turns a line break into its paragraph code).
void appendEncoded(std::string& out, const std::u16string& text, TextMode mode)
{
  for (size_t i = 0; i < text.size(); ++i) {
    // Printable ASCII but the caret, most of any name or text, goes over a run at a time.
    size_t plain = i;
    while (plain < text.size() && text[plain] >= 0x20 && text[plain] < 0x7F && text[plain] != '^')
      ++plain;
    if (plain > i) {
      const size_t at = out.size();
      out.resize(at + (plain - i));
      std::copy(text.begin() + long(i), text.begin() + long(plain), out.begin() + long(at));
      if (plain == text.size())
        return;
      i = plain;
    }
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    if (c == '\n' && mode == TextMode::kMText) {
      out += "\\P";
    } else if (c < 0x20 || c == 0x7F) {
      if (mode == TextMode::kName) {
        out.push_back('_');
      } else if (c == 0x7F) {
        out.push_back(' ');
      } else {
        out.push_back('^');
        out.push_back(char(c + 0x40));
      }
    } else if (c == '^' && mode != TextMode::kName) {
      out += "^ ";
    } else {
      appendCodePoint(out, c);
    }
  }
}

// UTF-8 with control characters replaced by '_': names are read as one line and may not be empty.
void appendName(std::string& out, const std::u16string& name)
{
  const size_t start = out.size();
  appendEncoded(out, name, TextMode::kName);
  if (out.size() == start)
    out.push_back('_');
}

} // namespace

std::string safeName(const OdString& name)
{
  std::string out;
  appendName(out, name.str());
  return out;
}

GroupWriter::GroupWriter(OdStreamBuf& stream, int precision)
    : m_buffer(new char[kChunkSize]), m_stream(stream), m_precision(precision > 0 && precision < 16 ? precision : 0)
{
}

namespace {

// Each group code's line ("10\n"), made at compile time for the codes 0 to 1071 there are.
struct CodeLines {
  char text[1072][8] = {};
  uint8_t length[1072] = {};
  constexpr CodeLines()
  {
    for (unsigned code = 0; code < 1072; ++code) {
      char digits[4] = {};
      unsigned n = code, count = 0;
      do {
        digits[count++] = char('0' + n % 10);
        n /= 10;
      } while (n);
      for (unsigned i = 0; i < count; ++i)
        text[code][i] = digits[count - 1 - i];
      text[code][count] = '\n';
      length[code] = uint8_t(count + 1);
    }
  }
};
constexpr CodeLines kCodeLines;

} // namespace

void GroupWriter::putCode(int code)
{
  char* at = room(kLongestNumber);
  if (code >= 0 && code < 1072) {
    std::memcpy(at, kCodeLines.text[code], 8);
    m_used += kCodeLines.length[code];
    return;
  }
  char* end = std::to_chars(at, at + kLongestNumber, code).ptr;
  *end++ = '\n';
  m_used = size_t(end - m_buffer.get());
}

void GroupWriter::putBytes(std::string_view bytes)
{
  while (!bytes.empty()) {
    const size_t part = std::min(bytes.size(), kChunkSize);
    std::memcpy(room(part), bytes.data(), part);
    m_used += part;
    bytes.remove_prefix(part);
  }
}

void GroupWriter::endLine()
{
  *room(1) = '\n';
  ++m_used;
}

void GroupWriter::put(int code, std::string_view value)
{
  putCode(code);
  putBytes(value);
  endLine();
}

void GroupWriter::putText(int code, const std::u16string& text)
{
  m_scratch.clear();
  appendEncoded(m_scratch, text, TextMode::kText);
  put(code, m_scratch);
}

void GroupWriter::putName(int code, const std::u16string& name)
{
  m_scratch.clear();
  appendName(m_scratch, name);
  put(code, m_scratch);
}

void GroupWriter::putMText(const std::u16string& text)
{
  m_scratch.clear();
  appendEncoded(m_scratch, text, TextMode::kMText);
  std::string_view rest = m_scratch;
  while (rest.size() > kMTextPiece) {
    size_t cut = kMTextPiece;
    // Neither a UTF-8 sequence nor a caret escape is split between pieces.
    while (cut > 1 && ((static_cast<unsigned char>(rest[cut]) & 0xC0) == 0x80 || rest[cut - 1] == '^'))
      --cut;
    put(code::kMoreText, rest.substr(0, cut));
    rest.remove_prefix(cut);
  }
  put(code::kText, rest);
}

void GroupWriter::putReal(int code, double value)
{
  if (!std::isfinite(value))
    value = 0.0; // readers reject "inf" and "nan"
  room(2 * kLongestNumber); // the code's and the value's lines together
  putCode(code);
  char* at = m_buffer.get() + m_used;
  char* end = m_precision ? std::to_chars(at, at + kLongestNumber, value, std::chars_format::general, m_precision).ptr
                          : formatShortest(at, value);
  *end++ = '\n';
  m_used = size_t(end - m_buffer.get());
}

void GroupWriter::putInt(int code, long long value)
{
  putCode(code);
  char* at = room(kLongestNumber);
  char* end = std::to_chars(at, at + kLongestNumber, value).ptr;
  *end++ = '\n';
  m_used = size_t(end - m_buffer.get());
}

void GroupWriter::putHandle(int code, OdDbHandle handle)
{
  putCode(code);
  char* at = room(kLongestNumber);
  int digits = 1;
  while (digits < 16 && (handle >> (4 * digits)) != 0)
    ++digits;
  char* end = at + digits;
  for (char* p = end; p != at; handle >>= 4)
    *--p = "0123456789ABCDEF"[handle & 0xF];
  *end++ = '\n';
  m_used = size_t(end - m_buffer.get());
}

void GroupWriter::putPoint(int xCode, const OdGePoint3d& point)
{
  putReal(xCode, point.x);
  putReal(code::kY(xCode), point.y);
  putReal(code::kZ(xCode), point.z);
}

void GroupWriter::flush()
{
  flushTo(m_stream);
}

void GroupWriter::flushTo(OdStreamBuf& stream)
{
  if (m_used)
    stream.putBytes(m_buffer.get(), static_cast<OdUInt32>(m_used));
  m_used = 0;
}

} // namespace dxf
