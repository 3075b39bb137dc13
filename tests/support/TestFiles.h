#pragma once
// Files a test makes, and what a fault test compares before and after: the bytes of every file
// under a folder.
#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <map>

// Writes `bytes` as the whole of the file `path` and returns the path.
inline QString writeBytes(const QString& path, const QByteArray& bytes)
{
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  file.write(bytes);
  return path;
}

// The whole of the file `path`, or "<missing>" when it cannot be read.
inline QByteArray readBytes(const QString& path)
{
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A SHA-256 of every plain file under `folder`, in hex, by path.
inline std::map<QString, QByteArray> checksums(const QString& folder)
{
  std::map<QString, QByteArray> sums;
  QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    QFile file(files.next());
    if (file.open(QIODevice::ReadOnly))
      sums[file.fileName()] = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
  }
  return sums;
}
