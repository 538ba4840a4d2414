#include "import/ThumbnailRebuild.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QFile>
#include <QStringList>

#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "store/StoreFiles.h"

namespace tolvarine {

namespace {

QString errorText(int error)
{
    return QStringLiteral("VB ｴﾗｰ: '%1' - %2.").arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
}

std::optional<QString> deleteIn(const QString &folder)
{
    const QStringList thumbnails = listThumbnails(folder);
    for (const QString &path : thumbnails) {
        // Root may unlink a file without write permission; the store's read-only
        // files are kept whoever runs the program.
        if (isReadOnlyFile(path))
            return errorText(EACCES);
        // One gone meanwhile is as good as deleted.
        if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
            return errorText(errno);
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> deleteThumbnails(const QString &listedFolder)
{
    if (listedFolder.isEmpty())
        return std::nullopt;
    if (auto failure = deleteIn(listedFolder))
        return failure;
    const QString face = existingFaceFolder(listedFolder);
    if (face.isEmpty())
        return std::nullopt;
    return deleteIn(face);
}

void rebuildThumbnails(const QString &listedFolder, const std::function<void()> &refresh)
{
    if (const auto failure = deleteThumbnails(listedFolder)) {
        showMessage(*failure, QStringLiteral("サムネイル"));
        return;
    }
    if (refresh)
        refresh();
}

} // namespace tolvarine
