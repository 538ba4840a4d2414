#pragma once

#include <QByteArray>
#include <QString>

#include "platform/Outcome.h"

namespace tolvarine {

// The system's description of an errno value ("No such file or directory"); safe
// on any thread.
QString systemErrorText(int error);

// A file with no write permission bit is read-only for Tolvarine, whoever runs it:
// the program never overwrites, re-dates or deletes it (renaming is allowed).
bool isReadOnlyFile(const QString &path);

// Writes a new or replacing file so that the target is either the old file or the
// complete new one: temporary file in the same folder, flushed, renamed over the
// target. A read-only target is refused and left untouched.
Outcome writeFileAtomically(const QString &path, const QByteArray &data);

// Sets the last-write time of an open file and its last-access time to now.
bool setModifiedTime(int fd, qint64 seconds, long nanoseconds = 0);

// Reads a whole file, refusing anything larger than maxBytes.
Outcome readWholeFile(const QString &path, QByteArray &out, qint64 maxBytes);

// Names in the store are compared without regard to case, as on the platform the
// stores come from. Names that differ only in case are ordered by case, so that
// sorting never depends on the order the folder was read in.
bool sameStoreName(const QString &a, const QString &b);
bool storeNameLess(const QString &a, const QString &b);

// Names in the store are compared without regard to case. Returns the path of the existing entry whose name
// equals the last component of path ignoring case (the exact name preferred), or an empty string when there
// is none.
QString resolveCaseInsensitive(const QString &path);

inline bool existsCaseInsensitive(const QString &path) { return !resolveCaseInsensitive(path).isEmpty(); }

} // namespace tolvarine
