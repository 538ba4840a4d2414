#pragma once

#include <QByteArray>
#include <QString>

#include "platform/Outcome.h"

class QFile;

namespace tolvarine {

// The system's description of an errno value ("No such file or directory"); safe
// on any thread.
QString systemErrorText(int error);

// A file with no write permission bit is read-only for Tolvarine, whoever runs it:
// the program never overwrites, re-dates or deletes it (renaming is allowed).
bool isReadOnlyFile(const QString &path);

// A file written beside its target under a hidden temporary name that no listing
// takes for a picture, then published under its real name. Every step is checked:
// a write, flush or close that fails (a full disk, a file server reporting its
// error only at close) fails the whole, and nothing is renamed. Dropped before it
// is published, the temporary file is removed, so a failure leaves nothing behind.
class StagedFile {
public:
    StagedFile() = default;
    ~StagedFile();
    StagedFile(const StagedFile &) = delete;
    StagedFile &operator=(const StagedFile &) = delete;

    Outcome create(const QString &folder);
    Outcome write(const char *data, qint64 size);
    int descriptor() const { return fd_; }
    // Flushed, closed and renamed over target, which it replaces; then the folder is flushed.
    Outcome replace(const QString &target);
    // Flushed, closed and renamed to target only while no file has that name
    // (NameTaken otherwise, the temporary file removed).
    Outcome publishNew(const QString &target);

private:
    Outcome finish();
    void discard();

    QByteArray temporary_;
    QString folder_;
    int fd_ = -1;
    bool pending_ = false; // a temporary file exists that is not published yet
};

// Writes a new or replacing file so that the target is either the old file or the
// complete new one (a StagedFile renamed over it). A read-only target is refused
// and left untouched.
Outcome writeFileAtomically(const QString &path, const QByteArray &data);

// Renames a file without ever replacing another: NameTaken when the name is in use.
// Servers that refuse the kernel's no-replace rename get a hard link, and those that
// refuse links too a reserved empty name that only this rename replaces.
Outcome renameNoReplace(const QString &from, const QString &to);

// Removes a file; Missing when it is gone already.
Outcome removeFile(const QString &path);

// Sets the last-write time of an open file and its last-access time to now.
bool setModifiedTime(int fd, qint64 seconds, long nanoseconds = 0);

// The same by path. A read-only file is refused (ReadOnly), as is one that cannot
// be opened for writing.
Outcome setLastWriteTime(const QString &path, qint64 seconds);

// Opens a regular file for reading without waiting. A pipe or a device under a
// picture's name (a link to one, or one that took the name after a listing) is
// refused (Unreadable, IsFolder for a folder) instead of blocking or never ending.
Outcome openRegularFile(const QString &path, QFile &file);
// Whether the path, links followed, is a regular file.
bool isRegularFile(const QString &path);

// Reads a whole regular file, refusing anything larger than maxBytes.
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
