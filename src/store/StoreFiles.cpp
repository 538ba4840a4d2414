#include "store/StoreFiles.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>

#include "platform/FileSystem.h"
#include "store/StorePaths.h"

namespace tolvarine {

namespace {

QStringList listBySuffix(const QString &folder, const QString &suffix)
{
    QStringList paths;
    if (folder.isEmpty())
        return paths;
    // Regular files only: a link may lead to a device or a pipe, which no reader
    // ever finishes. Matched by hand: a plain "ends with, ignoring case".
    for (const QString &name : folderEntries(folder, EntryKind::Files)) {
        if (name.endsWith(suffix, Qt::CaseInsensitive))
            paths << joinPath(folder, name);
    }
    sortStorePaths(paths);
    return paths;
}

} // namespace

QString existingFaceFolder(const QString &patientFolder)
{
    if (patientFolder.isEmpty())
        return {};
    QStringList candidates;
    for (const QString &name : folderEntries(patientFolder, EntryKind::Folders)) {
        if (sameStoreName(name, QStringLiteral("face")))
            candidates << name;
    }
    if (candidates.isEmpty())
        return {};
    // Several spellings can only coexist on a case-sensitive disk; the program's own
    // spellings win, so the choice never depends on the directory order.
    for (const QString &preferred : {QStringLiteral("face"), QStringLiteral("Face")}) {
        if (candidates.contains(preferred))
            return joinPath(patientFolder, preferred);
    }
    std::sort(candidates.begin(), candidates.end());
    return joinPath(patientFolder, candidates.first());
}

QString faceFolderForReading(const QString &patientFolder)
{
    const QString existing = existingFaceFolder(patientFolder);
    return existing.isEmpty() ? faceFolder(patientFolder) : existing;
}

QString faceFolderForCreating(const QString &patientFolder)
{
    const QString existing = existingFaceFolder(patientFolder);
    return existing.isEmpty() ? joinPath(patientFolder, QStringLiteral("Face")) : existing;
}

QStringList listPictures(const QString &folder) { return listBySuffix(folder, QStringLiteral(".jpg")); }

QStringList listThumbnails(const QString &folder) { return listBySuffix(folder, QStringLiteral("sn.cmp")); }

bool storePathLess(const QString &a, const QString &b) { return storeNameLess(a, b); }

void sortStorePaths(QStringList &paths) { std::sort(paths.begin(), paths.end(), storePathLess); }

} // namespace tolvarine
