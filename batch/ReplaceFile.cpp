#include "ReplaceFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <unistd.h>

#include <cerrno>

bool replaceFile(const QString& target, const std::function<bool(QIODevice&)>& write, WithoutTemporaryFile fallback)
{
  const QFileInfo existing(target);
  if (existing.exists() && !existing.isFile())
    return false;
  QSaveFile file(target);
  file.setDirectWriteFallback(fallback == WithoutTemporaryFile::OverwriteInPlace);
  if (!file.open(QIODevice::WriteOnly))
    return false;
  // Qt 5's commit() renames even when the last buffered bytes could not be written (a full
  // disk): flush first, and give up on any error.
  if (!write(file) || !file.flush()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

namespace {

enum class KernelCopy { Done, Failed, Unavailable };

// The kernel copies the rest of one open file into another without the bytes passing through
// this process. Unavailable, with nothing copied, where it cannot (another file system).
KernelCopy copyInKernel(int from, int to)
{
  bool copied = false;
  for (;;) {
    const ssize_t n = ::copy_file_range(from, nullptr, to, nullptr, size_t(1) << 30, 0);
    if (n > 0) {
      copied = true;
    } else if (n == 0) {
      return KernelCopy::Done;
    } else if (errno != EINTR) {
      const bool unsupported = errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL;
      return !copied && unsupported ? KernelCopy::Unavailable : KernelCopy::Failed;
    }
  }
}

} // namespace

bool replaceWithCopy(const QString& source, const QString& target)
{
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly))
    return false;
  return replaceFile(target, [&in](QIODevice& out) {
    auto* file = qobject_cast<QFileDevice*>(&out);
    if (file && file->handle() >= 0) {
      const KernelCopy copy = copyInKernel(in.handle(), file->handle());
      if (copy != KernelCopy::Unavailable)
        return copy == KernelCopy::Done;
    }
    constexpr qint64 kBlock = 1 << 16;
    while (!in.atEnd()) {
      const QByteArray block = in.read(kBlock);
      if (block.isEmpty() || out.write(block) != block.size())
        return false;
    }
    return true;
  });
}
