#include "store/ThumbnailRebuild.h"

#include <cerrno>

#include <QFile>
#include <QStringList>

#include "platform/FileSystem.h"
#include "store/StoreFiles.h"

namespace tolvarine {

namespace {

Outcome deleteIn(const QString &folder)
{
    const QStringList thumbnails = listThumbnails(folder);
    for (const QString &path : thumbnails) {
        // Root may unlink a file without write permission; the store's read-only
        // files are kept whoever runs the program.
        if (isReadOnlyFile(path))
            return Outcome::failed(Status::ReadOnly, path, EACCES);
        // One gone meanwhile is as good as deleted.
        if (Outcome removed = removeFile(path); !removed && removed.status != Status::Missing)
            return removed;
    }
    return Outcome::done(folder);
}

} // namespace

Outcome deleteThumbnails(const QString &listedFolder)
{
    if (listedFolder.isEmpty())
        return Outcome::unchanged();
    if (const Outcome here = deleteIn(listedFolder); !here)
        return here;
    const QString face = existingFaceFolder(listedFolder);
    if (face.isEmpty())
        return Outcome::done(listedFolder);
    return deleteIn(face);
}

} // namespace tolvarine
