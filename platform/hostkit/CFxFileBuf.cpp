#include <CFxFileBuf.h>

#include <OdError.h>
#include <RxObjectImpl.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {
constexpr size_t kWriteBuffer = 1 << 20, kDirectWrite = 64 << 10;

int openFlags(OdUInt32 access, OdUInt32 creation)
{
  int flags = O_CLOEXEC;
  const bool read = access & Oda::kFileRead;
  const bool write = access & Oda::kFileWrite;
  flags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  switch (creation) {
  case Oda::kCreateNew: return flags | O_CREAT | O_EXCL;
  case Oda::kCreateAlways:
  case Oda::kOpenAlways: return flags | O_CREAT;
  default: return flags; // open or truncate an existing file
  }
}
} // namespace

CFxFileBufPtr CFxFileBuf::createObject()
{
  return OdRxObjectImpl<CFxFileBuf>::createObject();
}

CFxFileBuf::~CFxFileBuf()
{
  if (m_fd >= 0)
    ::close(m_fd); // an unclosed stream's pending data is dropped, as on an exception path
}

bool CFxFileBuf::Open(const CFxString& path, OdUInt32 accessMode, OdUInt32 creationDisposition, OdUInt32 shareMode)
{
  Close();
  const QByteArray name = path.toQString().toLocal8Bit();
  const int fd = ::open(name.constData(), openFlags(accessMode, creationDisposition), 0666);
  if (fd < 0)
    return false;
  // Windows sharing, in advisory locks: a stream that denies others holds the file exclusively,
  // and no stream may open a file held that way.
  const int lock = shareMode == Oda::kShareDenyNo ? LOCK_SH : LOCK_EX;
  struct stat info {};
  if (::flock(fd, lock | LOCK_NB) != 0 || ::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return false;
  }
  // Only a file with contents is cut: ext4 flushes a file cut to nothing when it is closed, which
  // for a new drawing of 400 MB costs a tenth of a second for nothing.
  const bool truncate = creationDisposition == Oda::kCreateAlways || creationDisposition == Oda::kTruncateExisting;
  if (truncate && info.st_size > 0 && ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return false;
  }
  m_fd = fd;
  m_access = accessMode;
  m_eof = false;
  m_position = 0;
  m_pending.clear();
  return true;
}

void CFxFileBuf::Close()
{
  if (m_fd < 0)
    return;
  try {
    flush();
  } catch (...) {
    ::close(m_fd);
    m_fd = -1;
    throw;
  }
  const int result = ::close(m_fd);
  m_fd = -1;
  if (result != 0)
    throw OdError(eFileWriteError);
}

namespace {

void writeAll(int fd, const char* bytes, size_t size)
{
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, bytes + done, size - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      throw OdError(eFileWriteError);
    done += static_cast<size_t>(n);
  }
}

} // namespace

void CFxFileBuf::flush()
{
  writeAll(m_fd, m_pending.data(), m_pending.size());
  m_pending.clear();
}

void CFxFileBuf::putBytes(const void* buffer, OdUInt32 numBytes)
{
  if (m_fd < 0 || !(m_access & Oda::kFileWrite))
    throw OdError(eFileAccessErr);
  const char* bytes = static_cast<const char*>(buffer);
  m_position += numBytes;
  // A writer that hands over large chunks of its own has them written as they are, after what
  // waits: copying them first would cost as much as the write.
  if (numBytes >= kDirectWrite) {
    flush();
    writeAll(m_fd, bytes, numBytes);
    return;
  }
  m_pending.insert(m_pending.end(), bytes, bytes + numBytes);
  if (m_pending.size() >= kWriteBuffer)
    flush();
}

OdUInt32 CFxFileBuf::getBytes(void* buffer, OdUInt32 numBytes)
{
  if (m_fd < 0 || !(m_access & Oda::kFileRead))
    throw OdError(eFileAccessErr);
  OdUInt32 done = 0;
  while (done < numBytes) {
    const ssize_t n = ::read(m_fd, static_cast<char*>(buffer) + done, numBytes - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      throw OdError(eFileAccessErr);
    if (n == 0) {
      m_eof = true;
      break;
    }
    done += static_cast<OdUInt32>(n);
  }
  m_position += done;
  return done;
}

bool CFxFileBuf::isEof()
{
  return m_fd < 0 || m_eof;
}

OdUInt64 CFxFileBuf::tell()
{
  return m_position;
}

OdUInt64 CFxFileBuf::length()
{
  struct stat info {};
  if (m_fd < 0 || ::fstat(m_fd, &info) != 0)
    return 0;
  return static_cast<OdUInt64>(info.st_size) + m_pending.size();
}
