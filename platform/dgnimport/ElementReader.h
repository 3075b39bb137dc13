#pragma once
#include <cstdint>
#include <condition_variable>
#include <cstdio>
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

  bool has(uint32_t offset, uint32_t bytes) const { return offset <= m_size && bytes <= m_size - offset; }
  bool intact() const { return !m_overrun; }

private:
  bool check(uint32_t offset, uint32_t bytes) const;

  const uint8_t* m_data = nullptr;
  uint32_t m_size = 0;
  mutable bool m_overrun = false;
};

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
  Status next(Element& element);
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

  // Makes `bytes` bytes available at m_begin; false when the file ends first.
  bool ensure(size_t bytes);
  void fill(Chunk& chunk);
  void readAhead();
  Chunk& other() { return m_chunks[m_current ^ 1]; }

  std::FILE* m_file = nullptr;
  Chunk m_chunks[2];
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
