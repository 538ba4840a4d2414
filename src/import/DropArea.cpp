#include "import/DropArea.h"

#include <QMimeData>
#include <QProcess>
#include <QUrl>

#include "platform/WindowsFolder.h"

namespace tolvarine {

bool acceptsFileDrop(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty())
        return false;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile() || url.toLocalFile().isEmpty())
            return false;
    }
    return true;
}

QStringList droppedFilePaths(const QMimeData *data)
{
    QStringList paths;
    if (!acceptsFileDrop(data))
        return paths;
    for (const QUrl &url : data->urls())
        paths << url.toLocalFile();
    return paths;
}

DropAreaTexts dropAreaTexts(bool dropIsOral, int16_t dropAriaTips)
{
    DropAreaTexts texts;
    texts.label = dropIsOral ? QStringLiteral("口腔") : QStringLiteral("顔面");
    if (dropAriaTips == 1) {
        texts.lines << (dropIsOral ? QStringLiteral("ここに口腔画像ファイルを")
                                   : QStringLiteral("ここに顔面画像ファイルを"))
                    << QStringLiteral("ドロップして下さい");
    }
    return texts;
}

Outcome startFileBrowser(const QString &windowsFolder, const QString &pictReadFolda,
                         const ProgramStarter &start)
{
    const QString program = fileBrowserProgram(windowsFolder);
    const QStringList arguments{pictReadFolda};
    const bool started = !program.isEmpty()
                         && (start ? start(program, arguments) : QProcess::startDetached(program, arguments));
    return started ? Outcome::done(program) : Outcome::failed(Status::Missing, program);
}

} // namespace tolvarine
