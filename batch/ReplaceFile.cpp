#include "ReplaceFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

bool replaceFile(const QString& target, const std::function<bool(QIODevice&)>& write)
{
  const QFileInfo existing(target);
  if (existing.exists() && !existing.isFile())
    return false;
  QSaveFile file(target);
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

bool replaceWithCopy(const QString& source, const QString& target)
{
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly))
    return false;
  return replaceFile(target, [&in](QIODevice& out) {
    constexpr qint64 kBlock = 1 << 16;
    while (!in.atEnd()) {
      const QByteArray block = in.read(kBlock);
      if (block.isEmpty() || out.write(block) != block.size())
        return false;
    }
    return true;
  });
}
