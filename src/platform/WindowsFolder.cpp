#include "platform/WindowsFolder.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace tolvarine {

QString windowsFolder(const QStringList &searchPaths)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"), searchPaths);
    if (opener.isEmpty())
        return QString();
    const QString folder = QFileInfo(opener).absolutePath();
    return folder.size() > kWindowsFolderMaxLength ? QString() : folder;
}

QString fileBrowserProgram(const QString &windowsFolder)
{
    return windowsFolder.isEmpty() ? QString() : windowsFolder + QStringLiteral("/xdg-open");
}

} // namespace tolvarine
