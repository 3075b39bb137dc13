#include "ElementReader.h"

#include <cstring>

namespace dgn {

namespace {
constexpr size_t kBufferBytes = 1 << 20;
static_assert(kBufferBytes > ElementReader::kMaxElementBytes, "an element must fit in the buffer");
} // namespace

bool Element::check(uint32_t offset, uint32_t bytes) const
{
  if (has(offset, bytes))
    return true;
  m_overrun = true;
  return false;
}

uint8_t Element::u8(uint32_t offset) const
{
  return check(offset, 1) ? m_data[offset] : 0;
}

uint16_t Element::u16(uint32_t offset) const
{
  return check(offset, 2) ? static_cast<uint16_t>(m_data[offset] | (m_data[offset + 1] << 8)) : 0;
}

int32_t Element::i32(uint32_t offset) const
{
  if (!check(offset, 4))
    return 0;
  const uint8_t* p = m_data + offset;
  const uint32_t v = (uint32_t(p[1]) << 24) | (uint32_t(p[0]) << 16) | (uint32_t(p[3]) << 8) | p[2];
  return static_cast<int32_t>(v);
}

int32_t Element::le32(uint32_t offset) const
{
  if (!check(offset, 4))
    return 0;
  const uint8_t* p = m_data + offset;
  return static_cast<int32_t>(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24));
}

double Element::f64(uint32_t offset) const
{
  if (!check(offset, 8))
    return 0.0;
  const uint8_t* p = m_data + offset;
  // Words in order, bytes swapped within each word: sign, 8-bit exponent (bias 129 for a 1.f
  // mantissa), 55-bit fraction.
  uint64_t bits = 0;
  for (int word = 0; word < 4; ++word)
    bits = (bits << 16) | (uint64_t(p[2 * word + 1]) << 8) | p[2 * word];
  const uint64_t sign = bits >> 63;
  const int exponent = static_cast<int>((bits >> 55) & 0xFF);
  if (exponent == 0)
    return 0.0; // VAX zero (and reserved operands, which no writer produces)
  const uint64_t fraction = (bits >> 3) & ((uint64_t(1) << 52) - 1);
  const uint64_t ieee = (sign << 63) | (uint64_t(exponent + 1023 - 129) << 52) | fraction;
  double value;
  std::memcpy(&value, &ieee, sizeof value);
  return value;
}

ElementReader::ElementReader(const std::string& path) : m_file(std::fopen(path.c_str(), "rb"))
{
  if (m_file)
    m_buffer.resize(kBufferBytes);
}

ElementReader::~ElementReader()
{
  if (m_file)
    std::fclose(m_file);
}

bool ElementReader::ensure(size_t bytes)
{
  if (m_end - m_begin >= bytes)
    return true;
  if (!m_file || m_ioError)
    return false;
  std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
  m_end -= m_begin;
  m_begin = 0;
  while (m_end < bytes) {
    const size_t n = std::fread(m_buffer.data() + m_end, 1, m_buffer.size() - m_end, m_file);
    if (n == 0) {
      m_ioError = std::ferror(m_file) != 0;
      return false;
    }
    m_end += n;
  }
  return true;
}

ElementReader::Status ElementReader::next(Element& element)
{
  if (!m_file)
    return Status::IoError;
  if (!ensure(2))
    return m_ioError ? Status::IoError : (m_end == m_begin ? Status::End : Status::Truncated);
  const uint8_t* head = m_buffer.data() + m_begin;
  if (head[0] == 0xFF && head[1] == 0xFF)
    return Status::End;
  if (!ensure(4))
    return m_ioError ? Status::IoError : Status::Truncated;
  head = m_buffer.data() + m_begin;
  const uint32_t size = (uint32_t(head[2] | (head[3] << 8)) + 2u) * 2u;
  if (!ensure(size))
    return m_ioError ? Status::IoError : Status::Truncated;
  element = Element(m_buffer.data() + m_begin, size);
  m_begin += size;
  m_consumed += size;
  return Status::Element;
}

} // namespace dgn
