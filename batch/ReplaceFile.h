#pragma once
#include <QString>

#include <functional>

class QIODevice;

// Writes `target` so that it arrives whole or not at all: `write` fills a temporary file beside
// it, which then takes the target's name in one rename; when anything fails (a full disk, a
// folder without write access) the temporary file goes and an older file stays as it was. Only a
// plain file is ever replaced: a folder, pipe or device of that name is left alone and nothing is
// written. False when the target was not replaced.
bool replaceFile(const QString& target, const std::function<bool(QIODevice&)>& write);

// Replaces `target` with a copy of the file `source`, as replaceFile does.
bool replaceWithCopy(const QString& source, const QString& target);
