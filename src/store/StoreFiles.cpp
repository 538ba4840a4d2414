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
    // Matched by hand rather than by a name filter: the pattern is a plain
    // "ends with, ignoring case", independent of QDir's case flags.
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        // A link may lead to a device or a pipe, which no reader ever finishes.
        if (entry.fileName().endsWith(suffix, Qt::CaseInsensitive)
            && (!entry.isSymLink() || isRegularFile(entry.filePath())))
            paths << joinPath(folder, entry.fileName());
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
    const QStringList folders = QDir(patientFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : folders) {
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
