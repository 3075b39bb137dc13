#pragma once
#include <cstdint>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace dgn {

// One element of a design file, viewed in place. Every read is bounds-checked: reading past the
// element's end answers 0 and marks the element malformed, so a decoder can finish and then ask
// `intact()` instead of trusting lengths stored in the file.
class Element {
public:
  Element() = default;
  Element(const uint8_t* data, uint32_t size) : m_data(data), m_size(size) {}

  int type() const { return m_data[1] & 0x7F; }
  int level() const { return m_data[0] & 0x3F; }
  bool isComplex() const { return (m_data[0] & 0x80) != 0; }
  bool isDeleted() const { return (m_data[1] & 0x80) != 0; }
  uint32_t size() const { return m_size; }
  const uint8_t* data() const { return m_data; }

  // Display header of graphic elements.
  int lineStyle() const { return u8(34) & 0x07; }
  int weight() const { return u8(34) >> 3; }
  int color() const { return u8(35); }
  unsigned properties() const { return u16(32); }
  int elementClass() const { return u16(32) & 0x0F; }

  uint8_t u8(uint32_t offset) const;
  uint16_t u16(uint32_t offset) const;
  // 32-bit integers are stored high word first, each word little-endian.
  int32_t i32(uint32_t offset) const;
  // Shared cells, younger than the format, store some integers plainly little-endian.
  int32_t le32(uint32_t offset) const;
  // VAX D-float, as design files store doubles.
  double f64(uint32_t offset) const;
  // A value of the range block (from byte 4: low x, y, z, then high x, y, z), stored as a 32-bit
  // integer with its sign bit flipped.
  double range(uint32_t offset) const { return double(int32_t(uint32_t(i32(offset)) ^ 0x80000000u)); }

  bool has(uint32_t offset, uint32_t bytes) const { return offset <= m_size && bytes <= m_size - offset; }
  // Where the NUL that ends the eight-bit text at `from` lies, looking no further than `limit`
  // nor past the element's end, where the search stops when it finds none.
  uint32_t textEnd(uint32_t from, uint32_t limit) const
  {
    uint32_t at = from;
    while (at < limit && at < m_size && m_data[at] != 0)
      ++at;
    return at;
  }
  bool intact() const { return !m_overrun; }

private:
  bool check(uint32_t offset, uint32_t bytes) const;

  const uint8_t* m_data = nullptr;
  uint32_t m_size = 0;
  mutable bool m_overrun = false;
};

// Decoders read every field through these: they are inline so that the bounds check costs a
// comparison, not a call.
inline bool Element::check(uint32_t offset, uint32_t bytes) const
{
  if (has(offset, bytes))
    return true;
  m_overrun = true;
  return false;
}

inline uint8_t Element::u8(uint32_t offset) const
{
  return check(offset, 1) ? m_data[offset] : 0;
}

inline uint16_t Element::u16(uint32_t offset) const
{
  return check(offset, 2) ? static_cast<uint16_t>(m_data[offset] | (m_data[offset + 1] << 8)) : 0;
}

inline int32_t Element::i32(uint32_t offset) const
{
  if (!check(offset, 4))
    return 0;
  const uint8_t* p = m_data + offset;
  const uint32_t v = (uint32_t(p[1]) << 24) | (uint32_t(p[0]) << 16) | (uint32_t(p[3]) << 8) | p[2];
  return static_cast<int32_t>(v);
}

inline int32_t Element::le32(uint32_t offset) const
{
  if (!check(offset, 4))
    return 0;
  const uint8_t* p = m_data + offset;
  return static_cast<int32_t>(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24));
}

inline double Element::f64(uint32_t offset) const
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

// Reads a design file element by element. Each element's length word is checked against what
// the file holds; nothing is read past the end of the file. A regular file larger than one chunk
// is read a chunk ahead on another thread, so that the copy out of the file does not hold up
// the decoding of the chunk before it.
class ElementReader {
public:
  enum class Status { Element, End, Truncated, IoError };

  explicit ElementReader(const std::string& path);
  ~ElementReader();
  ElementReader(const ElementReader&) = delete;
  ElementReader& operator=(const ElementReader&) = delete;

  bool isOpen() const { return m_file != nullptr; }
  // The next element, valid until the next call. End at the end-of-design marker or at a clean
  // end of the file.
  Status next(Element& element)
  {
    // All but a few elements lie whole in the chunk at hand: those are taken here, inline.
    const size_t held = size_t(m_end - m_begin);
    if (held < 4 || (m_begin[0] == 0xFF && m_begin[1] == 0xFF) || held < sizeHere()) {
      const Status status = bringWhole();
      if (status != Status::Element)
        return status;
    }
    const uint32_t size = sizeHere();
    element = Element(m_begin, size);
    m_begin += size;
    m_consumed += size;
    return Status::Element;
  }
  uint64_t offset() const { return m_consumed; }

  // Largest element a design file can hold: the length word is 16 bits of 2-byte words.
  static constexpr uint32_t kMaxElementBytes = (0xFFFFu + 2u) * 2u;
  static constexpr size_t kChunkBytes = 1 << 20;

private:
  // A chunk of the file, with room in front for the unread end of the chunk before it.
  struct Chunk {
    std::unique_ptr<uint8_t[]> storage{new uint8_t[kMaxElementBytes + kChunkBytes]};
    size_t size = 0;
    bool last = false, failed = false; // the file ended, or a read failed, in this chunk
    uint8_t* data() const { return storage.get() + kMaxElementBytes; }
  };

  // The size the length word at m_begin gives.
  uint32_t sizeHere() const { return (uint32_t(m_begin[2] | (m_begin[3] << 8)) + 2u) * 2u; }
  // Makes the next element available whole at m_begin; otherwise says why it is not.
  Status bringWhole();
  // Makes `bytes` bytes available at m_begin; false when the file ends first.
  bool ensure(size_t bytes);
  void fill(Chunk& chunk);
  void readAhead();
  Chunk& other() { return m_chunks[m_current ^ 1]; }

  Chunk m_chunks[2]; // before the file, which is not opened when they cannot be had
  std::FILE* m_file = nullptr;
  size_t m_current = 0;
  const uint8_t *m_begin = nullptr, *m_end = nullptr;
  uint64_t m_consumed = 0;
  bool m_ioError = false;

  // The chunk that is not being decoded is filled by m_ahead when it runs; m_otherReady says it
  // is, m_stop that the reader is going away.
  std::thread m_ahead;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_otherReady = false, m_stop = false;
};

} // namespace dgn
