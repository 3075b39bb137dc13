#include "ElementReader.h"

#include <cstring>
#include <system_error>

#include <sys/stat.h>

namespace dgn {

static_assert(ElementReader::kChunkBytes >= ElementReader::kMaxElementBytes, "an element must fit in a chunk");

ElementReader::ElementReader(const std::string& path) : m_file(std::fopen(path.c_str(), "rb"))
{
  if (!m_file)
    return;
  fill(m_chunks[0]);
  m_begin = m_chunks[0].data();
  m_end = m_begin + m_chunks[0].size;
  // Pipes and devices are read as they come: a thread blocked on one could not be stopped.
  struct stat info {};
  if (m_chunks[0].last || ::fstat(::fileno(m_file), &info) != 0 || !S_ISREG(info.st_mode))
    return;
  try {
    m_ahead = std::thread(&ElementReader::readAhead, this);
  } catch (const std::system_error&) {
    // No thread to spare: the chunks are read when they are needed.
  }
}

ElementReader::~ElementReader()
{
  if (m_ahead.joinable()) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_stop = true;
    }
    m_changed.notify_all();
    m_ahead.join();
  }
  if (m_file)
    std::fclose(m_file);
}

void ElementReader::fill(Chunk& chunk)
{
  chunk.size = 0;
  while (chunk.size < kChunkBytes) {
    const size_t n = std::fread(chunk.data() + chunk.size, 1, kChunkBytes - chunk.size, m_file);
    if (n == 0) {
      chunk.last = true;
      chunk.failed = std::ferror(m_file) != 0;
      return;
    }
    chunk.size += n;
  }
}

void ElementReader::readAhead()
{
  for (size_t filling = 1;; filling ^= 1) {
    fill(m_chunks[filling]);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_otherReady = true;
    m_changed.notify_all();
    if (m_chunks[filling].last)
      return;
    // The chunk being decoded is free once the decoder has moved on to this one.
    m_changed.wait(lock, [this] { return !m_otherReady || m_stop; });
    if (m_stop)
      return;
  }
}

bool ElementReader::ensure(size_t bytes)
{
  while (size_t(m_end - m_begin) < bytes) {
    if (m_chunks[m_current].last) {
      m_ioError = m_chunks[m_current].failed;
      return false;
    }
    Chunk& next = other();
    if (m_ahead.joinable()) {
      std::unique_lock<std::mutex> lock(m_mutex);
      m_changed.wait(lock, [this] { return m_otherReady; });
    } else {
      fill(next);
    }
    // What is left of this chunk is less than an element: it goes in front of the next one.
    const size_t left = size_t(m_end - m_begin);
    uint8_t* const begin = next.data() - left;
    std::memcpy(begin, m_begin, left);
    m_begin = begin;
    m_end = next.data() + next.size;
    m_current ^= 1;
    if (m_ahead.joinable()) {
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_otherReady = false;
      }
      m_changed.notify_all();
    }
  }
  return true;
}

ElementReader::Status ElementReader::bringWhole()
{
  if (!m_file)
    return Status::IoError;
  if (!ensure(2))
    return m_ioError ? Status::IoError : (m_end == m_begin ? Status::End : Status::Truncated);
  if (m_begin[0] == 0xFF && m_begin[1] == 0xFF)
    return Status::End;
  if (!ensure(4) || !ensure(sizeHere()))
    return m_ioError ? Status::IoError : Status::Truncated;
  return Status::Element;
}

} // namespace dgn
