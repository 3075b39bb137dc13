#pragma once
#include <QString>

#include <functional>

class QIODevice;

// What replaceFile does where no temporary file can be made beside the target (a folder in which
// an existing file may be overwritten but no file created, as shares often are).
enum class WithoutTemporaryFile {
  Fail,           // nothing is written
  OverwriteInPlace // an existing target is opened, truncated and written in place, not atomically
};

// Writes `target` so that it arrives whole or not at all: `write` fills a temporary file beside
// it, which then takes the target's name in one rename; when anything fails (a full disk, a
// folder without write access) the temporary file goes and an older file stays as it was, unless
// `fallback` allows writing over it in place where no temporary file can be made. Only a plain
// file is ever replaced: a folder, pipe or device of that name is left alone and nothing is
// written. False when the target was not replaced.
bool replaceFile(const QString& target, const std::function<bool(QIODevice&)>& write,
                 WithoutTemporaryFile fallback = WithoutTemporaryFile::Fail);

// Replaces `target` with a copy of the file `source`, as replaceFile does.
bool replaceWithCopy(const QString& source, const QString& target);
