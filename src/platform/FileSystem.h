#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "platform/Outcome.h"

class QFile;

namespace tolvarine {

// The system's description of an errno value ("No such file or directory"); safe
// on any thread.
QString systemErrorText(int error);

// A file with no write permission bit is read-only for Tolvarine, whoever runs it:
// the program never overwrites, re-dates or deletes it (renaming is allowed).
bool isReadOnlyFile(const QString &path);

// Which file a name leads to: the same device and inode is the same file, whatever
// it is called now.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileIdentity &other) const
    {
        return device == other.device && inode == other.inode;
    }
    bool operator!=(const FileIdentity &other) const { return !(*this == other); }
};
std::optional<FileIdentity> fileIdentity(const QString &path);

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
    // The same, but only while the name still leads to the original file: a file
    // renamed or deleted meanwhile is not brought back, nor one that took its name
    // replaced (Missing, the temporary file removed).
    Outcome replaceExisting(const QString &target, const FileIdentity &original);
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

// The same for a rewrite of the file that was read (original, taken before reading
// it): Missing, and nothing written, when that file has been renamed or deleted
// meanwhile (by another workstation), so that a rewrite never brings a picture back
// under its old name nor replaces another picture that took the name.
Outcome rewriteFileAtomically(const QString &path, const QByteArray &data, const FileIdentity &original);

// Renames a file without ever replacing another: NameTaken when the name is in use.
// Servers that refuse the kernel's no-replace rename get a hard link, and those that
// refuse links too a reserved empty name that only this rename replaces. A process
// ended in between leaves the file under both names, or that empty file.
Outcome renameNoReplace(const QString &from, const QString &to);

// Makes one folder; Unchanged when it is there already (made meanwhile too).
Outcome makeFolder(const QString &path);

// Moves a file to the desktop's trash; Done's detail is its place there.
Outcome moveToTrash(const QString &path);

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

// A file opened for reading: the descriptor, or -1 with failure set (Missing when
// there is no such file, Unreadable otherwise).
int openForReading(const QString &path, Outcome &failure);

// Reads from an open file at offset until size bytes are in or the file ends:
// how many were read, or -1 with failure set (Unreadable).
qint64 readAt(int fd, char *to, qint64 size, qint64 offset, const QString &path, Outcome &failure);

// A file read from its start, piece by piece, only as far as its reader needs:
// each read asks for exactly its bytes, with no read-ahead beyond them, which on
// a file server costs time for every file of a listing.
class PrefixReader {
public:
    PrefixReader() = default;
    ~PrefixReader();
    PrefixReader(const PrefixReader &) = delete;
    PrefixReader &operator=(const PrefixReader &) = delete;

    // Missing when there is no such file, Unreadable otherwise.
    Outcome open(const QString &path);
    // Appends up to size more bytes to out; fewer only at the end of the file.
    Outcome readMore(QByteArray &out, qint64 size);

private:
    QString path_;
    int fd_ = -1;
    qint64 offset_ = 0;
};

// Names in the store are compared without regard to case, as on the platform the
// stores come from. Names that differ only in case are ordered by case, so that
// sorting never depends on the order the folder was read in.
bool sameStoreName(const QString &a, const QString &b);
bool storeNameLess(const QString &a, const QString &b);

// The names in a folder, without "." and "..", in the order the folder gives them:
// regular files, folders (links followed for both), or every entry; hidden ones
// (a leading dot) only when asked. Read with readdir, not QDir: Qt 6.8 stops reading
// a folder at the first name that is not valid UTF-8, so one such file would hide
// the pictures after it. Such a name cannot be opened through a QString and is left
// out, as older Qt does. Empty when the folder cannot be read.
enum class EntryKind { Files, Folders, All };
QStringList folderEntries(const QString &folder, EntryKind kind, bool withHidden = false);

// Names in the store are compared without regard to case. Returns the path of the existing entry whose name
// equals the last component of path ignoring case (the exact name preferred), or an empty string when there
// is none.
QString resolveCaseInsensitive(const QString &path);

inline bool existsCaseInsensitive(const QString &path) { return !resolveCaseInsensitive(path).isEmpty(); }

} // namespace tolvarine
