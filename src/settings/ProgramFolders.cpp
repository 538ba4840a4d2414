#include "settings/ProgramFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tolvarine {

namespace {

const QString kDataFolder = QStringLiteral("share/tolvarine");
const QString kAdminFolder = QStringLiteral("tolvarine");

// The GNU rule for the system configuration folder: /usr keeps it in /etc,
// every other prefix in its own etc.
QString adminFolderOf(const QString &prefix)
{
    const bool system = prefix == QLatin1String("/usr") || prefix == QLatin1String("/");
    const QString etc = system ? QStringLiteral("/etc") : prefix + QStringLiteral("/etc");
    return etc + QLatin1Char('/') + kAdminFolder;
}

} // namespace

ProgramFolders builtProgramFolders(const QString &folder) { return {folder, folder, folder, false}; }

ProgramFolders programFoldersFor(const QString &executableFolder, const QString &userPictures)
{
    const QDir bin(QDir::cleanPath(executableFolder));
    if (bin.dirName() != QLatin1String("bin"))
        return builtProgramFolders(executableFolder);
    QDir prefixDir = bin;
    if (!prefixDir.cdUp() || !QFileInfo(prefixDir.filePath(kDataFolder)).isDir())
        return builtProgramFolders(executableFolder);
    const QString prefix = prefixDir.path();
    return {prefixDir.filePath(kDataFolder), adminFolderOf(prefix),
            QDir(userPictures).filePath(QStringLiteral("Tolvarine")), true};
}

ProgramFolders runningProgramFolders()
{
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty())
        pictures = QDir::homePath();
    return programFoldersFor(QCoreApplication::applicationDirPath(), pictures);
}

} // namespace tolvarine
